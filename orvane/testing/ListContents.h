// The contents of the library's parameter lists as plain vectors, for
// comparing them in tests.
#ifndef ORVANE_TESTING_LISTCONTENTS_H_
#define ORVANE_TESTING_LISTCONTENTS_H_

#include <string>
#include <vector>

#include "orvane/core/ParmList.h"

namespace orvane::test {

inline std::vector<std::string> Texts(const ParmList<KelString>& list) {
  ParmList<KelString> walk = list;
  std::vector<std::string> texts;
  KelString text;
  for (int more = walk.GetFirst(text); more; more = walk.GetNext(text)) {
    texts.push_back(static_cast<const char*>(text));
  }
  return texts;
}

// Each pair as "name=value".
inline std::vector<std::string> Pairs(const ParmList<NameValue>& list) {
  ParmList<NameValue> walk = list;
  std::vector<std::string> pairs;
  NameValue pair;
  for (int more = walk.GetFirst(pair); more; more = walk.GetNext(pair)) {
    pairs.push_back(static_cast<const char*>(pair.name) + std::string("=") + static_cast<const char*>(pair.value));
  }
  return pairs;
}

}  // namespace orvane::test

#endif  // ORVANE_TESTING_LISTCONTENTS_H_
