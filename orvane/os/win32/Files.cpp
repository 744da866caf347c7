// Files and directories on the Win32 API. MSVCRT's fopen already gives text
// streams with CR LF line ends, so OpenFile is fopen itself.
#include "orvane/os/Files.h"

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "orvane/os/win32/ApiStatus.h"
#include "orvane/os/win32/ScopedHandle.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {
namespace {

Status StatusOfCall(BOOL succeeded) { return succeeded ? Status() : LastErrorFailure(); }

// directory\pattern, with no doubled separator when the directory ends in one.
std::string JoinSearchPattern(const std::string& directory, const std::string& pattern) {
  if (directory.empty()) return pattern;
  char last = directory.back();
  if (last == '\\' || last == '/' || last == ':') return directory + pattern;
  return directory + "\\" + pattern;
}

bool IsDotEntry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

constexpr char kTemporaryMark[] = ".~";

std::string FolderOf(const std::string& path) {
  size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

bool IsRunning(DWORD processId) {
  ScopedKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
  if (!process.valid()) return ::GetLastError() == ERROR_ACCESS_DENIED;
  return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// Removes the temporaries beside path whose writer process has ended. A
// writer keeps its temporary open without delete sharing, so a live one's
// cannot be removed either way.
void RemoveStaleTemporaries(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::string prefix = path.substr(folder.size()) + kTemporaryMark;
  Expected<std::vector<DirectoryEntry>> entries = ListDirectory(folder.empty() ? "." : folder,
                                                                prefix + "*");
  if (!entries.ok()) return;
  for (const DirectoryEntry& entry : *entries) {
    char* end = nullptr;
    unsigned long writer = std::strtoul(entry.name.c_str() + prefix.size(), &end, 10);
    if (entry.isDirectory || writer == 0 || *end != '.') continue;
    if (writer == ::GetCurrentProcessId() || IsRunning(writer)) continue;
    ::DeleteFileA((folder + entry.name).c_str());
  }
}

// Creates a temporary beside path exclusively; its handle, or an invalid one.
HANDLE CreateTemporaryBeside(const std::string& path, std::string* temporary) {
  static std::atomic<unsigned> counter{0};
  while (true) {
    *temporary = path + kTemporaryMark + std::to_string(::GetCurrentProcessId()) + "." +
                 std::to_string(counter++);
    HANDLE file = ::CreateFileA(temporary->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
  }
}

}  // namespace

class ReplacementFile::Impl {
 public:
  Impl(const std::string& path, const char* mode);
  ~Impl() {
    if (stream != nullptr) std::fclose(stream);
    if (!committed && !temporary.empty()) ::DeleteFileA(temporary.c_str());
  }

  std::string target;
  std::string temporary;
  FILE* stream = nullptr;
  Status status;
  bool finished = false;
  bool committed = false;
};

ReplacementFile::Impl::Impl(const std::string& path, const char* mode) : target(path) {
  const bool binary = mode != nullptr && std::strchr(mode, 'b') != nullptr;
  if (mode == nullptr || mode[0] != 'w') {
    status = Status::Failure(kInvalidParameter);
    return;
  }
  RemoveStaleTemporaries(path);
  HANDLE file = CreateTemporaryBeside(path, &temporary);
  if (file == INVALID_HANDLE_VALUE) {
    status = LastErrorFailure();
    temporary.clear();
    return;
  }
  int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), binary ? _O_BINARY : _O_TEXT);
  stream = fd < 0 ? nullptr : ::_fdopen(fd, binary ? "wb" : "w");
  if (stream == nullptr) {
    if (fd < 0) ::CloseHandle(file);
    if (fd >= 0) ::_close(fd);
    status = Status::Failure(kNotEnoughMemory);
  }
}

ReplacementFile::ReplacementFile(const std::string& path, const char* mode, int /*newFileMode*/)
    : m_impl(std::make_unique<Impl>(path, mode)) {}

ReplacementFile::~ReplacementFile() = default;

FILE* ReplacementFile::stream() const { return m_impl->stream; }

const Status& ReplacementFile::status() const { return m_impl->status; }

Status ReplacementFile::Finish() {
  Impl& impl = *m_impl;
  if (impl.finished || impl.stream == nullptr) return impl.status;
  impl.finished = true;
  bool failed = std::fflush(impl.stream) != 0 || std::ferror(impl.stream) != 0;
  DWORD error = failed && errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
  if (!failed && ::_commit(::_fileno(impl.stream)) != 0) failed = true;
  if (std::fclose(impl.stream) != 0) failed = true;
  impl.stream = nullptr;
  if (failed) impl.status = Status::Failure(error);
  return impl.status;
}

Status ReplacementFile::Commit() {
  Status finished = Finish();
  Impl& impl = *m_impl;
  if (!finished.ok() || impl.committed || impl.temporary.empty()) return finished;
  if (!::MoveFileExA(impl.temporary.c_str(), impl.target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    impl.status = LastErrorFailure();
    return impl.status;
  }
  impl.committed = true;
  return impl.status;
}

Status ReplacementFile::Commit(const std::string& backupPath) {
  if (Finish().ok() && !m_impl->committed && !m_impl->temporary.empty()) {
    // A failed backup costs only the backup.
    ::CopyFileA(m_impl->target.c_str(), backupPath.c_str(), FALSE);
  }
  return Commit();
}

class FileLock::Impl {
 public:
  Impl(const std::string& lockPath, LockWait wait)
      : file(::CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!file.valid()) {
      status = LastErrorFailure();
      return;
    }
    OVERLAPPED whole{};
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK |
                        (wait == LockWait::kWait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    if (!::LockFileEx(file.get(), flags, 0, 1, 0, &whole)) {
      status = LastErrorFailure();
    }
  }

  ScopedFileHandle file;  // closing releases the lock
  Status status;
};

FileLock::FileLock(const std::string& lockPath, LockWait wait)
    : m_impl(std::make_unique<Impl>(lockPath, wait)) {}

FileLock::~FileLock() = default;

const Status& FileLock::status() const { return m_impl->status; }

FILE* OpenFile(const std::string& path, const char* mode, int /*newFileMode*/) {
  return std::fopen(path.c_str(), mode);
}

FILE* ReopenFile(const std::string& path, const char* mode, FILE* stream) {
  return std::freopen(path.c_str(), mode, stream);
}

bool PathExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DirectoryExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsLink(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

namespace {

// The volume and index that identify a file, or nothing.
std::optional<std::pair<DWORD, ULONGLONG>> FileIdentity(const std::string& path) {
  ScopedFileHandle file(::CreateFileA(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION information;
  if (!file.valid() || !::GetFileInformationByHandle(file.get(), &information)) return std::nullopt;
  return std::make_pair(information.dwVolumeSerialNumber,
                        (static_cast<ULONGLONG>(information.nFileIndexHigh) << 32) |
                            information.nFileIndexLow);
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  std::optional<std::pair<DWORD, ULONGLONG>> identityA = FileIdentity(a);
  return identityA && identityA == FileIdentity(b);
}

Status CopyFile(const std::string& source, const std::string& target, bool failIfExists) {
  return StatusOfCall(::CopyFileA(source.c_str(), target.c_str(), failIfExists ? TRUE : FALSE));
}

Status MoveFile(const std::string& source, const std::string& target) {
  // A rename that changes only letter case is a no-op on Wine: it goes by way
  // of a temporary name there, which Windows handles alike.
  if (source != target && ::_stricmp(source.c_str(), target.c_str()) == 0) {
    std::string interim = source + ".orvane-rename";
    if (!::MoveFileExA(source.c_str(), interim.c_str(), 0)) return LastErrorFailure();
    if (!::MoveFileExA(interim.c_str(), target.c_str(), 0)) {
      DWORD code = ::GetLastError();
      ::MoveFileExA(interim.c_str(), source.c_str(), 0);  // back to where it was
      return Status::Failure(code);
    }
    return Status();
  }
  return StatusOfCall(::MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING));
}

Status DeleteFile(const std::string& path) { return StatusOfCall(::DeleteFileA(path.c_str())); }

Status CreateDirectory(const std::string& path) {
  return StatusOfCall(::CreateDirectoryA(path.c_str(), nullptr));
}

Status RemoveDirectory(const std::string& path) {
  return StatusOfCall(::RemoveDirectoryA(path.c_str()));
}

Expected<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory,
                                                    const std::string& pattern) {
  WIN32_FIND_DATAA found;
  ScopedFindHandle search(::FindFirstFileA(JoinSearchPattern(directory, pattern).c_str(), &found));
  if (!search.valid()) return LastErrorFailure();
  std::vector<DirectoryEntry> entries;
  do {
    if (IsDotEntry(found.cFileName)) continue;
    entries.push_back({found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (::FindNextFileA(search.get(), &found));
  if (::GetLastError() != ERROR_NO_MORE_FILES) return LastErrorFailure();
  // A pattern that matched only "." and ".." matched nothing the caller sees.
  if (entries.empty()) return Status::Failure(kFileNotFound);
  return entries;
}

Expected<std::string> ShortPathName(const std::string& path) {
  DWORD needed = ::GetShortPathNameA(path.c_str(), nullptr, 0);
  if (needed == 0) return LastErrorFailure();
  std::vector<char> buffer(needed);
  DWORD length = ::GetShortPathNameA(path.c_str(), buffer.data(), needed);
  if (length == 0 || length >= needed) return LastErrorFailure();
  return std::string(buffer.data(), length);
}

std::string WindowsDirectory() {
  char buffer[MAX_PATH + 1];
  UINT length = ::GetWindowsDirectoryA(buffer, sizeof buffer);
  std::string directory(buffer, length < sizeof buffer ? length : 0);
  if (!directory.empty() && directory.back() == '\\') directory.pop_back();
  return directory;
}

Status SetFileMode(const std::string&, int) { return Status(); }

Status SetFileOwner(const std::string&, const std::string&) { return Status(); }

}  // namespace orvane::os
