// velqsim: the Velq command environment and command line of the emulated
// machine, on SQLite.
//
// One program with three roles, chosen by the name it runs under:
//   velqcmd FILE [ARGS]   runs a command file in the command environment
//                         (its console: <Velq>\DATA\console.log)
//   velq COMMAND          runs one command of the command line
//   velqsim --install [--velq DIR] [--scripts DIR] [--no-extenders]
//                         installs itself into the machine of ORVANE_MACHINE
//   velqsim --velqcmd ... / --velq ...   either role under this name
// Exit codes: those of the command file or command; 0 or 1 for --install,
// 2 for a usage error.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "orvane/os/Files.h"
#include "tools/velqsim/CommandEnvironment.h"
#include "tools/velqsim/CommandLine.h"
#include "tools/velqsim/HostSystem.h"
#include "tools/velqsim/Install.h"
#include "tools/velqsim/VelqStore.h"

namespace {

constexpr char kUsage[] =
    "usage: velqsim --install [--velq DIR] [--scripts DIR] [--no-extenders]\n"
    "       velqsim --velqcmd FILE [ARGS]   (installed as velqcmd)\n"
    "       velqsim --velq COMMAND          (installed as velq)\n";

std::string ProgramName(const char* argv0) {
  std::string name = argv0;
  const std::string::size_type slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
    name.resize(name.size() - 4);
  return name;
}

// The arguments as one command line, as Windows hands it over; an argument
// with blanks is quoted again.
std::string JoinArguments(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line += ' ';
    const bool quote = argument.find_first_of(" \t") != std::string::npos &&
                       argument.find('"') == std::string::npos;
    line += quote ? "\"" + argument + "\"" : argument;
  }
  return line;
}

// The hidden window's console: console.log of the Velq data directory, or
// standard output when Velq is not installed.
int RunEnvironment(const std::vector<std::string>& arguments) {
  const std::optional<velqsim::VelqStore> store = velqsim::VelqStore::Open();
  FILE* console =
      store ? orvane::os::OpenFile(store->DataDirectory() + "\\console.log", "a") : nullptr;
  velqsim::CommandEnvironment environment(console != nullptr ? console : stdout);
  const int code = environment.RunLine(JoinArguments(arguments));
  if (console != nullptr) std::fclose(console);
  return code;
}

int RunCommandLine(const std::vector<std::string>& arguments) {
  velqsim::CommandLine commandLine;
  return commandLine.Run(JoinArguments(arguments), stdout);
}

int Install(const std::vector<std::string>& arguments) {
  velqsim::InstallOptions options;
  options.program = velqsim::ProgramFile();
  options.driverSetup = velqsim::DriverSetupLibrary();
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--velq" && i + 1 < arguments.size()) {
      options.velqDirectory = arguments[++i];
    } else if (arguments[i] == "--scripts" && i + 1 < arguments.size()) {
      options.scriptsDirectory = arguments[++i];
    } else if (arguments[i] == "--no-extenders") {
      options.extenders = false;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  velqsim::InstallResult result = velqsim::InstallIntoMachine(options);
  std::fputs(result.report.c_str(), result.ok ? stdout : stderr);
  return result.ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  velqsim::JoinRegistrySandbox();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const std::string name = ProgramName(argv[0]);
  if (name == "velqcmd") return RunEnvironment(arguments);
  if (name == "velq") return RunCommandLine(arguments);
  if (arguments.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string role = arguments[0];
  arguments.erase(arguments.begin());
  if (role == "--install") return Install(arguments);
  if (role == "--velqcmd") return RunEnvironment(arguments);
  if (role == "--velq") return RunCommandLine(arguments);
  std::fputs(kUsage, stderr);
  return 2;
}
