// The line forms of the web server's files: words, keyword lines, and the
// markers around the product's own sections.
//
// Words are separated by blanks, tabs, carriage returns and line feeds. The
// product's sections are recognised by substring, so that a marker line
// keeps working whatever an administrator adds around its text.
#ifndef ORVANE_CONFIG_WEBSERVERLINES_H_
#define ORVANE_CONFIG_WEBSERVERLINES_H_

#include <cstdio>
#include <string_view>

#include "orvane/config/SharedFileEdit.h"

namespace orvane {

// The word at index (0 the first) of line; empty when it has fewer words.
std::string_view LineWord(std::string_view line, int index);

// 1 when the first word of line is word, letter case ignored.
int IsKeywordLine(const char* line, const char* word);
// 1 for the web server's catch-all rule: first word "Pass", second "/*",
// letter case ignored.
int IsDefaultPassLine(const char* line);

// Section markers as written and as recognised.
constexpr char kSectionTitle[] = "VXR Tessaly";
constexpr char kSectionEndTitle[] = "End of VXR Tessaly";
constexpr char kLegacySectionEnd[] = "END OF TESSALY";
constexpr char kDefaultPassTitle[] = "VXR Tessaly (Pass)";
constexpr char kDefaultPassEndTitle[] = "End of VXR Tessaly (Pass)";

// Inline, like the filter below, so that a host explaining a refused file
// finds the sections by the same rule.
inline bool IsSectionBeginLine(std::string_view line) {
  return line.find(kSectionTitle) != std::string_view::npos;
}
inline bool IsSectionEndLine(std::string_view line) {
  return line.find(kSectionEndTitle) != std::string_view::npos ||
         line.find(kLegacySectionEnd) != std::string_view::npos;
}

// Writes "###### title ###### (Do not edit this section)" and a line feed.
void WriteSectionBegin(FILE* out, const char* title);
// Writes "###### title ######" and a line feed.
void WriteSectionEnd(FILE* out, const char* title);

// Drops the lines of old product sections while a file is copied: every
// line from one containing the begin marker up to and including the next one
// containing an end marker.
class OldSectionFilter {
 public:
  // True when line belongs to an old section (and is to be dropped).
  bool Drops(std::string_view line) {
    if (m_inside) {
      m_inside = !IsSectionEndLine(line);
      return true;
    }
    m_inside = IsSectionBeginLine(line);
    return m_inside;
  }
  // True when the file ended inside a section that was never closed.
  bool InsideSection() const { return m_inside; }

 private:
  bool m_inside = false;
};

// Reports the failed edit of a web server file (path) with the message its
// failure calls for: 28 not readable, 26 not writable, 6 refused. 1 when the
// edit was done, else 0.
int ReportWebServerFileEdit(EditResult result, const char* path);

}  // namespace orvane

#endif  // ORVANE_CONFIG_WEBSERVERLINES_H_
