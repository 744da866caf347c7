#include "ProgramRun.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace orvanectl {

namespace {

std::filesystem::path OwnDirectory() {
#if defined(_WIN32)
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return std::filesystem::path(std::string(buffer, length)).parent_path();
#else
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
#endif
}

std::string ReadAll(std::FILE* stream) {
  std::string text;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) text.append(chunk, got);
  return text;
}

}  // namespace

std::optional<std::string> FindSiblingProgram(const std::string& name,
                                              const std::string& builtPath) {
#if defined(_WIN32)
  const std::string file = name + ".exe";
#else
  const std::string file = name;
#endif
  std::error_code error;
  const std::filesystem::path beside = OwnDirectory() / file;
  if (std::filesystem::is_regular_file(beside, error)) return beside.string();
#if defined(ORVANECTL_PRIVATE_PROGRAMS)
  const std::filesystem::path installed = OwnDirectory() / ORVANECTL_PRIVATE_PROGRAMS / file;
  if (std::filesystem::is_regular_file(installed, error)) return installed.string();
#endif
  if (!builtPath.empty() && std::filesystem::is_regular_file(builtPath, error)) return builtPath;
  return std::nullopt;
}

std::optional<ProgramResult> RunProgram(const std::string& path,
                                        const std::vector<std::string>& arguments) {
#if defined(_WIN32)
  // The command interpreter drops the outer quotes of the whole line.
  std::string line = "\"\"" + path + "\"";
  // The arguments are orvanectl's own words, free of quotes.
  for (const std::string& argument : arguments) line += " " + argument;
  line += " 2>&1\"";
  std::FILE* pipe = _popen(line.c_str(), "rb");
  if (pipe == nullptr) return std::nullopt;
  std::string output = ReadAll(pipe);
  return ProgramResult{_pclose(pipe), output};
#else
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    return std::nullopt;
  }
  if (child == 0) {
    dup2(fds[1], STDOUT_FILENO);
    dup2(fds[1], STDERR_FILENO);
    close(fds[0]);
    close(fds[1]);
    std::vector<char*> argv = {const_cast<char*>(path.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  close(fds[1]);
  std::FILE* stream = fdopen(fds[0], "rb");
  std::string output = stream != nullptr ? ReadAll(stream) : std::string();
  if (stream != nullptr) std::fclose(stream);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (code == 127) return std::nullopt;
  return ProgramResult{code, output};
#endif
}

}  // namespace orvanectl
