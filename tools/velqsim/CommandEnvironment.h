// The Velq command environment ("velqcmd"): a command window that runs
// command files with the "velq" command line at hand.
//
// Lines of a command file, with "@" before a command allowed:
//   call FILE [ARGS]      runs another command file (".cmd" or ".bat" may be
//                         left out), with %1 ... %9 and %* set to ARGS; a
//                         command file named without call runs in place of
//                         the rest of the current one
//   cd [/d] DIR, chdir    changes the current directory
//   mkdir DIR, md DIR     makes a directory and the missing ones above it
//   del FILE, erase FILE  deletes a file
//   echo TEXT, echo.      prints the text (echo on/off changes nothing)
//   rem ..., :: ...       comments
//   exit [/b] [CODE]      ends the environment (with /b, the current file)
//   velqstop, velqstart   stop and start the database manager
//   velq COMMAND          the command line (see CommandLine.h)
// Any command may be followed by "> FILE" or ">> FILE" (standard output,
// replaced or appended), "2> FILE", "2>> FILE" and "2>&1". %% is a percent
// sign.
//
// The environment's window is hidden when the library starts it: what its
// commands print without a redirection goes to its console, which velqsim
// keeps as the file console.log in the Velq data directory.
#ifndef TOOLS_VELQSIM_COMMANDENVIRONMENT_H_
#define TOOLS_VELQSIM_COMMANDENVIRONMENT_H_

#include <cstdio>
#include <string>
#include <vector>

#include "tools/velqsim/CommandLine.h"

namespace velqsim {

class CommandEnvironment {
 public:
  // console takes what the commands print without a redirection.
  explicit CommandEnvironment(FILE* console);

  // Runs one command line (for velqcmd's own arguments: usually a command
  // file's path). Returns the exit code.
  int RunLine(const std::string& line);

  // True after "exit" (or a hang): nothing more runs.
  bool ended() const { return m_ended; }

 private:
  struct Redirection;
  // Runs a command file; false when it cannot be read.
  bool RunFile(const std::string& path, const std::vector<std::string>& arguments);
  int RunCommand(const std::string& text, FILE* out, FILE* err);
  int Call(const std::string& rest, FILE* err);
  int ChangeDirectory(const std::string& rest, FILE* err);
  int MakeDirectory(const std::string& rest, FILE* err);
  int Delete(const std::string& rest, FILE* err);
  void Exit(const std::string& rest);
  void Hang();

  FILE* m_console;
  CommandLine m_commandLine;
  Knobs m_knobs;
  int m_exitCode = 0;
  bool m_ended = false;
  // Set by "exit /b" or a command file that runs in place: the current file
  // stops.
  bool m_leaveFile = false;
  int m_depth = 0;
};

// The program path of a command file: path as given, or with ".cmd" or
// ".bat" added, whichever exists; "" when none does.
std::string FindCommandFile(const std::string& path);

// %0 ... %9, %* and %% of a line of a command file run with arguments (%0
// is the file itself).
std::string SubstituteArguments(const std::string& line, const std::vector<std::string>& arguments);

}  // namespace velqsim

#endif  // TOOLS_VELQSIM_COMMANDENVIRONMENT_H_
