// Processes of the emulated machine: the program of a command line is found
// on the machine's drives and started as a host process.
#include "orvane/os/Process.h"
#include "orvane/os/Backend.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "orvane/os/Files.h"
#include "orvane/os/posix/ErrnoStatus.h"
#include "orvane/os/posix/Machine.h"
#include "orvane/os/posix/StartedChildren.h"

extern char** environ;

namespace orvane::os::backend {
namespace {

// ERROR_BAD_EXE_FORMAT: the file found is not a program the machine can run.
constexpr unsigned long kBadExeFormat = 193;

bool NamesAPath(const std::string& program) {
  return program.find_first_of("\\/:") != std::string::npos;
}

// True when the host file is a program the host can run: a binary or a
// script that names its interpreter.
bool IsHostExecutable(const std::string& hostPath) {
  std::ifstream file(hostPath, std::ios::binary);
  char magic[4] = {};
  file.read(magic, sizeof magic);
  std::streamsize got = file.gcount();
  return (got >= 2 && magic[0] == '#' && magic[1] == '!') ||
         (got == 4 && std::memcmp(magic, "\x7f" "ELF", 4) == 0);
}

// The host path of a command line's program: the name as a path on the
// machine's drives, or a bare name looked up in the system directories,
// each tried as given and with the program extensions.
Expected<std::string> FindProgram(const std::string& program) {
  if (program.empty()) return Status::Failure(kFileNotFound);
  std::vector<std::string> directories;
  if (NamesAPath(program)) {
    directories.push_back("");
  } else {
    directories.push_back(WindowsDirectory() + "\\system32");
    directories.push_back(WindowsDirectory());
  }
  for (const std::string& directory : directories) {
    for (const char* extension : {"", ".exe", ".cmd", ".bat"}) {
      std::string windowsPath = (directory.empty() ? "" : directory + "\\") + program + extension;
      Expected<std::string> hostPath = posix::HostPath(windowsPath);
      struct stat info;
      if (!hostPath || stat(hostPath->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
      if (!IsHostExecutable(*hostPath)) return Status::Failure(kBadExeFormat);
      return hostPath;
    }
  }
  return Status::Failure(kFileNotFound);
}

// Everything a child needs, prepared before the fork so that the child only
// makes the calls that are safe between fork and exec.
struct Launch {
  std::string program;
  std::vector<std::string> arguments;
  std::vector<std::string> environment;
  std::string workingDirectory;  // host path; "" keeps the caller's

  std::vector<char*> argv;
  std::vector<char*> envp;
};

std::vector<std::string> EnvironmentWithMachine() {
  const std::string kMachineVariable = "ORVANE_MACHINE=";
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, kMachineVariable.c_str(), kMachineVariable.size()) != 0) {
      environment.push_back(*entry);
    }
  }
  environment.push_back(kMachineVariable + posix::MachineRoot());
  return environment;
}

std::vector<char*> PointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

Expected<std::unique_ptr<Launch>> PrepareLaunch(const std::string& commandLine,
                                                const std::string& workingDirectory) {
  // Leading blanks are not part of the program name when a process is created.
  std::string::size_type start = commandLine.find_first_not_of(" \t");
  std::vector<std::string> arguments =
      SplitCommandLine(start == std::string::npos ? "" : commandLine.substr(start));
  if (arguments.empty()) return Status::Failure(kFileNotFound);
  Expected<std::string> program = FindProgram(arguments[0]);
  if (!program) return program.status();

  auto launch = std::make_unique<Launch>();
  if (!workingDirectory.empty()) {
    Expected<std::string> directory = posix::HostPath(workingDirectory);
    struct stat info;
    if (!directory || stat(directory->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
      return Status::Failure(kDirectoryInvalid);
    }
    launch->workingDirectory = *directory;
  }
  launch->program = *program;
  launch->arguments = std::move(arguments);
  launch->arguments[0] = launch->program;
  launch->environment = EnvironmentWithMachine();
  launch->argv = PointersTo(launch->arguments);
  launch->envp = PointersTo(launch->environment);
  return launch;
}

// In a child: reports why it cannot run the program through the error pipe
// and ends.
[[noreturn]] void FailInChild(int errorPipe, int error) {
  ssize_t ignored = write(errorPipe, &error, sizeof error);
  static_cast<void>(ignored);
  _exit(127);
}

// In the child: enters the working directory and runs the program.
[[noreturn]] void ExecInChild(const Launch& launch, int errorPipe) {
  if (launch.workingDirectory.empty() || chdir(launch.workingDirectory.c_str()) == 0) {
    execve(launch.program.c_str(), launch.argv.data(), launch.envp.data());
  }
  FailInChild(errorPipe, errno);
}

// Waits until the child has run its program (the close-on-exec error pipe
// closes) or has reported why it could not.
Status AwaitExec(int errorPipeReadEnd) {
  int error = 0;
  ssize_t got;
  do {
    got = read(errorPipeReadEnd, &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  close(errorPipeReadEnd);
  return got == static_cast<ssize_t>(sizeof error) ? posix::FailureFromErrno(error) : Status();
}

bool WaitForChild(pid_t child, int* waitStatus) {
  pid_t waited;
  do {
    waited = waitpid(child, waitStatus, 0);
  } while (waited < 0 && errno == EINTR);
  return waited == child;
}

// A stream write that turns a reader's departure into a write error instead
// of the SIGPIPE that would end this process (Windows reports a broken pipe
// as an error too). SIGPIPE is blocked for this thread around the write and a
// SIGPIPE raised by it is consumed.
ssize_t WriteToPipe(void* cookie, const char* buffer, size_t size) {
  int descriptor = *static_cast<int*>(cookie);
  sigset_t pipeSignal;
  sigset_t previousMask;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previousMask);
  sigset_t pending;
  sigpending(&pending);
  bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
  ssize_t written;
  do {
    written = write(descriptor, buffer, size);
  } while (written < 0 && errno == EINTR);
  // The reader may go in the middle of a write, which then returns a part
  // and still raises SIGPIPE.
  if (!alreadyPending) {
    int writeError = errno;
    const timespec noWait = {0, 0};
    sigtimedwait(&pipeSignal, nullptr, &noWait);
    errno = writeError;
  }
  pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
  return written < 0 ? -1 : written;
}

int ClosePipe(void* cookie) {
  int* descriptor = static_cast<int*>(cookie);
  int result = close(*descriptor);
  delete descriptor;
  return result;
}

FILE* OpenPipeStream(int descriptor) {
  cookie_io_functions_t functions = {};
  functions.write = WriteToPipe;
  functions.close = ClosePipe;
  int* cookie = new int(descriptor);
  FILE* stream = fopencookie(cookie, "w", functions);
  if (stream == nullptr) {
    close(descriptor);
    delete cookie;
  }
  return stream;
}

}  // namespace

Status StartProcess(const std::string& commandLine, const std::string& workingDirectory) {
  Expected<std::unique_ptr<Launch>> launch = PrepareLaunch(commandLine, workingDirectory);
  if (!launch) return launch.status();
  int errorPipe[2];
  int idPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0) return posix::FailureFromErrno(errno);
  if (pipe2(idPipe, O_CLOEXEC) != 0) {
    int error = errno;
    close(errorPipe[0]);
    close(errorPipe[1]);
    return posix::FailureFromErrno(error);
  }
  // The program runs as a grandchild whose parent ends at once, so that the
  // machine's init process reaps it and no zombie is left behind; the parent
  // passes on the program's process id.
  pid_t middle = fork();
  if (middle < 0) {
    int error = errno;
    for (int descriptor : {errorPipe[0], errorPipe[1], idPipe[0], idPipe[1]}) close(descriptor);
    return posix::FailureFromErrno(error);
  }
  if (middle == 0) {
    close(errorPipe[0]);
    close(idPipe[0]);
    pid_t program = fork();
    if (program == 0) ExecInChild(**launch, errorPipe[1]);
    if (program < 0) FailInChild(errorPipe[1], errno);
    ssize_t ignored = write(idPipe[1], &program, sizeof program);
    static_cast<void>(ignored);
    _exit(0);
  }
  close(errorPipe[1]);
  close(idPipe[1]);
  int waitStatus = 0;
  WaitForChild(middle, &waitStatus);
  Status started = AwaitExec(errorPipe[0]);
  pid_t program = 0;
  if (started && read(idPipe[0], &program, sizeof program) == sizeof program) {
    posix::NoteStartedChild(program);
  }
  close(idPipe[0]);
  return started;
}

class ChildPipe::Impl {
 public:
  Impl(pid_t child, FILE* stream) : m_child(child), m_stream(stream) {}
  ~Impl() { Close(); }

