// Host names, name resolution and the services database of the emulated
// machine. The machine's own files come first (its hosts and services files
// in C:\WINNT\system32\drivers\etc); only names they do not know go to the
// host's resolver.
#include "orvane/os/Network.h"
#include "orvane/os/Backend.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>

#include "orvane/os/Files.h"
#include "orvane/os/Registry.h"
#include "orvane/os/posix/AsciiCase.h"
#include "orvane/os/posix/ErrnoStatus.h"
#include "orvane/os/posix/HostFileVersion.h"
#include "orvane/os/posix/Machine.h"
#include "orvane/os/NetworkDatabaseText.h"
#include "orvane/os/posix/NetworkDatabases.h"

namespace orvane::os {
namespace {

// The Windows Sockets error codes that these calls report.
constexpr unsigned long kSocketsNotInitialised = 10093;  // WSANOTINITIALISED
constexpr unsigned long kHostNotFound = 11001;           // WSAHOST_NOT_FOUND
constexpr unsigned long kNoData = 11004;                 // WSANO_DATA

constexpr char kTcpipParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr char kLoopbackAddress[] = "127.0.0.1";

std::atomic<unsigned long> g_socketLayerStarts{0};

std::string DatabaseFilePath(const std::string& fileName) {
  return WindowsDirectory() + "\\system32\\drivers\\etc\\" + fileName;
}

// The whole text of a file of the machine's etc directory; nothing when it
// cannot be read.
std::optional<std::string> ReadDatabaseFile(const std::string& fileName) {
  std::string path = DatabaseFilePath(fileName);
  FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return std::nullopt;
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  std::fclose(file);
  return text;
}

// The machine's hosts file as it is now, parsed once per version of the
// file: one stat tells whether the kept one is still current, so an edit, by
// this process or another, is seen at the next look-up. Null when the file
// cannot be read.
std::shared_ptr<const posix::HostsDatabase> CurrentHostsDatabase() {
  struct Cache {
    std::mutex mutex;
    std::string hostPath;
    std::optional<posix::HostFileVersion> version;
    std::shared_ptr<const posix::HostsDatabase> database;
  };
  static Cache& cache = *new Cache;  // never destroyed, like the other backend state
  Expected<std::string> hostPath = posix::HostPath(DatabaseFilePath("hosts"));
  if (!hostPath.ok()) return nullptr;
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (cache.database != nullptr && cache.hostPath == *hostPath &&
      cache.version->IsCurrent(*hostPath)) {
    return cache.database;
  }
  cache.database.reset();
  cache.version.reset();
  std::string text;
  Expected<posix::HostFileVersion> version = posix::HostFileVersion::Open(*hostPath, &text);
  if (!version.ok()) return nullptr;
  cache.hostPath = *hostPath;
  cache.version = std::move(*version);
  cache.database = std::make_shared<const posix::HostsDatabase>(text);
  return cache.database;
}

Expected<std::string> HostOwnName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return posix::FailureFromErrno(errno);
  return std::string(name);
}

// The host's resolver, IPv4 addresses only.
std::optional<HostEntry> ResolveOnHost(const std::string& name) {
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* results = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &results) != 0) return std::nullopt;
  HostEntry entry;
  entry.officialName = results->ai_canonname != nullptr ? results->ai_canonname : name;
  for (addrinfo* result = results; result != nullptr; result = result->ai_next) {
    char text[INET_ADDRSTRLEN];
    const in_addr& address = reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_addr;
    if (inet_ntop(AF_INET, &address, text, sizeof text) == nullptr) continue;
    if (std::find(entry.addresses.begin(), entry.addresses.end(), text) == entry.addresses.end()) {
      entry.addresses.push_back(text);
    }
  }
  freeaddrinfo(results);
  if (entry.addresses.empty()) return std::nullopt;
  return entry;
}

// Windows always resolves its own name, to its own addresses (the loopback
// address when it has no other), also when the name is the machine's
// emulated one that no resolver knows.
HostEntry ResolveOwnName(const std::string& localName) {
  HostEntry entry;
  Expected<std::string> hostName = HostOwnName();
  std::optional<HostEntry> host = hostName ? ResolveOnHost(*hostName) : std::nullopt;
  if (host) entry.addresses = host->addresses;
  if (entry.addresses.empty()) entry.addresses.push_back(kLoopbackAddress);
  entry.officialName = localName;
  return entry;
}

}  // namespace

Status StartSocketLayer() {
  ++g_socketLayerStarts;
  return Status();
}

Status StopSocketLayer() {
  unsigned long starts = g_socketLayerStarts.load();
  do {
    if (starts == 0) return Status::Failure(kSocketsNotInitialised);
  } while (!g_socketLayerStarts.compare_exchange_weak(starts, starts - 1));
  return Status();
}

Expected<std::string> LocalHostName() {
  Expected<RegistryKey> parameters =
      RegistryKey::Open(RegistryRoot::kLocalMachine, kTcpipParametersKey, RegistryAccess::kRead);
  if (parameters) {
    Expected<RegistryValue> hostname = parameters->QueryValue("Hostname");
    if (hostname && !hostname->AsString().empty()) return hostname->AsString();
  }
  return HostOwnName();
}

Expected<HostEntry> ResolveHost(const std::string& name) {
  // An empty name is the local host, as gethostbyname takes it.
  if (name.empty()) {
    Expected<std::string> localName = LocalHostName();
    if (!localName) return localName.status();
    return ResolveHost(*localName);
  }
  if (std::optional<std::string> address = posix::NormalIpv4Address(name)) {
    return HostEntry{name, {*address}};
  }
  if (std::shared_ptr<const posix::HostsDatabase> hosts = CurrentHostsDatabase()) {
    if (std::optional<HostEntry> entry = hosts->Find(name)) return *entry;
  }
  Expected<std::string> localName = LocalHostName();
  if (localName && posix::EqualsIgnoringCase(*localName, name)) return ResolveOwnName(*localName);
  if (std::optional<HostEntry> entry = ResolveOnHost(name)) return *entry;
  return Status::Failure(kHostNotFound);
}

namespace backend {

Expected<ServiceEntry> LookupServiceByPort(int port, const std::string& protocol) {
  std::optional<std::string> services = ReadDatabaseFile("services");
  if (services) {
    std::optional<ServiceEntry> entry =
        FindServiceByPortInServicesText(*services, port, protocol);
    if (entry) return *entry;
  }
  return Status::Failure(kNoData);
}

}  // namespace backend
}  // namespace orvane::os
