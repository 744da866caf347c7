// Unified diffs of the text files a change set holds, as `diff -u` prints
// them, so that people and review tools read them the usual way.
#ifndef ORVANECTL_UNIFIEDDIFF_H_
#define ORVANECTL_UNIFIEDDIFF_H_

#include <string>
#include <string_view>

namespace orvanectl {

// True when bytes hold text a diff may show: no NUL byte.
bool IsText(std::string_view bytes);

// "--- oldName", "+++ newName" and the hunks that turn before into after,
// with three lines of context; lines are compared with their line ends, and
// shown without a CR. Empty when the texts are equal.
std::string UnifiedDiff(std::string_view before, std::string_view after,
                        const std::string& oldName, const std::string& newName);

}  // namespace orvanectl

#endif  // ORVANECTL_UNIFIEDDIFF_H_
