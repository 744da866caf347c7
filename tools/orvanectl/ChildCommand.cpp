#include "ChildCommand.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace orvanectl {

namespace {

// Both ends close on exec: a child started by another thread at the same
// time must not hold this child's pipe open, or its end is never seen.
bool MakePipe(int ends[2]) { return pipe2(ends, O_CLOEXEC) == 0; }

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// A child that ends without reading its input makes the write fail with
// EPIPE: the signal that comes with it is held back for this thread and
// taken, so that it does not end the process.
void WriteAll(int fd, const std::string& bytes) {
  sigset_t pipeSignal, previous;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  std::size_t done = 0;
  bool broken = false;
  while (done < bytes.size()) {
    const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      broken = errno == EPIPE;  // the child closed its input: it reads no more
      break;
    }
    done += static_cast<std::size_t>(wrote);
  }
  if (broken && !sigismember(&previous, SIGPIPE)) {
    const timespec now = {0, 0};
    sigtimedwait(&pipeSignal, nullptr, &now);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace

ChildCommand::ChildCommand(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& input, Errors errors) {
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  if (!MakePipe(in)) return;
  if (!MakePipe(out)) {
    CloseFd(in[0]);
    CloseFd(in[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (errors == Errors::kWithOutput) {
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  }
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    m_pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  CloseFd(in[0]);
  CloseFd(out[1]);
  if (m_pid > 0) WriteAll(in[1], input);
  CloseFd(in[1]);
  m_output = out[0];
  if (m_pid <= 0) CloseFd(m_output);
}

ChildCommand::~ChildCommand() { Finish(); }

std::optional<std::string> ChildCommand::NextLine() {
  while (true) {
    const std::size_t end = m_pending.find('\n');
    if (end != std::string::npos) {
      std::string line = m_pending.substr(0, end);
      m_pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (m_ended || m_output < 0) {
      m_ended = true;
      if (m_pending.empty()) return std::nullopt;
      std::string last;
      last.swap(m_pending);
      return last;
    }
    char buffer[4096];
    const ssize_t got = read(m_output, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      m_ended = true;
      continue;
    }
    m_pending.append(buffer, static_cast<std::size_t>(got));
  }
}

int ChildCommand::Finish(std::string* rest) {
  for (std::optional<std::string> line; (line = NextLine());) {
    if (rest != nullptr) *rest += *line + "\n";
  }
  CloseFd(m_output);
  if (m_pid <= 0) return -1;
  int status = 0;
  while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
  }
  m_pid = -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& input) {
  ChildCommand child(program, arguments, input, ChildCommand::Errors::kDiscard);
  ChildResult result{-1, std::string()};
  result.exitCode = child.Finish(&result.output);
  return result;
}

}  // namespace orvanectl
