#include "orvane/config/WebServerLines.h"

#include <algorithm>
#include <string>

#include "orvane/config/DirectiveLine.h"
#include "orvane/config/WebServerMessages.h"
#include "orvane/core/AsciiCase.h"
#include "orvane/core/KelString.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

constexpr std::string_view kWordDelimiters = " \t\r\n";
// The message's text, for a library whose table lacks it.
constexpr char kDoNotEditText[] = "Do not edit this section";

bool WordIs(std::string_view word, const char* expected) {
  return !word.empty() && EqualsIgnoringCase(word.data(), word.size(), expected);
}

}  // namespace

std::string_view LineWord(std::string_view line, int index) {
  size_t start = line.find_first_not_of(kWordDelimiters);
  for (; start != std::string_view::npos; --index) {
    const size_t end = std::min(line.find_first_of(kWordDelimiters, start), line.size());
    if (index == 0) return line.substr(start, end - start);
    start = line.find_first_not_of(kWordDelimiters, end);
  }
  return {};
}

int IsKeywordLine(const char* line, const char* word) {
  return WordIs(LineWord(line, 0), word) ? 1 : 0;
}

int IsDefaultPassLine(const char* line) {
  return WordIs(LineWord(line, 0), "Pass") && WordIs(LineWord(line, 1), "/*") ? 1 : 0;
}

void WriteSectionBegin(FILE* out, const char* title) {
  KelString doNotEdit;
  if (!KelLoadMessage(doNotEdit, kMsgDoNotEdit)) doNotEdit = kDoNotEditText;
  WriteLine(out, std::string("###### ") + title + " ###### (" +
                     static_cast<const char*>(doNotEdit) + ")");
}

void WriteSectionEnd(FILE* out, const char* title) {
  WriteLine(out, std::string("###### ") + title + " ######");
}

int ReportWebServerFileEdit(EditResult result, const char* path) {
  switch (result) {
    case EditResult::kDone:
      return 1;
    case EditResult::kNotReadable:
      KelShowError(kMsgFileNotReadable, path);
      break;
    case EditResult::kNotWritable:
      KelShowError(kMsgFileNotWritable, path);
      break;
    case EditResult::kRefused:
      KelShowError(kMsgWebServerFileRefused);
      break;
  }
  return 0;
}

}  // namespace orvane
