// Files and directories on the Win32 API. MSVCRT's fopen already gives text
// streams with CR LF line ends, so OpenFile is fopen itself.
#include "orvane/os/Files.h"
#include "orvane/os/Backend.h"

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "orvane/os/win32/ApiStatus.h"
#include "orvane/os/win32/ScopedHandle.h"
#include "orvane/os/win32/WindowsApi.h"
// After windows.h:
#include <sddl.h>

namespace orvane::os::backend {
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

// Creates a temporary beside path exclusively, with security (null: the
// folder's); its handle, or an invalid one.
HANDLE CreateTemporaryBeside(const std::string& path, SECURITY_ATTRIBUTES* security,
                             std::string* temporary) {
  static std::atomic<unsigned> counter{0};
  while (true) {
    *temporary = path + kTemporaryMark + std::to_string(::GetCurrentProcessId()) + "." +
                 std::to_string(counter++);
    HANDLE file = ::CreateFileA(temporary->c_str(), GENERIC_WRITE, FILE_SHARE_READ, security,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
  }
}

// Fails with kAccessDenied when a folder of path below the drive's root (or
// a share's) is a reparse point, a symbolic link or a junction: nothing is
// written through one. Missing folders are left to the call that follows.
Status RefuseLinkedFolders(const std::string& path) {
  char buffer[4 * MAX_PATH];
  DWORD length = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return Status();
  const std::string full(buffer, length);
  // "C:\": the root ends at the first separator; "\\server\share\" and
  // "\\?\C:\" at the fourth.
  size_t rootEnd = full.find_first_of("\\/");
  for (int i = 1; full.compare(0, 2, "\\\\") == 0 && i < 4 && rootEnd != std::string::npos; ++i) {
    rootEnd = full.find_first_of("\\/", rootEnd + 1);
  }
  if (rootEnd == std::string::npos) return Status();
  for (size_t end = full.find_first_of("\\/", rootEnd + 1); end != std::string::npos;
       end = full.find_first_of("\\/", end + 1)) {
    DWORD attributes = ::GetFileAttributesA(full.substr(0, end).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) break;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return Status::Failure(kAccessDenied);
  }
  return Status();
}

// As RefuseLinkedFolders, and a reparse point at path itself is refused too.
Status RefuseLinks(const std::string& path) {
  Status folders = RefuseLinkedFolders(path);
  if (!folders.ok()) return folders;
  return IsLink(path) ? Status::Failure(kAccessDenied) : Status();
}

// A security descriptor that gives a file to the process's user and the
// Administrators only: the Windows form of a mode such as 0600. attributes()
// is null when the system cannot make it.
class PrivateSecurity {
 public:
  PrivateSecurity() {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return;
    ScopedKernelHandle token(opened);
    alignas(TOKEN_USER) char user[256];
    DWORD size = 0;
    char* sid = nullptr;
    if (!::GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size) ||
        !::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid)) {
      return;
    }
    const std::string sddl = "D:P(A;;FA;;;" + std::string(sid) + ")(A;;FA;;;BA)";
    ::LocalFree(sid);
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                               &m_attributes.lpSecurityDescriptor,
                                                               nullptr)) {
      m_attributes.nLength = sizeof m_attributes;
      m_attributes.bInheritHandle = FALSE;
    }
  }
  ~PrivateSecurity() { ::LocalFree(m_attributes.lpSecurityDescriptor); }
  PrivateSecurity(const PrivateSecurity&) = delete;
  PrivateSecurity& operator=(const PrivateSecurity&) = delete;

  SECURITY_ATTRIBUTES* attributes() {
    return m_attributes.lpSecurityDescriptor != nullptr ? &m_attributes : nullptr;
  }

 private:
  SECURITY_ATTRIBUTES m_attributes{};
};

bool IsPrivateMode(int mode) { return (mode & 077) == 0; }

