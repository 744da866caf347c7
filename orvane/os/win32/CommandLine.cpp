// SplitCommandLine: the rules by which Windows programs split their command
// line into arguments.
#include "orvane/os/Process.h"

namespace orvane::os {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  std::string argument;
  bool inArgument = false;
  bool quoted = false;
  size_t pos = 0;
  while (pos < commandLine.size()) {
    char ch = commandLine[pos];
    if ((ch == ' ' || ch == '\t') && !quoted) {
      if (inArgument) arguments.push_back(argument);
      argument.clear();
      inArgument = false;
      ++pos;
      continue;
    }
    inArgument = true;
    if (ch == '\\') {
      size_t backslashes = commandLine.find_first_not_of('\\', pos) - pos;
      if (pos + backslashes < commandLine.size() && commandLine[pos + backslashes] == '"') {
        // 2n backslashes before a quote are n backslashes and the quote
        // groups; 2n + 1 are n backslashes and a literal quote.
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) argument += '"';
        else quoted = !quoted;
        pos += backslashes + 1;
      } else {
        argument.append(backslashes, '\\');
        pos += backslashes;
      }
      continue;
    }
    if (ch == '"') quoted = !quoted;
    else argument += ch;
    ++pos;
  }
  if (inArgument) arguments.push_back(argument);
  return arguments;
}

}  // namespace orvane::os
