#include "orvane/config/DirectiveLine.h"

#include <algorithm>
#include <cstring>

namespace orvane {
namespace {

// The innermost watch of the calling thread; each watch links to the one
// around it.
thread_local LineWatch* innermostWatch = nullptr;

}  // namespace

bool HasLineEnd(const char* text) {
  return text != nullptr && std::strpbrk(text, "\r\n") != nullptr;
}

void WriteLine(FILE* out, const std::string& line) {
  // A look at each byte: find_first_of searches its set for every one.
  if (std::any_of(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; })) {
    RefuseLine();
    return;
  }
  // One write per line: the emulated machine's text streams are unbuffered.
  std::string ended;
  ended.reserve(line.size() + 1);
  ended += line;
  ended += '\n';
  std::fwrite(ended.data(), 1, ended.size(), out);
  if (innermostWatch != nullptr) innermostWatch->Note(&line);
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

void RefuseLine() {
  if (innermostWatch != nullptr) innermostWatch->Note(nullptr);
}

LineWatch::LineWatch() : m_outer(innermostWatch) { innermostWatch = this; }

LineWatch::~LineWatch() { innermostWatch = m_outer; }

bool LineWatch::WroteFirstWord(const std::string& word) const {
  return m_firstWords.count(word) != 0;
}

// line null: a refused line.
void LineWatch::Note(const std::string* line) {
  for (LineWatch* watch = this; watch != nullptr; watch = watch->m_outer) {
    if (line == nullptr) {
      watch->m_refused = true;
    } else {
      watch->m_firstWords.insert(line->substr(0, line->find(' ')));
    }
  }
}

}  // namespace orvane
