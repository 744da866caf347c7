// Runs arbitrary bytes as a command file in the command environment, on a
// machine with Velq installed whose drives start empty for every input.
// Besides memory faults and undefined behaviour it traps a run that leaves
// the machine's drives (its current directory elsewhere) and a run whose
// console output outgrows what its lines can print.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "orvane/testing/FuzzMachine.h"
#include "tools/velqsim/CommandEnvironment.h"

namespace {

namespace fuzz = orvane::fuzz;
using fuzz::Require;

constexpr char kWorkFolder[] = "C:\\work";
constexpr char kCommandFile[] = "C:\\work\\job.cmd";
// Room for the messages of every line, at every depth of calls.
constexpr long kOutputPerInputByte = 1024;
constexpr long kOutputBase = 1L << 20;

// The process's own current directory, which the fuzzer's relative paths
// (corpus folders) need back after each input.
const std::filesystem::path& OwnDirectory() {
  static const std::filesystem::path directory = std::filesystem::current_path();
  return directory;
}

// Removes every drive with what the last input left, lays out drive C
// again and makes the work folder the current directory.
void FreshDrives() {
  const std::string& root = fuzz::MachineRoot();
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
    if (entry.path().filename().string().rfind("drive_", 0) == 0) {
      std::filesystem::remove_all(entry.path(), error);
    }
  }
  std::filesystem::create_directories(root + "/drive_c/WINNT/system32", error);
  fuzz::MakeDirectories(kWorkFolder);
  Require(chdir((root + "/drive_c/work").c_str()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (OwnDirectory(), fuzz::ImportRegistry(fuzz::kVelqRecord), true);
  Require(ready);
  FreshDrives();
  fuzz::WriteFile(kCommandFile, std::string_view(reinterpret_cast<const char*>(data), size));

  FILE* console = std::tmpfile();
  Require(console != nullptr);
  {
    velqsim::CommandEnvironment environment(console);
    environment.RunLine("job.cmd first \"second one\"");
  }
  const long printed = std::ftell(console);
  std::fclose(console);
  Require(printed >= 0 && printed <= kOutputBase + kOutputPerInputByte * static_cast<long>(size));

  char directory[4096];
  Require(getcwd(directory, sizeof directory) != nullptr);
  Require(std::string(directory).rfind(fuzz::MachineRoot() + "/drive_", 0) == 0);
  Require(chdir(OwnDirectory().c_str()) == 0);
  return 0;
}
