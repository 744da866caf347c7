#include "orvane/database/ScriptLog.h"

#include <cstring>
#include <string>

#include "orvane/os/Files.h"
#include "orvane/platform/TextFileRewrite.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

constexpr unsigned int kHostingDataError = 99;

// A line as the log reading sees it: the whole line, as far as a NUL byte,
// with its line end (wherever a NUL leaves it) turned into a blank.
bool ReadLogLine(FILE* in, std::string* line) {
  std::string whole;
  if (!ReadLine(in, &whole)) return false;
  *line = whole.c_str();
  if (!line->empty() && line->back() == '\n') line->pop_back();
  if (whole.back() == '\n') *line += ' ';
  return true;
}

std::string FirstWord(const std::string& line) {
  const std::string::size_type start = line.find_first_not_of(' ');
  if (start == std::string::npos) return std::string();
  return line.substr(start, line.find(' ', start) - start);
}

bool IsMessageNumber(const std::string& word, const char* prefix, char suffix) {
  const size_t length = std::strlen(prefix);
  return word.size() > length && word.compare(0, length, prefix) == 0 && word.back() == suffix;
}

void Report(const char* text) {
  if (pfnUpdate != nullptr) pfnUpdate(text);
}

// The error report that starts with first: it and the lines after it up to
// an empty one (a line that was only its line end).
std::string JoinErrorReport(FILE* in, const std::string& first) {
  std::string report = first;
  std::string line;
  while (ReadLogLine(in, &line) && line != " ") report += line;
  return report;
}

}  // namespace

LogVerdict ReadScriptLog(const KelString& path, LogErrors errors, const char* database) {
  LogVerdict verdict;
  FILE* in = os::OpenFile(std::string(path), "r");
  if (in == nullptr) return verdict;
  verdict.opened = true;
  std::string line;
  while (ReadLogLine(in, &line)) {
    const std::string word = FirstWord(line);
    if (IsMessageNumber(word, "VELQ", 'E')) {
      Report(JoinErrorReport(in, line).c_str());
      verdict.errorFound = true;
      if (errors == LogErrors::kVelqErrorsEndReading) break;
    } else if (errors == LogErrors::kVelqAndSqlErrors && IsMessageNumber(word, "SQL", 'N')) {
      KelString message;
      KelLoadMessage(message, kHostingDataError, database);
      Report(message);
      Report(line.c_str());
      verdict.errorFound = true;
    }
  }
  std::fclose(in);
  return verdict;
}

}  // namespace orvane
