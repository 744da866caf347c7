#include "orvane/config/DirectiveLine.h"

#include <cstring>

namespace orvane {
namespace {

// Grows only, so that nested watches each see the refusals of their own time.
thread_local unsigned long refusedLines = 0;

}  // namespace

bool HasLineEnd(const char* text) {
  return text != nullptr && std::strpbrk(text, "\r\n") != nullptr;
}

void WriteLine(FILE* out, const std::string& line) {
  if (line.find_first_of("\r\n") != std::string::npos) {
    RefuseLine();
    return;
  }
  std::fputs(line.c_str(), out);
  std::fputc('\n', out);
}

void WriteTextLine(FILE* out, const char* keyword, const char* value) {
  std::string line = keyword;
  line += ' ';
  if (value != nullptr) line += value;
  WriteLine(out, line);
}

void WriteNumberLine(FILE* out, const char* keyword, int value) {
  WriteLine(out, std::string(keyword) + ' ' + std::to_string(value));
}

void RefuseLine() { ++refusedLines; }

RefusedLineWatch::RefusedLineWatch() : m_start(refusedLines) {}

bool RefusedLineWatch::Refused() const { return refusedLines != m_start; }

}  // namespace orvane
