#include "orvane/platform/FileUtils.h"

#include <cctype>

#include "orvane/os/Files.h"

namespace orvane {
namespace {

constexpr size_t kMaxPathChars = 260;

}  // namespace

std::string DefaultBackupName(const std::string& path) {
  // The dot is searched in the file name only: a dot in a directory name
  // would name a backup in a directory that does not exist.
  const size_t nameStart = path.find_last_of("\\/") + 1;  // npos + 1 is 0
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return path + ".old";
  return path.substr(0, dot) + ".old" + path.substr(dot);
}

int CopyFileOver(const char* source, const char* target) {
  return os::CopyFile(source, target).ok() ? 1 : 0;
}

int MakeDirectory(const char* path, int /*mode*/, const char* /*owner*/) {
  return os::CreateDirectory(path).ok() ? 1 : 0;
}

int IsDrivePath(const char* path) {
  return path != nullptr && std::isalpha(static_cast<unsigned char>(path[0])) &&
                 path[1] == ':' && path[2] == '\\'
             ? 1
             : 0;
}

void DeleteDirectoryFiles(const char* directory) {
  auto entries = os::ListDirectory(directory, "*");
  if (!entries) return;
  const KelString base(directory);
  for (const os::DirectoryEntry& entry : *entries) {
    if (!entry.isDirectory) os::DeleteFile(std::string(base ^ entry.name.c_str()));
  }
}

int ToShortPath(KelString& path) {
  auto shortPath = os::ShortPathName(std::string(path));
  if (shortPath && shortPath->size() <= kMaxPathChars) path = shortPath->c_str();
  return 1;
}

int SetFileOwner(const char* path, const char* owner, int /*group*/) {
  return os::SetFileOwner(path, owner != nullptr ? owner : "").ok() ? 1 : 0;
}

int SetFileMode(const char* path, int mode) { return os::SetFileMode(path, mode).ok() ? 1 : 0; }

}  // namespace orvane

int KelCreateBackup(const char* path, const char* backup) {
  if (path == nullptr || !orvane::os::PathExists(path)) return 0;
  const std::string backupName =
      backup != nullptr ? std::string(backup) : orvane::DefaultBackupName(path);
  // A backup name that is the file itself would take its only copy.
  if (orvane::os::SameFile(path, backupName)) return 0;
  // Renamed over the older backup in one step: a failed rename keeps both.
  return orvane::os::MoveFile(path, backupName).ok() ? 1 : 0;
}