// Copies source to a temporary beside target (security as for
// CreateTemporaryBeside; copying over the temporary keeps it) and renames
// that over target, so that a link at target's name is replaced, never
// written through.
Status CopyBesideAndRename(const std::string& source, const std::string& target,
                           SECURITY_ATTRIBUTES* security) {
  std::string temporary;
  HANDLE file = CreateTemporaryBeside(target, security, &temporary);
  if (file == INVALID_HANDLE_VALUE) return LastErrorFailure();
  ::CloseHandle(file);
  if (!::CopyFileA(source.c_str(), temporary.c_str(), FALSE) ||
      !::MoveFileExA(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Status failure = LastErrorFailure();
    ::DeleteFileA(temporary.c_str());
    return failure;
  }
  return Status();
}

// Whether two files hold the same bytes; false when either cannot be read.
bool HoldSameBytes(const std::string& first, const std::string& second) {
  FILE* files[] = {std::fopen(first.c_str(), "rb"), std::fopen(second.c_str(), "rb")};
  bool same = files[0] != nullptr && files[1] != nullptr;
  char buffers[2][65536];
  while (same) {
    const size_t got = std::fread(buffers[0], 1, sizeof buffers[0], files[0]);
    same = std::fread(buffers[1], 1, sizeof buffers[1], files[1]) == got &&
           std::memcmp(buffers[0], buffers[1], got) == 0 && !std::ferror(files[0]) &&
           !std::ferror(files[1]);
    if (got < sizeof buffers[0]) break;
  }
  for (FILE* file : files) {
    if (file != nullptr) std::fclose(file);
  }
  return same;
}

}  // namespace

class ReplacementFile::Impl {
 public:
  Impl(const std::string& path, const char* mode, bool isPrivate);
  ~Impl() {
    if (stream != nullptr) std::fclose(stream);
    if (!committed && !temporary.empty()) ::DeleteFileA(temporary.c_str());
  }

  std::string target;
  std::string temporary;
  FILE* stream = nullptr;
  Status status;
  bool isPrivate;
  bool finished = false;
  bool committed = false;
};

ReplacementFile::Impl::Impl(const std::string& path, const char* mode, bool isPrivate)
    : target(path), isPrivate(isPrivate) {
  const bool binary = mode != nullptr && std::strchr(mode, 'b') != nullptr;
  if (mode == nullptr || mode[0] != 'w') {
    status = Status::Failure(kInvalidParameter);
    return;
  }
  status = RefuseLinkedFolders(path);
  if (!status.ok()) return;
  RemoveStaleTemporaries(path);
  PrivateSecurity security;
  HANDLE file =
      CreateTemporaryBeside(path, isPrivate ? security.attributes() : nullptr, &temporary);
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

// A replaced file's own security is not carried over (the new content has
// the folder's, or the private one), so the mode rules are alike here.
ReplacementFile::ReplacementFile(const std::string& path, const char* mode, int newFileMode,
                                 ReplacedFileMode /*modeRule*/)
    : m_impl(std::make_unique<Impl>(path, mode, IsPrivateMode(newFileMode))) {}

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
  Impl& impl = *m_impl;
  const bool replaces = Finish().ok() && !impl.committed && !impl.temporary.empty() &&
                        PathExists(impl.target) && !IsLink(impl.target);
  // Nothing would change: the file stays, and so does the backup of what it
  // held before. A private file is written anyway, to close it to others.
  if (replaces && !impl.isPrivate && HoldSameBytes(impl.temporary, impl.target)) {
    ::DeleteFileA(impl.temporary.c_str());
    impl.committed = true;
    return impl.status;
  }
  if (replaces && RefuseLinkedFolders(backupPath).ok()) {
    // A failed backup costs only the backup.
    PrivateSecurity security;
    CopyBesideAndRename(impl.target, backupPath, impl.isPrivate ? security.attributes() : nullptr);
  }
  return Commit();
}

class FileLock::Impl {
 public:
  Impl(const std::string& lockPath, LockWait wait)
      : status(RefuseLinks(lockPath)),
        file(!status.ok() ? INVALID_HANDLE_VALUE
                          : ::CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!status.ok()) return;
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

  Status status;
  ScopedFileHandle file;  // closing releases the lock
};

FileLock::FileLock(const std::string& lockPath, LockWait wait)
    : m_impl(std::make_unique<Impl>(lockPath, wait)) {}

FileLock::~FileLock() = default;

const Status& FileLock::status() const { return m_impl->status; }

