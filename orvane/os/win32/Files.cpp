// Files and directories on the Win32 API. MSVCRT's fopen already gives text
// streams with CR LF line ends, so OpenFile is fopen itself.
#include "orvane/os/Files.h"

#include <cstring>
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

}  // namespace

FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

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
