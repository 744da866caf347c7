// Feeds arbitrary text to the readers of the hosts and services files.
// Words never hold a blank or a comment, a services line's entry writes out
// and parses back the same, a host found has one or more distinct addresses
// in their normal form, and a service found by port has that port.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/os/NetworkDatabaseText.h"
#include "orvane/os/posix/NetworkDatabases.h"

namespace {

using orvane::os::DatabaseLineWords;
using orvane::os::ParseServicesLine;
using orvane::os::ServiceEntry;

void Require(bool holds) {
  if (!holds) std::abort();
}

bool IsWord(const std::string& word) {
  return !word.empty() && word.find_first_of(" \t\r#") == std::string::npos;
}

void CheckLine(std::string_view line) {
  const std::vector<std::string> words = DatabaseLineWords(line);
  Require(std::all_of(words.begin(), words.end(), IsWord));
  const std::optional<ServiceEntry> entry = ParseServicesLine(line);
  if (!entry) return;
  Require(entry->port >= 0 && entry->port <= 65535);
  Require(entry->name == words[0] && IsWord(entry->protocol));
  const std::optional<ServiceEntry> again = ParseServicesLine(
      entry->name + "\t" + std::to_string(entry->port) + "/" + entry->protocol + " # again");
  Require(again && again->name == entry->name && again->port == entry->port &&
          again->protocol == entry->protocol);
}

void CheckHost(const std::string& text, const std::string& name) {
  const std::optional<orvane::os::HostEntry> host =
      orvane::os::posix::HostsDatabase(text).Find(name);
  if (!host) return;
  Require(IsWord(host->officialName) && !host->addresses.empty());
  for (auto at = host->addresses.begin(); at != host->addresses.end(); ++at) {
    Require(orvane::os::posix::NormalIpv4Address(*at) == *at);
    Require(std::find(at + 1, host->addresses.end(), *at) == host->addresses.end());
  }
}

void CheckServiceByPort(const std::string& text, int port, const std::string& protocol) {
  const std::optional<ServiceEntry> entry =
      orvane::os::FindServiceByPortInServicesText(text, port, protocol);
  if (entry) Require(entry->port == port);
  if (!protocol.empty()) return;
  // Any protocol: the first line with an entry for the port is the one found.
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    const std::optional<ServiceEntry> listed = ParseServicesLine(line);
    if (!listed || listed->port != port) continue;
    Require(entry && entry->name == listed->name && entry->protocol == listed->protocol);
    return;
  }
  Require(!entry);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string_view rest = text;
  std::optional<ServiceEntry> first;
  std::string lastWord = "localhost";
  while (!rest.empty()) {
    const std::string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    CheckLine(line);
    if (!first) first = ParseServicesLine(line);
    const std::vector<std::string> words = DatabaseLineWords(line);
    if (!words.empty()) lastWord = words.back();
  }
  CheckHost(text, lastWord);
  const int port = first ? first->port : static_cast<int>(size % 65536);
  CheckServiceByPort(text, port, "");
  CheckServiceByPort(text, port, first ? first->protocol : "tcp");
  return 0;
}
