// SplitCommandLine: the rules by which Windows programs split their command
// line into arguments, the same on every backend.
#include "orvane/os/Process.h"

namespace orvane::os {
namespace {

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

// The program name: up to the closing quote when it starts with one (no
// escapes), else up to the first blank.
std::string::size_type ReadProgramName(const std::string& line, std::string* name) {
  if (!line.empty() && line[0] == '"') {
    std::string::size_type close = line.find('"', 1);
    *name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    return close == std::string::npos ? line.size() : close + 1;
  }
  std::string::size_type end = line.find_first_of(" \t");
  if (end == std::string::npos) end = line.size();
  *name = line.substr(0, end);
  return end;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  if (commandLine.empty()) return arguments;
  std::string program;
  std::string::size_type pos = ReadProgramName(commandLine, &program);
  arguments.push_back(program);

  std::string current;
  bool inArgument = false;
  bool quoted = false;
  while (pos < commandLine.size()) {
    char ch = commandLine[pos];
    if (IsBlank(ch) && !quoted) {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
      ++pos;
      continue;
    }
    inArgument = true;
    if (ch == '\\') {
      std::string::size_type runEnd = commandLine.find_first_not_of('\\', pos);
      if (runEnd == std::string::npos) runEnd = commandLine.size();
      std::string::size_type run = runEnd - pos;
      if (runEnd == commandLine.size() || commandLine[runEnd] != '"') {
        current.append(run, '\\');  // backslashes before anything but a quote are literal
        pos += run;
        continue;
      }
      // 2n backslashes and a quote: n backslashes, the quote delimits;
      // 2n+1 backslashes and a quote: n backslashes and a literal quote.
      current.append(run / 2, '\\');
      pos += run;
      if (run % 2 == 1) {
        current += '"';
        ++pos;
      }
      continue;
    }
    if (ch == '"') {
      // Inside quotes a doubled quote is one literal quote and ends the quoting.
      if (quoted && pos + 1 < commandLine.size() && commandLine[pos + 1] == '"') {
        current += '"';
        quoted = false;
        pos += 2;
        continue;
      }
      quoted = !quoted;
      ++pos;
      continue;
    }
    current += ch;
    ++pos;
  }
  if (inArgument) arguments.push_back(current);
  return arguments;
}

}  // namespace orvane::os
