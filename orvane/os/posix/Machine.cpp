#include "orvane/os/posix/Machine.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "orvane/os/posix/AsciiCase.h"

namespace orvane::os::posix {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string HostCurrentDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* account = getpwuid(getuid());
  if (account != nullptr && account->pw_dir != nullptr) return account->pw_dir;
  return "/";
}

void DropTrailingSlashes(std::string* path) {
  while (path->size() > 1 && path->back() == '/') path->pop_back();
}

// A Windows path taken apart: drive letter (lower case) and the components
// below the drive's root, with "." and ".." already resolved.
struct DrivePath {
  char drive = 'c';
  std::vector<std::string> components;
};

bool IsValidComponent(const std::string& component) {
  for (unsigned char c : component) {
    if (c < 32 || std::strchr("<>:\"|?*", c) != nullptr) return false;
  }
  return true;
}

Expected<DrivePath> ParseWindowsPath(const std::string& windowsPath) {
  std::string path = windowsPath;
  // The "\\?\" prefix only switches off Windows' path length limit.
  if (path.size() >= 6 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] == '?' &&
      IsSeparator(path[3])) {
    path.erase(0, 4);
  }
  if (path.empty() || (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))) {
    return Status::Failure(kPathNotFound);
  }
  DrivePath parsed;
  std::string rest;
  if (path.size() >= 2 && path[1] == ':' && IsDriveLetter(path[0])) {
    parsed.drive = AsciiLower(path[0]);
    rest = path.substr(2);
  } else if (IsSeparator(path[0])) {
    rest = path;
  } else {
    Expected<DrivePath> current = ParseWindowsPath(CurrentDirectory());
    if (!current.ok()) return current.status();
    parsed = *current;
    rest = path;
  }
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    std::string component = rest.substr(start, end - start);
    start = end + 1;
    if (component.empty() || component == ".") continue;
    if (component == "..") {
      if (!parsed.components.empty()) parsed.components.pop_back();
      continue;
    }
    if (!IsValidComponent(component)) return Status::Failure(kInvalidName);
    parsed.components.push_back(component);
  }
  return parsed;
}

// The entry of a host directory whose name equals component ignoring case,
// listed: the exact spelling when it is there (it may have come since the
// caller looked), else the first match in byte order.
std::optional<std::string> FindEntryIgnoringCase(const std::string& directory,
                                                 const std::string& component) {
  DIR* listing = opendir(directory.c_str());
  if (listing == nullptr) return std::nullopt;
  std::optional<std::string> best;
  while (const dirent* entry = readdir(listing)) {
    std::string name = entry->d_name;
    if (name == component) {
      best = name;
      break;
    }
    if (EqualsIgnoringCase(name, component) && (!best || name < *best)) best = name;
  }
  closedir(listing);
  return best;
}

bool HostEntryExists(const std::string& hostPath) {
  struct stat info;
  return lstat(hostPath.c_str(), &info) == 0;
}

std::string DriveRoot(char drive) { return MachineRoot() + "/drive_" + std::string(1, drive); }

std::string Joined(std::string host, const std::vector<std::string>& components, size_t count) {
  for (size_t i = 0; i < count; ++i) host += "/" + components[i];
  return host;
}

// The host path of the drive's root plus components, matching existing
// components ignoring case until the first one that does not exist.
//
// Most paths exist as spelt, or all but their last component do: one lstat
// of the whole path (or of its folder) answers for every component on the
// way, since the kernel could walk it only through entries of exactly those
// names. Only past the first miss is each component looked up on its own.
std::string MapComponents(char drive, const std::vector<std::string>& components,
                          size_t count) {
  const std::string root = DriveRoot(drive);
  if (count == 0) return root;
  const std::string exact = Joined(root, components, count);
  if (HostEntryExists(exact)) return exact;
  size_t start = 0;
  std::string host = root;
  if (count > 1) {
    const std::string folder = Joined(root, components, count - 1);
    if (HostEntryExists(folder)) {
      start = count - 1;
      host = folder;
    }
  }
  bool existing = true;
  bool asSpelt = true;  // every component so far matched in its own spelling
  for (size_t i = start; i < count; ++i) {
    std::optional<std::string> match;
    // Below a folder reached as spelt, the last component's own spelling is
    // known to be missing.
    const bool spellingMissing = asSpelt && i + 1 == count;
    if (existing && !spellingMissing && HostEntryExists(host + "/" + components[i])) {
      match = components[i];
    } else if (existing) {
      match = FindEntryIgnoringCase(host, components[i]);
    }
    existing = match.has_value();
    asSpelt = asSpelt && existing && *match == components[i];
    host += "/" + (existing ? *match : components[i]);
  }
  return host;
}

}  // namespace

std::string MachineRoot() {
  const char* configured = std::getenv("ORVANE_MACHINE");
  std::string root;
  if (configured != nullptr && *configured != '\0') {
    root = configured;
  } else {
    root = HomeDirectory() + "/.orvane/machine";
  }
  if (root[0] != '/') root = HostCurrentDirectory() + "/" + root;
  DropTrailingSlashes(&root);
  return root;
}

std::string RegistryFilePath() { return MachineRoot() + "/registry.reg"; }

std::string RegistryLockPath() { return MachineRoot() + "/registry.lock"; }

Expected<std::string> HostPath(const std::string& windowsPath) {
  Expected<DrivePath> parsed = ParseWindowsPath(windowsPath);
  if (!parsed.ok()) return parsed.status();
  return MapComponents(parsed->drive, parsed->components, parsed->components.size());
}

Expected<std::string> HostParentPath(const std::string& windowsPath, std::string* finalName) {
  Expected<DrivePath> parsed = ParseWindowsPath(windowsPath);
  if (!parsed.ok()) return parsed.status();
  if (parsed->components.empty()) return Status::Failure(kAccessDenied);
  *finalName = parsed->components.back();
  return MapComponents(parsed->drive, parsed->components, parsed->components.size() - 1);
}

std::optional<std::string> WindowsPathOfHost(const std::string& hostPath) {
  std::vector<std::string> roots = {MachineRoot()};
  if (char* resolved = realpath(roots[0].c_str(), nullptr)) {
    roots.push_back(resolved);
    std::free(resolved);
  }
  for (const std::string& root : roots) {
    std::string prefix = root + "/drive_";
    if (hostPath.compare(0, prefix.size(), prefix) != 0) continue;
    size_t letterAt = prefix.size();
    if (letterAt >= hostPath.size() || !IsDriveLetter(hostPath[letterAt])) continue;
    if (letterAt + 1 < hostPath.size() && hostPath[letterAt + 1] != '/') continue;
    std::string windowsPath = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(hostPath[letterAt])))) + ":\\";
    std::string rest = hostPath.substr(std::min(letterAt + 2, hostPath.size()));
    DropTrailingSlashes(&rest);
    for (char& c : rest) {
      if (c == '/') c = '\\';
    }
    windowsPath += rest;
    return windowsPath;
  }
  return std::nullopt;
}

std::string CurrentDirectory() {
  std::optional<std::string> current = WindowsPathOfHost(HostCurrentDirectory());
  return current ? *current : "C:\\";
}

}  // namespace orvane::os::posix
