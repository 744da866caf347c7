// The conflict rules between instance records as look-ups, for checking many
// records against one list (a whole data file) without comparing each with
// every other.
//
// The index answers which record, first in list order, a record conflicts
// with under any of the rules of MSList's CheckDup (same name, MSPort, web
// server host, HTML path or database; overlapping port blocks); the flags
// themselves are then CheckDup's of that one pair. Kept inside the library.
#ifndef ORVANE_CORE_MSLISTINDEX_H_
#define ORVANE_CORE_MSLISTINDEX_H_

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "orvane/core/MSInfo.h"

namespace orvane {

// One past the last port of a record's block: MSPort + MSProc + 3. Computed
// wide, so that numbers read from a damaged file cannot overflow.
long long PortBlockEnd(const MSInfo& rec);

class ConflictIndex {
 public:
  // Adds the record after those added before, in list order. The index keeps
  // a pointer to it: the record must outlive the index and stay unchanged.
  void Add(const MSInfo& rec);

  // The first added record that rec conflicts with; null when none.
  const MSInfo* FirstConflict(const MSInfo& rec) const;

 private:
  using TextPositions = std::unordered_map<std::string, int>;

  struct Block {
    long long first;
    long long end;  // one past the last port; at most first for a damaged record
    int position;
  };

  // Records with the same database name and user, letter case ignored.
  // Passwords are deciphered only once a second record shares both, so a
  // list of distinct databases deciphers none.
  struct DatabaseGroup {
    int firstPosition;
    const MSInfo* first;
    TextPositions byPassword;  // folded deciphered password; empty for one record
  };

  void AddDatabase(const MSInfo& rec, int position);
  // The position of the first record whose database is rec's, or limit.
  int FirstDatabaseMatch(const MSInfo& rec, int limit) const;
  // The position of the first record whose block overlaps rec's, or limit.
  int FirstBlockOverlap(const MSInfo& rec, int limit) const;

  std::vector<const MSInfo*> m_records;  // by position
  // Each key holds the position of the first record that has it; texts are
  // folded to lower case, as the rules compare them.
  TextPositions m_names;
  TextPositions m_hosts;
  TextPositions m_htmlPaths;
  std::unordered_map<std::string, DatabaseGroup> m_databases;  // by name and user
  std::unordered_map<int, int> m_ports;
  // Blocks that overlap no other block of this map, by first port: their
  // ends rise with their starts, so the blocks a range overlaps are found by
  // one search and a walk over just those.
  std::map<long long, Block> m_disjointBlocks;
  // The rest (empty or reversed blocks of damaged records, and blocks that
  // overlap one in the map), which only a list that was never checked holds.
  std::vector<Block> m_otherBlocks;
};

}  // namespace orvane

#endif  // ORVANE_CORE_MSLISTINDEX_H_
