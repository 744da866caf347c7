// Windows Sockets 1.1 for the seam. Each look-up holds the socket layer
// started for its own duration, so it works whether or not a caller started it.
#include "orvane/os/Network.h"
#include "orvane/os/Backend.h"

#include <mutex>

#include "orvane/os/win32/ApiStatus.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {
namespace {

// The failure of a socket call; WSAGetLastError says why.
Status SocketFailure() {
  int code = ::WSAGetLastError();
  return Status::Failure(code != 0 ? static_cast<unsigned long>(code) : WSANO_DATA);
}

// The seam's own starts: other code of the process (Wine's DLLs among it)
// may hold the socket layer too, and a stop without a start of the seam's
// must fail all the same.
std::mutex g_startsMutex;
int g_starts = 0;

}  // namespace

Status StartSocketLayer() {
  std::lock_guard<std::mutex> lock(g_startsMutex);
  WSADATA data;
  Status started = StatusFromCode(::WSAStartup(MAKEWORD(1, 1), &data));
  if (started.ok()) ++g_starts;
  return started;
}

Status StopSocketLayer() {
  std::lock_guard<std::mutex> lock(g_startsMutex);
  if (g_starts == 0) return Status::Failure(WSANOTINITIALISED);
  if (::WSACleanup() != 0) return SocketFailure();
  --g_starts;
  return Status();
}

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

namespace backend {

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

}  // namespace backend
}  // namespace orvane::os
