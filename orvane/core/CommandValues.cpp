#include "orvane/core/CommandValues.h"

#include <cstring>

#include "orvane/core/AsciiCase.h"

namespace orvane {
namespace {

// Letters and digits of ASCII only: the command interpreter's code page
// must not decide what a value means.
bool IsLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }

bool IsDeviceName(const char* text) {
  const size_t stem = std::strcspn(text, ".");
  for (const char* device : {"con", "prn", "aux", "nul"}) {
    if (EqualsIgnoringCase(text, stem, device)) return true;
  }
  return stem == 4 && (EqualsIgnoringCase(text, 3, "com") || EqualsIgnoringCase(text, 3, "lpt")) &&
         text[3] >= '1' && text[3] <= '9';
}

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
  if (!fits || text == nullptr || *text == '\0') return fits;
  // Windows drops a trailing dot from a file name ("." and ".." lead
  // elsewhere) and opens a device for a reserved name, with or without an
  // ending: such a name is never a folder of the instance's own.
  return text[std::strlen(text) - 1] != '.' && !IsDeviceName(text);
}

std::string InQuotes(const char* text) {
  return "\"" + std::string(text == nullptr ? "" : text) + "\"";
}

}  // namespace orvane
