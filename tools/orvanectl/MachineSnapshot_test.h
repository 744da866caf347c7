// Test helper: what a machine holds, to show that a run changed nothing.
#ifndef ORVANECTL_MACHINESNAPSHOT_TEST_H_
#define ORVANECTL_MACHINESNAPSHOT_TEST_H_

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace orvanectl::snapshot {

namespace fs = std::filesystem;

inline std::string FileBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// Every file, folder and link below a machine's root with its bytes and
// mode, by path: the registry and the service manager's state are files there
// too.
using MachineSnapshot = std::map<std::string, std::string>;

inline MachineSnapshot SnapshotOf(const fs::path& root) {
  MachineSnapshot snapshot;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    const auto mode = std::to_string(static_cast<int>(entry.symlink_status().permissions()));
    if (entry.is_symlink()) {
      snapshot[name] = "link " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      snapshot[name] = "folder " + mode;
    } else {
      snapshot[name] = mode + " " + FileBytes(entry.path());
    }
  }
  return snapshot;
}

// The paths that differ between two snapshots, one a line; "" when none does.
inline std::string ChangedPaths(const MachineSnapshot& before, const MachineSnapshot& after) {
  std::string changed;
  for (const auto& [path, content] : before) {
    const auto now = after.find(path);
    if (now == after.end()) {
      changed += "removed " + path + "\n";
    } else if (now->second != content) {
      changed += "changed " + path + "\n";
    }
  }
  for (const auto& [path, content] : after) {
    if (before.count(path) == 0) changed += "added " + path + "\n";
  }
  return changed;
}

}  // namespace orvanectl::snapshot

#endif  // ORVANECTL_MACHINESNAPSHOT_TEST_H_
