#include "orvane/lifecycle/DirectoryMaker.h"

#include <string>

#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"

namespace orvane {
namespace {

int ApplyOwnerAndMode(const std::string& path, const char* owner, int mode) {
  SetFileOwner(path.c_str(), owner);
  SetFileMode(path.c_str(), mode);
  return 1;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

int MakeDirectoryPath(const char* path, const char* owner, int mode) {
  if (path == nullptr) return 0;
  const std::string target(path);
  if (os::DirectoryExists(target)) return ApplyOwnerAndMode(target, owner, mode);
  if (!IsDrivePath(path)) return 0;

  // Walk the components after "X:\"; a doubled or trailing separator ends
  // an empty component, which names nothing new.
  for (size_t end = 3; end <= target.size(); ++end) {
    if (end < target.size() && !IsSeparator(target[end])) continue;
    if (IsSeparator(target[end - 1])) continue;
    const std::string prefix = target.substr(0, end);
    if (os::DirectoryExists(prefix)) continue;
    if (!MakeDirectory(prefix.c_str())) return 0;
    ApplyOwnerAndMode(prefix, owner, mode);
  }
  return os::DirectoryExists(target) ? 1 : 0;
}

}  // namespace orvane
