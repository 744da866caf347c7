#include "orvane/core/MSListIndex.h"

#include <algorithm>
#include <iterator>

#include "orvane/core/AsciiCase.h"

namespace orvane {
namespace {

std::string Folded(const char* text) {
  std::string folded = text;
  for (char& c : folded) c = FoldAsciiCase(c);
  return folded;
}

// Database name and user, each folded; no text holds a NUL, so a NUL keeps
// the two apart.
std::string DatabaseUser(const MSInfo& rec) {
  return Folded(rec.GetDBName()) + '\0' + Folded(rec.GetDBUser());
}

std::string FoldedPassword(const MSInfo& rec) {
  KelString password;
  rec.GetDBPswd(password);
  return Folded(password);
}

template <typename Key>
int Earlier(const std::unordered_map<Key, int>& positions, const Key& key, int limit) {
  const auto found = positions.find(key);
  return found == positions.end() ? limit : std::min(limit, found->second);
}

}  // namespace

long long PortBlockEnd(const MSInfo& rec) {
  return static_cast<long long>(rec.GetMSPort()) + rec.GetMSProc() + 3;
}

void ConflictIndex::Add(const MSInfo& rec) {
  const int position = static_cast<int>(m_records.size());
  m_records.push_back(&rec);
  // emplace keeps the first record's position of every key.
  m_names.emplace(Folded(rec.GetName()), position);
  m_hosts.emplace(Folded(rec.GetISHost()), position);
  m_htmlPaths.emplace(Folded(rec.GetHtmlPath()), position);
  m_ports.emplace(rec.GetMSPort(), position);
  AddDatabase(rec, position);

  const Block block{rec.GetMSPort(), PortBlockEnd(rec), position};
  // The map's block that starts last before this block ends is the only one
  // that can overlap it: those before it end before it starts.
  auto below = m_disjointBlocks.lower_bound(block.end);
  const bool overlapsMap =
      below != m_disjointBlocks.begin() && std::prev(below)->second.end > block.first;
  if (block.first < block.end && !overlapsMap) {
    m_disjointBlocks.emplace(block.first, block);
  } else {
    m_otherBlocks.push_back(block);
  }
}

void ConflictIndex::AddDatabase(const MSInfo& rec, int position) {
  const auto [group, added] =
      m_databases.try_emplace(DatabaseUser(rec), DatabaseGroup{position, &rec, {}});
  if (added) return;
  TextPositions& byPassword = group->second.byPassword;
  if (byPassword.empty()) {
    byPassword.emplace(FoldedPassword(*group->second.first), group->second.firstPosition);
  }
  byPassword.emplace(FoldedPassword(rec), position);
}

int ConflictIndex::FirstDatabaseMatch(const MSInfo& rec, int limit) const {
  const auto group = m_databases.find(DatabaseUser(rec));
  if (group == m_databases.end()) return limit;
  const std::string password = FoldedPassword(rec);
  const DatabaseGroup& users = group->second;
  if (!users.byPassword.empty()) return Earlier(users.byPassword, password, limit);
  return FoldedPassword(*users.first) == password ? std::min(limit, users.firstPosition) : limit;
}

int ConflictIndex::FirstBlockOverlap(const MSInfo& rec, int limit) const {
  const long long first = rec.GetMSPort();
  const long long end = PortBlockEnd(rec);
  int position = limit;
  // Down from the last block that starts before rec's block ends; their ends
  // fall on the way, so the first that ends at or before rec's first port
  // ends the walk.
  for (auto it = m_disjointBlocks.lower_bound(end); it != m_disjointBlocks.begin();) {
    --it;
    if (it->second.end <= first) break;
    position = std::min(position, it->second.position);
  }
  for (const Block& block : m_otherBlocks) {
    if (first < block.end && block.first < end) position = std::min(position, block.position);
  }
  return position;
}

const MSInfo* ConflictIndex::FirstConflict(const MSInfo& rec) const {
  int position = static_cast<int>(m_records.size());
  position = Earlier(m_names, Folded(rec.GetName()), position);
  position = Earlier(m_hosts, Folded(rec.GetISHost()), position);
  position = Earlier(m_htmlPaths, Folded(rec.GetHtmlPath()), position);
  position = FirstDatabaseMatch(rec, position);
  position = Earlier(m_ports, rec.GetMSPort(), position);
  position = FirstBlockOverlap(rec, position);
  return position < static_cast<int>(m_records.size()) ? m_records[position] : nullptr;
}

}  // namespace orvane
