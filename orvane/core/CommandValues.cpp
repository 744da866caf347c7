#include "orvane/core/CommandValues.h"

#include <cstring>

namespace orvane {
namespace {

// Letters and digits of ASCII only: the command interpreter's code page
// must not decide what a value means.
bool IsLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }

template <class Fits>
bool EveryCharacter(const char* text, Fits fits) {
  if (text == nullptr) return true;
  for (const char* p = text; *p != '\0'; ++p) {
    if (!fits(*p)) return false;
  }
  return true;
}

}  // namespace

bool IsHostNameText(const char* text) {
  return EveryCharacter(text, [](char c) { return IsLetterOrDigit(c) || c == '-' || c == '.'; });
}

bool IsDatabaseWord(const char* text) {
  return EveryCharacter(
      text, [](char c) { return IsLetterOrDigit(c) || std::strchr("_$#@", c) != nullptr; });
}

bool IsQuotableText(const char* text) {
  return EveryCharacter(text, [](char c) { return !IsControl(c) && c != '"' && c != '%'; });
}

bool IsSetValueText(const char* text) {
  return EveryCharacter(
      text, [](char c) { return !IsControl(c) && std::strchr("\"%&|<>^", c) == nullptr; });
}

bool IsInstanceNameText(const char* text) {
  const bool fits = EveryCharacter(
      text, [](char c) { return !IsControl(c) && std::strchr(" \\/:*?\"<>|&^%()", c) == nullptr; });
  const bool onlyDots =
      text != nullptr && *text != '\0' && std::strspn(text, ".") == std::strlen(text);
  return fits && !onlyDots;
}

std::string InQuotes(const char* text) {
  return "\"" + std::string(text == nullptr ? "" : text) + "\"";
}

}  // namespace orvane
