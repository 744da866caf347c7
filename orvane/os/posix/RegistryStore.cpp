#include "orvane/os/posix/RegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <optional>

#include "orvane/os/posix/ErrnoStatus.h"
#include "orvane/os/posix/HostFile.h"
#include "orvane/os/posix/HostFileVersion.h"
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

// A parsed registry file and the version of the file it came from (none
// for a missing file, which is an empty registry).
struct ParsedRegistry {
  std::shared_ptr<RegistryNode> tree;
  std::optional<HostFileVersion> version;
};

Expected<ParsedRegistry> ParseRegistryFile(const std::string& path) {
  ParsedRegistry parsed{std::make_shared<RegistryNode>(), std::nullopt};
  std::string text;
  Expected<HostFileVersion> version = HostFileVersion::Open(path, &text);
  if (!version.ok() && version.status().code() != kFileNotFound) return version.status();
  if (version.ok()) {
    std::string error;
    if (!ParseRegistryText(text, path, parsed.tree.get(), &error)) {
      std::fprintf(stderr, "orvane: the registry is corrupt: %s\n", error.c_str());
      return Status::Failure(kRegistryCorrupt);
    }
    parsed.version = std::move(*version);
  }
  for (RegistryRoot hive : kHives) parsed.tree->AddSubkey(HiveName(hive), "");
  return parsed;
}

// The registry last parsed or written by this process, with its version.
struct RegistryCache {
  bool IsCurrent(const std::string& hostPath) const {
    return tree != nullptr && path == hostPath && version->IsCurrent(hostPath);
  }
  void Keep(const std::string& hostPath, ParsedRegistry parsed) {
    if (!parsed.version) return;  // nothing to compare a missing file with
    path = hostPath;
    tree = std::move(parsed.tree);
    version = std::move(parsed.version);
  }
  void Forget() {
    tree.reset();
    version.reset();
  }

  std::mutex mutex;
  std::string path;
  std::shared_ptr<RegistryNode> tree;
  std::optional<HostFileVersion> version;
};

// Never destroyed: freeing a large tree at exit only costs time, and a
// reader that runs at exit still finds the cache.
RegistryCache& Cache() {
  static RegistryCache& cache = *new RegistryCache;
  return cache;
}

// The tree for a change, under the registry's lock: the kept one when it is
// current, taken out of the cache when no reader holds it (else a copy), or
// the file parsed afresh.
Expected<ParsedRegistry> WorkingTree(const std::string& path) {
  std::lock_guard<std::mutex> lock(Cache().mutex);
  if (!Cache().IsCurrent(path)) {
    Cache().Forget();
    return ParseRegistryFile(path);
  }
  if (Cache().tree.use_count() > 1) {
    return ParsedRegistry{std::make_shared<RegistryNode>(*Cache().tree), std::nullopt};
  }
  ParsedRegistry taken{std::move(Cache().tree), std::move(Cache().version)};
  Cache().Forget();
  return taken;
}

// A change that changed nothing gives back the tree it took.
void ReturnUnchanged(const std::string& path, ParsedRegistry working) {
  std::lock_guard<std::mutex> lock(Cache().mutex);
  if (Cache().tree == nullptr) Cache().Keep(path, std::move(working));
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

Expected<RegistrySnapshot> ReadRegistry() {
  const std::string path = RegistryFilePath();
  std::lock_guard<std::mutex> lock(Cache().mutex);
  if (Cache().IsCurrent(path)) return RegistrySnapshot(Cache().tree);
  Cache().Forget();
  Expected<ParsedRegistry> parsed = ParseRegistryFile(path);
  if (!parsed.ok()) return parsed.status();
  RegistrySnapshot tree = parsed->tree;
  Cache().Keep(path, std::move(*parsed));
  return tree;
}

Status ChangeRegistry(const RegistryChange& change) {
  Status rooted = CreateMachineRoot();
  if (!rooted.ok()) return rooted;
  RegistryLock lock;
  if (!lock.status().ok()) return lock.status();
  const std::string path = RegistryFilePath();
  Expected<ParsedRegistry> working = WorkingTree(path);
  if (!working.ok()) return working.status();
  bool changed = false;
  Status changing = change(working->tree.get(), &changed);
  if (!changing.ok()) return changing;
  if (!changed) {
    ReturnUnchanged(path, std::move(*working));
    return changing;
  }
  Status written = ReplaceHostFile(path, WriteRegistryText(*working->tree));
  if (!written.ok()) return written;
  // Under the lock the file just written is ours: its version goes with the
  // tree, so the next read needs no parse.
  Expected<HostFileVersion> version = HostFileVersion::Open(path);
  std::lock_guard<std::mutex> guard(Cache().mutex);
  Cache().Forget();
  if (version.ok()) {
    Cache().Keep(path, ParsedRegistry{std::move(working->tree), std::move(*version)});
  }
  return written;
}

}  // namespace orvane::os::posix
