// Host names, name resolution and the services database, for the OS seam:
// what the product takes from Windows Sockets 1.1.
#ifndef ORVANE_OS_NETWORK_H_
#define ORVANE_OS_NETWORK_H_

#include <string>
#include <vector>

#include "orvane/os/Status.h"

namespace orvane::os {

// Starts and stops the socket layer; the calls are counted, as WSAStartup and
// WSACleanup are, and every successful start needs its stop.
Status StartSocketLayer();
Status StopSocketLayer();

// Holds the socket layer started for its lifetime.
class SocketLayerScope {
 public:
  SocketLayerScope() : m_status(StartSocketLayer()) {}
  ~SocketLayerScope() {
    if (m_status.ok()) StopSocketLayer();
  }
  SocketLayerScope(const SocketLayerScope&) = delete;
  SocketLayerScope& operator=(const SocketLayerScope&) = delete;
  const Status& status() const { return m_status; }

 private:
  Status m_status;
};

// The local host name. On the emulated machine: the Tcpip Parameters
// "Hostname" value when set, else the host's own name.
Expected<std::string> LocalHostName();

struct HostEntry {
  std::string officialName;
  std::vector<std::string> addresses;  // IPv4, dotted decimal, in order
};

// Resolves a host name. On the emulated machine the machine's hosts file is
// read first, then the host's resolver.
Expected<HostEntry> ResolveHost(const std::string& name);

struct ServiceEntry {
  std::string name;
  int port = 0;
  std::string protocol;
};

#include "orvane/os/NetworkCalls.inc"

}  // namespace orvane::os

#endif  // ORVANE_OS_NETWORK_H_