namespace {

bool WritesFile(const char* mode) { return mode != nullptr && std::strpbrk(mode, "wa+") != nullptr; }

// For a stream that writes: the refusal of a link on the way or at the name.
bool RefusedForWriting(const std::string& path, const char* mode) {
  return WritesFile(mode) && !RefuseLinks(path).ok();
}

}  // namespace

FILE* OpenFile(const std::string& path, const char* mode, int /*newFileMode*/) {
  if (RefusedForWriting(path, mode)) return nullptr;
  return std::fopen(path.c_str(), mode);
}

FILE* ReopenFile(const std::string& path, const char* mode, FILE* stream) {
  if (RefusedForWriting(path, mode)) return nullptr;
  return std::freopen(path.c_str(), mode, stream);
}

bool PathExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DirectoryExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

PathKind KindOfPath(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kDirectory : PathKind::kFile;
}

// Windows keeps no modes, and its attributes tell the kind in one call.
PathState StateOfPath(const std::string& path, bool withBytes) {
  PathState state;
  state.kind = KindOfPath(path);
  state.mode = FileMode(path);
  if (!withBytes || state.kind != PathKind::kFile) return state;
  if (FILE* stream = std::fopen(path.c_str(), "rb")) {
    std::string bytes;
    char buffer[8192];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) bytes.append(buffer, got);
    if (std::ferror(stream) == 0) state.bytes = std::move(bytes);
    std::fclose(stream);
  }
  return state;
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
  Status folders = RefuseLinkedFolders(target);
  if (!folders.ok()) return folders;
  // A new file cannot be reached through a link: CopyFile fails on any name
  // that exists.
  if (failIfExists) return StatusOfCall(::CopyFileA(source.c_str(), target.c_str(), TRUE));
  return CopyBesideAndRename(source, target, nullptr);
}

Status MoveFile(const std::string& source, const std::string& target) {
  for (const std::string* path : {&source, &target}) {
    Status folders = RefuseLinkedFolders(*path);
    if (!folders.ok()) return folders;
  }
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

Status DeleteFile(const std::string& path) {
  Status folders = RefuseLinkedFolders(path);
  return folders.ok() ? StatusOfCall(::DeleteFileA(path.c_str())) : folders;
}

Status CreateDirectory(const std::string& path) {
  Status folders = RefuseLinkedFolders(path);
  return folders.ok() ? StatusOfCall(::CreateDirectoryA(path.c_str(), nullptr)) : folders;
}

Status RemoveDirectory(const std::string& path) {
  Status folders = RefuseLinkedFolders(path);
  return folders.ok() ? StatusOfCall(::RemoveDirectoryA(path.c_str())) : folders;
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

// MSVCRT's text streams are the ones OpenFile gives; a host path is a
// Windows path here.
FILE* OpenHostStream(const std::string& hostPath, const char* mode, int /*newFileMode*/) {
  return std::fopen(hostPath.c_str(), mode);
}

// The C runtime has no streams of a caller's own making: the caller writes
// a host file instead.
FILE* OpenHeldStream(const char*, std::shared_ptr<HeldBytes>, size_t, std::function<std::string()>) {
  Status::Failure(kNotSupported);
  return nullptr;
}

unsigned long CurrentProcessId() {
  return ::GetCurrentProcessId();
}

Expected<std::string> MakeScratchFolder() {
  static std::atomic<unsigned long> count{0};
  char temporary[MAX_PATH + 1];
  DWORD length = ::GetTempPathA(sizeof temporary, temporary);
  if (length == 0 || length > MAX_PATH) return Status::FromLastError();
  std::string folder = std::string(temporary, length) + "orvane-plan." +
                       std::to_string(::GetCurrentProcessId()) + "." + std::to_string(++count);
  if (!::CreateDirectoryA(folder.c_str(), nullptr)) return Status::FromLastError();
  return folder;
}

void RemoveScratchFolder(const std::string& hostPath) {
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((hostPath + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") ::DeleteFileA((hostPath + "\\" + name).c_str());
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryA(hostPath.c_str());
}

Status SetFileMode(const std::string&, int) { return Status(); }

Expected<int> FileMode(const std::string&) { return Status::Failure(kNotSupported); }

Status SetFileOwner(const std::string&, const std::string&) { return Status(); }

}  // namespace orvane::os::backend
