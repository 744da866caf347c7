#include "orvane/os/NetworkDatabaseText.h"

#include <algorithm>

namespace orvane::os {

namespace {

constexpr char kBlanks[] = " \t\r";
constexpr size_t kMaxPortDigits = 5;

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

}  // namespace

std::vector<std::string> DatabaseLineWords(std::string_view line) {
  line = line.substr(0, line.find('#'));
  std::vector<std::string> words;
  size_t wordStart = line.find_first_not_of(kBlanks);
  while (wordStart != std::string_view::npos) {
    size_t wordEnd = std::min(line.find_first_of(kBlanks, wordStart), line.size());
    words.emplace_back(line.substr(wordStart, wordEnd - wordStart));
    wordStart = line.find_first_not_of(kBlanks, wordEnd);
  }
  return words;
}

std::optional<ServiceEntry> ParseServicesLine(std::string_view line) {
  std::vector<std::string> words = DatabaseLineWords(line);
  if (words.size() < 2) return std::nullopt;
  const std::string& portWord = words[1];
  const size_t slash = portWord.find('/');
  if (slash == std::string::npos || slash == 0 || slash > kMaxPortDigits ||
      slash + 1 == portWord.size() ||
      !std::all_of(portWord.begin(), portWord.begin() + static_cast<long>(slash), IsDigit)) {
    return std::nullopt;
  }
  int port = 0;
  for (size_t i = 0; i < slash; ++i) port = port * 10 + (portWord[i] - '0');
  if (port > 65535) return std::nullopt;
  ServiceEntry entry;
  entry.name = std::move(words[0]);
  entry.port = port;
  entry.protocol = portWord.substr(slash + 1);
  return entry;
}

}  // namespace orvane::os
