#include "orvane/os/posix/NetworkDatabases.h"

#include <arpa/inet.h>

#include <algorithm>
#include <vector>

#include "orvane/os/NetworkDatabaseText.h"
#include "orvane/os/posix/AsciiCase.h"

namespace orvane::os::posix {
namespace {

// The words of each line of a database file that has any, comments left out.
std::vector<std::vector<std::string>> SplitDatabaseLines(const std::string& text) {
  std::vector<std::vector<std::string>> lines;
  std::string::size_type lineStart = 0;
  while (lineStart < text.size()) {
    std::string::size_type lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    std::vector<std::string> words =
        DatabaseLineWords(std::string_view(text).substr(lineStart, lineEnd - lineStart));
    if (!words.empty()) lines.push_back(std::move(words));
    lineStart = lineEnd + 1;
  }
  return lines;
}

std::string FoldedCase(std::string text) {
  for (char& ch : text) ch = AsciiLower(ch);
  return text;
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

HostsDatabase::HostsDatabase(const std::string& text) {
  for (const std::vector<std::string>& words : SplitDatabaseLines(text)) {
    std::optional<std::string> address = NormalIpv4Address(words[0]);
    if (words.size() < 2 || !address) continue;
    for (auto name = words.begin() + 1; name != words.end(); ++name) {
      auto [entry, added] = m_entries.try_emplace(FoldedCase(*name));
      if (added) entry->second.officialName = words[1];
      // A name twice on one line, or an address on two lines, counts once.
      std::vector<std::string>& addresses = entry->second.addresses;
      if (std::find(addresses.begin(), addresses.end(), *address) == addresses.end()) {
        addresses.push_back(*address);
      }
    }
  }
}

std::optional<HostEntry> HostsDatabase::Find(const std::string& name) const {
  auto found = m_entries.find(FoldedCase(name));
  if (found == m_entries.end()) return std::nullopt;
  return found->second;
}
}  // namespace orvane::os::posix
