// Runs a program built beside the tests and reads what it prints, on the
// emulated machine as under Wine. Header only, for every test program.
#ifndef ORVANE_TESTING_PROGRAMPIPE_H_
#define ORVANE_TESTING_PROGRAMPIPE_H_

#include <cstdio>
#include <optional>
#include <string>

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

namespace orvane::test {

// A program's path in the build as the program's own system names it: under
// Wine the build's host paths are on drive Z.
inline std::string ProgramPath(std::string path) {
#if defined(_WIN32)
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
#endif
  return path;
}

// The command line that runs the program at a path of the build.
inline std::string ProgramCommand(const std::string& path) {
#if defined(_WIN32)
  return "\"\"" + ProgramPath(path) + "\"\"";  // the command interpreter drops the outer quotes
#else
  return "'" + path + "'";
#endif
}

// Starts a command line with its standard output as a pipe to read.
inline FILE* OpenProgramPipe(const std::string& commandLine) {
#if defined(_WIN32)
  return _popen(commandLine.c_str(), "rb");
#else
  return popen(commandLine.c_str(), "r");
#endif
}

// Closes the pipe and waits for the program: its exit status, -1 when it did
// not exit normally.
inline int CloseProgramPipe(FILE* pipe) {
#if defined(_WIN32)
  return _pclose(pipe);
#else
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

// Runs a command line to its end, appending what it printed on standard
// output to *output: its exit status as CloseProgramPipe tells it, nothing
// when it could not be started.
inline std::optional<int> RunProgram(const std::string& commandLine, std::string* output) {
  FILE* pipe = OpenProgramPipe(commandLine);
  if (pipe == nullptr) return std::nullopt;
  char buffer[4096];
  for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    output->append(buffer, count);
  }
  return CloseProgramPipe(pipe);
}

}  // namespace orvane::test

#endif  // ORVANE_TESTING_PROGRAMPIPE_H_
