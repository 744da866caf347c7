#include "orvane/os/NetworkDatabaseText.h"

#include <algorithm>

#include "orvane/os/WindowsNames.h"

namespace orvane::os {

namespace {

constexpr size_t kMaxPortDigits = 5;

bool SameLetters(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return UpperAscii(x) == UpperAscii(y);
         });
}

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; }

std::string_view WithoutComment(std::string_view line) { return line.substr(0, line.find('#')); }

// The word of line that starts at or after *pos, which moves past it; empty
// when there is none.
// Plain loops: a search for any of a set of characters costs a call for each
// character, and every line of a large services file comes through here.
std::string_view NextWord(std::string_view line, size_t* pos) {
  size_t start = *pos;
  while (start < line.size() && IsBlank(line[start])) ++start;
  if (start >= line.size()) return std::string_view();
  size_t end = start;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  *pos = end;
  return line.substr(start, end - start);
}

}  // namespace

std::vector<std::string> DatabaseLineWords(std::string_view line) {
  line = WithoutComment(line);
  std::vector<std::string> words;
  size_t pos = 0;
  for (std::string_view word = NextWord(line, &pos); !word.empty(); word = NextWord(line, &pos)) {
    words.emplace_back(word);
  }
  return words;
}

std::optional<ServiceEntry> ParseServicesLine(std::string_view line) {
  // Only the first two words count: no list of words is made for each line
  // of a file of many thousand.
  line = WithoutComment(line);
  size_t pos = 0;
  const std::string_view name = NextWord(line, &pos);
  const std::string_view portWord = NextWord(line, &pos);
  if (portWord.empty()) return std::nullopt;
  const size_t slash = portWord.find('/');
  if (slash == std::string_view::npos || slash == 0 || slash > kMaxPortDigits ||
      slash + 1 == portWord.size() ||
      !std::all_of(portWord.begin(), portWord.begin() + static_cast<long>(slash), IsDigit)) {
    return std::nullopt;
  }
  int port = 0;
  for (size_t i = 0; i < slash; ++i) port = port * 10 + (portWord[i] - '0');
  if (port > 65535) return std::nullopt;
  ServiceEntry entry;
  entry.name = std::string(name);
  entry.port = port;
  entry.protocol = std::string(portWord.substr(slash + 1));
  return entry;
}

std::optional<ServiceEntry> FindServiceByPortInServicesText(const std::string& text, int port,
                                                            const std::string& protocol) {
  std::string::size_type lineStart = 0;
  while (lineStart < text.size()) {
    std::string::size_type lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    std::optional<ServiceEntry> entry =
        ParseServicesLine(std::string_view(text).substr(lineStart, lineEnd - lineStart));
    lineStart = lineEnd + 1;
    if (!entry || entry->port != port) continue;
    if (!protocol.empty() && !SameLetters(entry->protocol, protocol)) continue;
    return entry;
  }
  return std::nullopt;
}

}  // namespace orvane::os
