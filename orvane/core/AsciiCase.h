// Letter-case-blind comparison of ANSI texts, as Windows compares names:
// only the ASCII letters A-Z and a-z are folded.
#ifndef ORVANE_CORE_ASCIICASE_H_
#define ORVANE_CORE_ASCIICASE_H_

#include <cstddef>
#include <cstring>

namespace orvane {

inline char FoldAsciiCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// True when the first length characters of text equal the whole of name.
inline bool EqualsIgnoringCase(const char* text, size_t length, const char* name) {
  for (size_t i = 0; i < length; ++i) {
    if (name[i] == '\0' || FoldAsciiCase(text[i]) != FoldAsciiCase(name[i])) return false;
  }
  return name[length] == '\0';
}

// True when the two whole texts are equal but for letter case.
inline bool EqualsIgnoringCase(const char* a, const char* b) {
  return EqualsIgnoringCase(a, std::strlen(a), b);
}

}  // namespace orvane

#endif  // ORVANE_CORE_ASCIICASE_H_
