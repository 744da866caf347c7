#include "MessageCatalog.h"

#include <orvane/orvane.h>

namespace orvanectl {

namespace {

// The table's ids lie below this bound.
constexpr unsigned int kIdBound = 200;
// Stand-ins for the insertions that no message text holds.
constexpr char kFirst = '\x01';
constexpr char kSecond = '\x02';

std::vector<std::string> SplitAtInsertions(const std::string& text) {
  std::vector<std::string> pieces(1);
  for (char c : text) {
    if (c == kFirst || c == kSecond) {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  return pieces;
}

}  // namespace

MessageCatalog::MessageCatalog() {
  const char first[] = {kFirst, '\0'};
  const char second[] = {kSecond, '\0'};
  for (unsigned int id = 1; id < kIdBound; ++id) {
    KelString text;
    if (!KelLoadMessage(text, id, first, second)) continue;
    Pattern pattern{id, SplitAtInsertions(static_cast<const char*>(text)), 0};
    for (const std::string& piece : pattern.pieces) pattern.fixedLength += piece.size();
    m_patterns.push_back(std::move(pattern));
  }
}

bool MessageCatalog::Fits(const Pattern& pattern, const std::string& text) {
  const std::vector<std::string>& pieces = pattern.pieces;
  const std::string& head = pieces.front();
  if (text.compare(0, head.size(), head) != 0) return false;
  if (pieces.size() == 1) return text.size() == head.size();
  const std::string& tail = pieces.back();
  if (text.size() < head.size() + tail.size() ||
      text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
    return false;
  }
  // The middle pieces in order, each after the previous one, before the tail.
  std::size_t position = head.size();
  const std::size_t end = text.size() - tail.size();
  for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
    position = text.find(pieces[i], position);
    if (position == std::string::npos || position + pieces[i].size() > end) return false;
    position += pieces[i].size();
  }
  return true;
}

unsigned int MessageCatalog::IdOf(const std::string& text) const {
  const Pattern* best = nullptr;
  for (const Pattern& pattern : m_patterns) {
    if (Fits(pattern, text) && (best == nullptr || pattern.fixedLength > best->fixedLength)) {
      best = &pattern;
    }
  }
  return best == nullptr ? 0 : best->id;
}

}  // namespace orvanectl
