// Processes, the environment and sleeping, for the OS seam.
#ifndef ORVANE_OS_PROCESS_H_
#define ORVANE_OS_PROCESS_H_

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "orvane/os/Status.h"

namespace orvane::os {

// Splits a command line into arguments as Windows programs do (quotes group,
// backslashes escape a quote only when they stand before one).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Starts the program of a command line with its main window hidden, in the
// given working directory ("" for the caller's), inheriting the environment
// and handles; does not wait. On the emulated machine the program is a path
// on the machine's drives or a name found in C:\WINNT\system32 or C:\WINNT
// (as given or with .exe, .cmd, .bat), and the child gets ORVANE_MACHINE.
Status StartProcess(const std::string& commandLine, const std::string& workingDirectory);

// A child whose standard input is a pipe from this process, as popen(..., "w")
// gives: the child inherits the environment, standard output and error.
class ChildPipe {
 public:
  class Impl;
  static Expected<ChildPipe> Open(const std::string& commandLine);

  ChildPipe(ChildPipe&&) noexcept;
  ChildPipe& operator=(ChildPipe&&) noexcept;
  // Closes the pipe and waits for the child, as Close does.
  ~ChildPipe();

  // The write end of the child's standard input.
  FILE* stream();
  // Closes the pipe, waits for the child and returns its exit code (-1 when
  // it cannot be waited for).
  int Close();

 private:
  explicit ChildPipe(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_impl;
};

// Sets a variable of this process's environment, inherited by the children it
// starts afterwards.
Status SetEnvironmentVariable(const std::string& name, const std::string& value);

// Suspends the calling thread; on an emulated machine with a virtual clock
// the machine's clock advances instead, after up to a tenth of a second of
// real time for the programs that StartProcess started and that still run.
void SleepMilliseconds(unsigned long milliseconds);

}  // namespace orvane::os

#endif  // ORVANE_OS_PROCESS_H_
