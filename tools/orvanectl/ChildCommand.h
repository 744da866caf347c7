// A program run as a child with an argument vector (never through a shell),
// its standard input fed from a string and its output read line by line as
// it comes. The console runs orvanectl's own commands this way, so that each
// has the process (and the library's callbacks) to itself.
//
// POSIX only: the console is not built for Windows.
#ifndef ORVANECTL_CHILDCOMMAND_H_
#define ORVANECTL_CHILDCOMMAND_H_

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvanectl {

class ChildCommand {
 public:
  enum class Errors { kDiscard, kWithOutput };

  // Starts program with arguments (argv[0] is program itself). input is
  // written to its standard input, which is then closed, before any output
  // is read (so it must fit a pipe's buffer unless the child reads it all
  // first): values that must not appear on a command line (secrets) travel
  // there. With kWithOutput its
  // standard error joins standard output in one stream, in the order written.
  ChildCommand(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& input, Errors errors);
  // Waits for a child still running: it holds locks and finishes its work.
  ~ChildCommand();
  ChildCommand(const ChildCommand&) = delete;
  ChildCommand& operator=(const ChildCommand&) = delete;

  bool Started() const { return m_pid > 0; }

  // The next line of output without its line end (a last line without one
  // too); nothing once the output has ended.
  std::optional<std::string> NextLine();

  // Reads the rest of the output, waits, and returns the exit code (128 +
  // signal for a child killed by one, -1 when it never started).
  int Finish(std::string* rest = nullptr);

 private:
  pid_t m_pid = -1;
  int m_output = -1;
  std::string m_pending;
  bool m_ended = false;
};

// Runs program to its end; the output and the exit code.
struct ChildResult {
  int exitCode;
  std::string output;
};
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& input = "");

}  // namespace orvanectl

#endif  // ORVANECTL_CHILDCOMMAND_H_
