// Letter-case-blind comparison of ANSI texts, as Windows compares names:
// only the ASCII letters A-Z and a-z are folded.
#ifndef ORVANE_PLATFORM_ASCIICASE_H_
#define ORVANE_PLATFORM_ASCIICASE_H_

#include <cstddef>

namespace orvane {

inline char FoldAsciiCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// True when the first length characters of text equal the whole of name.
inline bool EqualsIgnoringCase(const char* text, size_t length, const char* name) {
  for (size_t i = 0; i < length; ++i) {
    if (name[i] == '\0' || FoldAsciiCase(text[i]) != FoldAsciiCase(name[i])) return false;
  }
  return name[length] == '\0';
}

}  // namespace orvane

#endif  // ORVANE_PLATFORM_ASCIICASE_H_
