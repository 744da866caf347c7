// Letter-case-blind comparison of ASCII text, as Windows compares names.
#ifndef ORVANE_OS_POSIX_ASCIICASE_H_
#define ORVANE_OS_POSIX_ASCIICASE_H_

#include <string>

namespace orvane::os::posix {

inline char AsciiLower(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

inline bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::string::size_type i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

inline bool EndsWithIgnoringCase(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() &&
         EqualsIgnoringCase(text.substr(text.size() - ending.size()), ending);
}

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_ASCIICASE_H_
