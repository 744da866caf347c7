#include "bench/BenchSupport.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace orvane::bench {

void RunCommand(benchmark::State& state, const std::string& command) {
  if (std::system(command.c_str()) != 0) state.SkipWithError(("failed: " + command).c_str());
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

int RowSize(int count) {
  const char* smoke = std::getenv("ORVANE_BENCH_SMOKE");
  return smoke != nullptr && *smoke != '\0' ? std::max(1, count / 50) : count;
}

ScratchMachine::ScratchMachine(Storage storage) {
  std::error_code error;
  const std::filesystem::path folder =
      storage == Storage::kMemory && std::filesystem::is_directory("/dev/shm", error)
          ? std::filesystem::path("/dev/shm")
          : std::filesystem::temp_directory_path();
  std::string pattern = (folder / "orvane-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make " + pattern);
  m_root = pattern;
  std::filesystem::create_directories(HostPath("C:\\WINNT\\system32"));
  setenv("ORVANE_MACHINE", m_root.c_str(), 1);
}

ScratchMachine::~ScratchMachine() {
  unsetenv("ORVANE_MACHINE");
  std::error_code ignored;
  std::filesystem::remove_all(m_root, ignored);
}

std::string ScratchMachine::HostPath(const std::string& windowsPath) const {
  std::string rest = windowsPath;
  std::string drive = "c";
  if (rest.size() >= 2 && rest[1] == ':') {
    drive = std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0]))));
    rest = rest.substr(2);
  }
  for (char& c : rest) if (c == '\\') c = '/';
  return m_root + "/drive_" + drive + (rest.empty() || rest[0] == '/' ? "" : "/") + rest;
}

void ScratchMachine::WriteFile(const std::string& windowsPath, const std::string& bytes) const {
  std::filesystem::path path = HostPath(windowsPath);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace orvane::bench
