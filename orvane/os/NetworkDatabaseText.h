// The line format of the network databases (the hosts and services files),
// as Windows Sockets reads them: "#" starts a comment that runs to the line
// end, words are separated by blanks and tabs (a CR of a CR LF line end is a
// blank too).
//   hosts:    address official-name [alias ...]
//   services: name port/protocol [alias ...]
#ifndef ORVANE_OS_NETWORKDATABASETEXT_H_
#define ORVANE_OS_NETWORKDATABASETEXT_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/os/Network.h"

namespace orvane::os {

// The words of one line, its comment left out.
std::vector<std::string> DatabaseLineWords(std::string_view line);

// The entry of one line of a services file; nothing for a line without one:
// fewer than two words, or a port that is not a number from 0 to 65535
// followed by "/" and a protocol.
std::optional<ServiceEntry> ParseServicesLine(std::string_view line);

// The first entry of the text of a services file for a port, of any
// protocol when protocol is empty. Lines whose port is not a number from 0
// to 65535 are skipped.
std::optional<ServiceEntry> FindServiceByPortInServicesText(const std::string& text, int port,
                                                            const std::string& protocol);

}  // namespace orvane::os

#endif  // ORVANE_OS_NETWORKDATABASETEXT_H_
