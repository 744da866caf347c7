#include "orvane/os/posix/NetworkDatabases.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "orvane/os/posix/AsciiCase.h"

namespace orvane::os::posix {
namespace {

// The words of each line of a database file, comments left out.
std::vector<std::vector<std::string>> SplitDatabaseLines(const std::string& text) {
  std::vector<std::vector<std::string>> lines;
  std::string::size_type lineStart = 0;
  while (lineStart < text.size()) {
    std::string::size_type lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    std::string line = text.substr(lineStart, lineEnd - lineStart);
    line = line.substr(0, line.find('#'));
    std::vector<std::string> words;
    std::string::size_type wordStart = line.find_first_not_of(" \t\r");
    while (wordStart != std::string::npos) {
      std::string::size_type wordEnd = line.find_first_of(" \t\r", wordStart);
      if (wordEnd == std::string::npos) wordEnd = line.size();
      words.push_back(line.substr(wordStart, wordEnd - wordStart));
      wordStart = line.find_first_not_of(" \t\r", wordEnd);
    }
    if (!words.empty()) lines.push_back(std::move(words));
    lineStart = lineEnd + 1;
  }
  return lines;
}

// A port word of the services file ("80/tcp") split into its number and
// protocol; nothing when it is not of that form.
std::optional<ServiceEntry> ParsePortAndProtocol(const std::string& word) {
  std::string::size_type slash = word.find('/');
  if (slash == std::string::npos || slash == 0 || slash > 5 || slash + 1 == word.size()) {
    return std::nullopt;
  }
  std::string digits = word.substr(0, slash);
  if (!std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
    return std::nullopt;
  }
  int port = std::atoi(digits.c_str());
  if (port > 65535) return std::nullopt;
  ServiceEntry entry;
  entry.port = port;
  entry.protocol = word.substr(slash + 1);
  return entry;
}

}  // namespace

std::optional<std::string> NormalIpv4Address(const std::string& text) {
  in_addr address;
  char normal[INET_ADDRSTRLEN];
  if (inet_pton(AF_INET, text.c_str(), &address) != 1 ||
      inet_ntop(AF_INET, &address, normal, sizeof normal) == nullptr) {
    return std::nullopt;
  }
  return std::string(normal);
}

std::optional<HostEntry> FindHostInHostsText(const std::string& text, const std::string& name) {
  std::optional<HostEntry> found;
  for (const std::vector<std::string>& words : SplitDatabaseLines(text)) {
    std::optional<std::string> address = NormalIpv4Address(words[0]);
    if (words.size() < 2 || !address) continue;
    bool namesHost = std::any_of(words.begin() + 1, words.end(), [&](const std::string& word) {
      return EqualsIgnoringCase(word, name);
    });
    if (!namesHost) continue;
    if (!found) {
      found.emplace();
      found->officialName = words[1];
    }
    std::vector<std::string>& addresses = found->addresses;
    if (std::find(addresses.begin(), addresses.end(), *address) == addresses.end()) {
      addresses.push_back(*address);
    }
  }
  return found;
}

std::optional<ServiceEntry> FindServiceByPortInServicesText(const std::string& text, int port,
                                                            const std::string& protocol) {
  for (const std::vector<std::string>& words : SplitDatabaseLines(text)) {
    if (words.size() < 2) continue;
    std::optional<ServiceEntry> entry = ParsePortAndProtocol(words[1]);
    if (!entry || entry->port != port) continue;
    if (!protocol.empty() && !EqualsIgnoringCase(entry->protocol, protocol)) continue;
    entry->name = words[0];
    return entry;
  }
  return std::nullopt;
}

}  // namespace orvane::os::posix
