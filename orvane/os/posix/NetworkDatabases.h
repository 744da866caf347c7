// The machine's network databases: the hosts file and the services file,
// read as Windows Sockets reads them (the line format is that of
// NetworkDatabaseText.h). Names, aliases and protocols are compared without
// regard to letter case.
#ifndef ORVANE_OS_POSIX_NETWORKDATABASES_H_
#define ORVANE_OS_POSIX_NETWORKDATABASES_H_

#include <optional>
#include <string>
#include <unordered_map>

#include "orvane/os/Network.h"

namespace orvane::os::posix {

// An IPv4 address in dotted decimal form as inet_ntoa gives it; nothing when
// the text is not an IPv4 address.
std::optional<std::string> NormalIpv4Address(const std::string& text);

// The text of a hosts file parsed once, for look-ups of any number of names.
class HostsDatabase {
 public:
  explicit HostsDatabase(const std::string& text);

  // The entry of a host: the official name is the first name of the first
  // line that names the host (as official name or alias); the addresses are
  // those of every such line, in file order, each once. Only IPv4 lines
  // count. Nothing when no line names the host.
  std::optional<HostEntry> Find(const std::string& name) const;

 private:
  std::unordered_map<std::string, HostEntry> m_entries;  // names folded to lower case
};

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_NETWORKDATABASES_H_
