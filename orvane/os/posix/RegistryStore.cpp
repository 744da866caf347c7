#include "orvane/os/posix/RegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "orvane/os/posix/ErrnoStatus.h"
#include "orvane/os/posix/HostFile.h"
#include "orvane/os/posix/Machine.h"

namespace orvane::os::posix {

namespace {

constexpr RegistryRoot kHives[] = {RegistryRoot::kLocalMachine, RegistryRoot::kCurrentUser};

// The exclusive lock on the registry, held for the object's lifetime.
class RegistryLock : public HostFileLock {
 public:
  RegistryLock() : HostFileLock(RegistryLockPath()) {}
};

// Creates the machine's root folder and its missing parents.
Status CreateMachineRoot() {
  std::string root = MachineRoot();
  struct stat info;
  if (stat(root.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return Status();
  for (size_t slash = root.find('/', 1);; slash = root.find('/', slash + 1)) {
    std::string folder = root.substr(0, slash);
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return FailureFromErrno(errno);
    if (slash == std::string::npos) return Status();
  }
}

}  // namespace

const char* HiveName(RegistryRoot root) {
  return root == RegistryRoot::kCurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

std::vector<std::string> SplitKeyPath(const std::string& subkey) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start < subkey.size()) {
    size_t end = subkey.find('\\', start);
    if (end == std::string::npos) end = subkey.size();
    if (end > start) names.push_back(subkey.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

std::vector<std::string> HiveKeyPath(RegistryRoot root, const std::string& subkey) {
  std::vector<std::string> path = {HiveName(root)};
  std::vector<std::string> names = SplitKeyPath(subkey);
  path.insert(path.end(), names.begin(), names.end());
  return path;
}

Expected<RegistryNode> ReadRegistry() {
  RegistryNode tree;
  std::string path = RegistryFilePath();
  Expected<std::string> text = ReadHostFile(path);
  if (!text.ok() && text.status().code() != kFileNotFound) return text.status();
  if (text.ok()) {
    std::string error;
    if (!ParseRegistryText(*text, path, &tree, &error)) {
      std::fprintf(stderr, "orvane: the registry is corrupt: %s\n", error.c_str());
      return Status::Failure(kRegistryCorrupt);
    }
  }
  for (RegistryRoot hive : kHives) tree.AddSubkey(HiveName(hive), "");
  return tree;
}

Status ChangeRegistry(const RegistryChange& change) {
  Status rooted = CreateMachineRoot();
  if (!rooted.ok()) return rooted;
  RegistryLock lock;
  if (!lock.status().ok()) return lock.status();
  Expected<RegistryNode> tree = ReadRegistry();
  if (!tree.ok()) return tree.status();
  bool changed = false;
  Status changing = change(&*tree, &changed);
  if (!changing.ok() || !changed) return changing;
  return ReplaceHostFile(RegistryFilePath(), WriteRegistryText(*tree));
}

}  // namespace orvane::os::posix
