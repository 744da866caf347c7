#include "UnifiedDiff.h"

#include <dtl/dtl.hpp>

#include <sstream>
#include <vector>

namespace orvanectl {

namespace {

// The lines of a text, each with its CR LF or LF; a last line without one
// is marked as diff marks it, so that adding the line end is a change.
std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.emplace_back(std::string(text.substr(start)) + "\n\\ No newline at end of file");
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A line as shown: its CR is dropped (the files hold CR LF throughout).
std::string Shown(const std::string& line) {
  const std::size_t newline = line.find('\n');
  std::string shown = line.substr(0, newline);
  if (!shown.empty() && shown.back() == '\r') shown.pop_back();
  return newline == std::string::npos ? shown : shown + line.substr(newline);
}

}  // namespace

bool IsText(std::string_view bytes) { return bytes.find('\0') == std::string_view::npos; }

std::string UnifiedDiff(std::string_view before, std::string_view after,
                        const std::string& oldName, const std::string& newName) {
  if (before == after) return "";
  const std::vector<std::string> a = Lines(before);
  const std::vector<std::string> b = Lines(after);
  dtl::Diff<std::string, std::vector<std::string>> diff(a, b);
  diff.onHuge();  // files of many thousand lines: linear memory
  diff.compose();
  diff.composeUnifiedHunks();
  std::ostringstream out;
  out << "--- " << oldName << "\n+++ " << newName << "\n";
  for (const auto& hunk : diff.getUniHunks()) {
    // An empty side starts at the line before it, as diff -u counts.
    out << "@@ -" << (hunk.b == 0 ? hunk.a - 1 : hunk.a) << ',' << hunk.b << " +"
        << (hunk.d == 0 ? hunk.c - 1 : hunk.c) << ',' << hunk.d << " @@\n";
    for (const auto* part : {&hunk.common[0], &hunk.change, &hunk.common[1]}) {
      for (const auto& element : *part) {
        const char mark = element.second.type == dtl::SES_ADD      ? '+'
                          : element.second.type == dtl::SES_DELETE ? '-'
                                                                   : ' ';
        out << mark << Shown(element.first) << '\n';
      }
    }
  }
  return out.str();
}

}  // namespace orvanectl
