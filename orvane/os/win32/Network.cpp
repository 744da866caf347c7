// Windows Sockets 1.1 for the seam. Each look-up holds the socket layer
// started for its own duration, so it works whether or not a caller started it.
#include "orvane/os/Network.h"

#include "orvane/os/win32/ApiStatus.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {
namespace {

// The failure of a socket call; WSAGetLastError says why.
Status SocketFailure() {
  int code = ::WSAGetLastError();
  return Status::Failure(code != 0 ? static_cast<unsigned long>(code) : WSANO_DATA);
}

}  // namespace

Status StartSocketLayer() {
  WSADATA data;
  return StatusFromCode(::WSAStartup(MAKEWORD(1, 1), &data));
}

Status StopSocketLayer() { return ::WSACleanup() == 0 ? Status() : SocketFailure(); }

Expected<std::string> LocalHostName() {
  SocketLayerScope socketLayer;
  if (!socketLayer.status().ok()) return socketLayer.status();
  char name[256];
  if (::gethostname(name, sizeof name) != 0) return SocketFailure();
  return std::string(name);
}

Expected<HostEntry> ResolveHost(const std::string& name) {
  SocketLayerScope socketLayer;
  if (!socketLayer.status().ok()) return socketLayer.status();
  const hostent* host = ::gethostbyname(name.c_str());
  if (host == nullptr) return SocketFailure();
  HostEntry entry;
  entry.officialName = host->h_name;
  if (host->h_addrtype == AF_INET) {
    for (char** address = host->h_addr_list; *address != nullptr; ++address) {
      entry.addresses.push_back(::inet_ntoa(*reinterpret_cast<const in_addr*>(*address)));
    }
  }
  return entry;
}

Expected<ServiceEntry> LookupServiceByPort(int port, const std::string& protocol) {
  SocketLayerScope socketLayer;
  if (!socketLayer.status().ok()) return socketLayer.status();
  const servent* service = ::getservbyport(::htons(static_cast<u_short>(port)),
                                           protocol.empty() ? nullptr : protocol.c_str());
  if (service == nullptr) return SocketFailure();
  ServiceEntry entry;
  entry.name = service->s_name;
  entry.port = ::ntohs(static_cast<u_short>(service->s_port));
  entry.protocol = service->s_proto;
  return entry;
}

}  // namespace orvane::os
