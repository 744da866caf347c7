#include "orvane/os/posix/Machine.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
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

// A Windows path laid onto the host: host is "<root>/drive_x" followed by
// "/<component>" for each component below the drive's root, "." and ".."
// already resolved; ends[i] is where component i ends in host. Built in one
// pass into one string: every call of the seam maps a path.
struct MappedPath {
  std::string host;
  size_t driveEnd = 0;
  std::vector<size_t> ends;

  // Where the first count components end (count 0: the drive's root).
  size_t EndOf(size_t count) const { return count == 0 ? driveEnd : ends[count - 1]; }
  std::string Component(size_t i) const {
    const size_t start = EndOf(i) + 1;
    return host.substr(start, ends[i] - start);
  }
};

bool IsForbiddenInNames(unsigned char c) {
  switch (c) {
    case '<': case '>': case ':': case '"': case '|': case '?': case '*':
      return true;
    default:
      return c < 32;
  }
}

bool IsValidComponent(const std::string& path, size_t at, size_t length) {
  for (size_t i = at; i < at + length; ++i) {
    if (IsForbiddenInNames(static_cast<unsigned char>(path[i]))) return false;
  }
  return true;
}

// The drive's root, with room for the rest of a path of pathSize.
MappedPath DriveRootOf(char drive, size_t pathSize) {
  MappedPath mapped;
  mapped.host = MachineRoot();
  mapped.host.reserve(mapped.host.size() + pathSize + 8);
  mapped.host += "/drive_";
  mapped.host += drive;
  mapped.driveEnd = mapped.host.size();
  mapped.ends.reserve(16);
  return mapped;
}

// Appends the components of path from at on.
Status AppendComponents(const std::string& path, size_t at, MappedPath* mapped) {
  while (at <= path.size()) {
    size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const size_t length = end - at;
    if (length == 2 && path[at] == '.' && path[at + 1] == '.') {
      if (!mapped->ends.empty()) {
        mapped->ends.pop_back();
        mapped->host.resize(mapped->EndOf(mapped->ends.size()));
      }
    } else if (length > 0 && !(length == 1 && path[at] == '.')) {
      if (!IsValidComponent(path, at, length)) return Status::Failure(kInvalidName);
      mapped->host.push_back('/');
      mapped->host.append(path, at, length);
      mapped->ends.push_back(mapped->host.size());
    }
    at = end + 1;
  }
  return Status();
}

Expected<MappedPath> ParseWindowsPath(const std::string& path) {
  size_t at = 0;
  // The "\\?\" prefix only switches off Windows' path length limit.
  if (path.size() >= 6 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] == '?' &&
      IsSeparator(path[3])) {
    at = 4;
  }
  const size_t left = path.size() - at;
  if (left == 0 || (left >= 2 && IsSeparator(path[at]) && IsSeparator(path[at + 1]))) {
    return Status::Failure(kPathNotFound);
  }
  MappedPath mapped;
  if (left >= 2 && path[at + 1] == ':' && IsDriveLetter(path[at])) {
    mapped = DriveRootOf(AsciiLower(path[at]), path.size());
    at += 2;
  } else if (IsSeparator(path[at])) {
    mapped = DriveRootOf('c', path.size());
  } else {
    Expected<MappedPath> current = ParseWindowsPath(CurrentDirectory());
    if (!current.ok()) return current.status();
    mapped = std::move(*current);
  }
  Status appended = AppendComponents(path, at, &mapped);
  if (!appended.ok()) return appended;
  return mapped;
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

bool HostEntryExists(const std::string& hostPath, struct stat* info) {
  return lstat(hostPath.c_str(), info) == 0;
}

// The host path of the drive's root plus the first count components,
// matching existing components ignoring case until the first one that does
// not exist. With entry, *entry receives the lstat of the result, or nothing
// when it does not exist.
//
// Most paths exist as spelt, or all but their last component do: one lstat
// of the whole path (or of its folder) answers for every component on the
// way, since the kernel could walk it only through entries of exactly those
// names. Only past the first miss is each component looked up on its own.
std::string MapComponents(const MappedPath& mapped, size_t count,
                          std::optional<struct stat>* entry) {
  struct stat info;
  std::string host = mapped.host.substr(0, mapped.EndOf(count));
  if (count == 0 && entry == nullptr) return host;
  if (HostEntryExists(host, &info)) {
    if (entry != nullptr) *entry = info;
    return host;
  }
  if (entry != nullptr) entry->reset();
  if (count == 0) return host;
  size_t start = 0;
  if (count > 1 && HostEntryExists(mapped.host.substr(0, mapped.EndOf(count - 1)), &info)) {
    start = count - 1;
  }
  host.resize(mapped.EndOf(start));
  bool existing = true;
  bool asSpelt = true;  // every component so far matched in its own spelling
  for (size_t i = start; i < count; ++i) {
    const std::string component = mapped.Component(i);
    std::optional<std::string> match;
    // Below a folder reached as spelt, the last component's own spelling is
    // known to be missing.
    const bool spellingMissing = asSpelt && i + 1 == count;
    if (existing && !spellingMissing && HostEntryExists(host + "/" + component, &info)) {
      match = component;
    } else if (existing) {
      match = FindEntryIgnoringCase(host, component);
    }
    existing = match.has_value();
    asSpelt = asSpelt && existing && *match == component;
    host += "/" + (existing ? *match : component);
  }
  if (existing && entry != nullptr && HostEntryExists(host, &info)) *entry = info;
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

Expected<std::string> HostPath(const std::string& windowsPath,
                               std::optional<struct stat>* entry) {
  Expected<MappedPath> parsed = ParseWindowsPath(windowsPath);
  if (!parsed.ok()) return parsed.status();
  return MapComponents(*parsed, parsed->ends.size(), entry);
}

Expected<std::string> HostParentPath(const std::string& windowsPath, std::string* finalName) {
  Expected<MappedPath> parsed = ParseWindowsPath(windowsPath);
  if (!parsed.ok()) return parsed.status();
  if (parsed->ends.empty()) return Status::Failure(kAccessDenied);
  *finalName = parsed->Component(parsed->ends.size() - 1);
  return MapComponents(*parsed, parsed->ends.size() - 1, nullptr);
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