  FILE* stream() { return m_stream; }

  int Close() {
    if (m_stream == nullptr) return -1;
    std::fclose(m_stream);
    m_stream = nullptr;
    int waitStatus = 0;
    if (!WaitForChild(m_child, &waitStatus)) return -1;
    // A child ended by a signal reports 128 plus the signal, as shells do.
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return WEXITSTATUS(waitStatus);
  }

 private:
  pid_t m_child;
  FILE* m_stream;
};

Expected<ChildPipe> ChildPipe::Open(const std::string& commandLine) {
  Expected<std::unique_ptr<Launch>> launch = PrepareLaunch(commandLine, "");
  if (!launch) return launch.status();
  int inputPipe[2];
  int errorPipe[2];
  if (pipe2(inputPipe, O_CLOEXEC) != 0) return posix::FailureFromErrno(errno);
  if (pipe2(errorPipe, O_CLOEXEC) != 0) {
    int error = errno;
    close(inputPipe[0]);
    close(inputPipe[1]);
    return posix::FailureFromErrno(error);
  }
  // What this process has written so far comes before what the child writes.
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    // dup2 onto itself (stdin was closed here) would keep close-on-exec set.
    bool redirected = inputPipe[0] == STDIN_FILENO
                          ? fcntl(STDIN_FILENO, F_SETFD, 0) == 0
                          : dup2(inputPipe[0], STDIN_FILENO) == STDIN_FILENO;
    if (!redirected) FailInChild(errorPipe[1], errno);
    ExecInChild(**launch, errorPipe[1]);
  }
  int forkError = errno;
  close(inputPipe[0]);
  close(errorPipe[1]);
  if (child < 0) {
    close(inputPipe[1]);
    close(errorPipe[0]);
    return posix::FailureFromErrno(forkError);
  }
  Status started = AwaitExec(errorPipe[0]);
  FILE* stream = started ? OpenPipeStream(inputPipe[1]) : nullptr;
  if (stream == nullptr) {
    if (started) {
      started = Status::Failure(kNotEnoughMemory);
    } else {
      close(inputPipe[1]);
    }
    int waitStatus = 0;
    WaitForChild(child, &waitStatus);
    return started;
  }
  return ChildPipe(std::make_unique<Impl>(child, stream));
}

ChildPipe::ChildPipe(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ChildPipe::ChildPipe(ChildPipe&&) noexcept = default;
ChildPipe& ChildPipe::operator=(ChildPipe&&) noexcept = default;
ChildPipe::~ChildPipe() = default;

FILE* ChildPipe::stream() { return m_impl ? m_impl->stream() : nullptr; }

int ChildPipe::Close() { return m_impl ? m_impl->Close() : -1; }

Status SetEnvironmentVariable(const std::string& name, const std::string& value) {
  if (name.empty() || name.find('=') != std::string::npos) {
    return Status::Failure(kInvalidParameter);
  }
  if (setenv(name.c_str(), value.c_str(), 1) != 0) return posix::FailureFromErrno(errno);
  return Status();
}

}  // namespace orvane::os::backend
