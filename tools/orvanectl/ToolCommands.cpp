// ssl, portset: the programs installed beside orvanectl.
#include <orvane/orvane.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>

#include "Commands.h"
#include "Host.h"
#include "MachineChanges.h"
#include "PlannedRun.h"
#include "ProgramRun.h"
#include "orvane/os/Files.h"
#include "portset/PortSwitch.h"
#include "sslkeys/WebServerDirectories.h"

#ifndef ORVANECTL_SSLKEYS_BUILT
#define ORVANECTL_SSLKEYS_BUILT ""
#endif
#ifndef ORVANECTL_PORTSET80_BUILT
#define ORVANECTL_PORTSET80_BUILT ""
#endif
#ifndef ORVANECTL_PORTSET8000_BUILT
#define ORVANECTL_PORTSET8000_BUILT ""
#endif

namespace orvanectl {

namespace {

// Runs a program beside orvanectl and relays its output; nothing, with a
// message, when it cannot be found or started.
std::optional<ProgramResult> RunTool(const std::string& name, const std::string& builtPath) {
  Host& host = Host::Get();
  std::optional<std::string> program = FindSiblingProgram(name, builtPath);
  if (!program) {
    host.ErrorText("cannot find the program " + name + " beside orvanectl");
    return std::nullopt;
  }
  std::optional<ProgramResult> run;
  {
    const ProgramRecording recording;
    run = RunProgram(*program);
  }
  if (!run) {
    host.ErrorText("cannot start " + *program);
    return std::nullopt;
  }
  std::istringstream output(run->output);
  for (std::string line; std::getline(output, line);) host.Note(line);
  host.Result()["program"] = *program;
  host.Result()["exit"] = run->exitCode;
  host.Result()["output"] = run->output;
  if (run->exitCode != 0) host.ErrorText(name + " ended with exit code " + std::to_string(run->exitCode));
  return run;
}

// The port switch tools edit one directive of one file: what it was and is
// comes from comparing the file before and after.
int SwitchPort(int port) {
  const orvane::PortSwitch& tool = port == 80 ? orvane::kPortSwitchTo80 : orvane::kPortSwitchTo8000;
  const std::string file = orvane::kPortConfigurationFile;
  const std::string before = ReadMachineFile(file);
  std::optional<ProgramResult> run = RunTool(tool.programName, port == 80
                                                                   ? ORVANECTL_PORTSET80_BUILT
                                                                   : ORVANECTL_PORTSET8000_BUILT);
  if (!run || run->exitCode != 0) return kExitFailed;
  Host& host = Host::Get();
  const bool changed = ReadMachineFile(file) != before;
  const int from = port == 80 ? 8000 : 80;
  host.Note(changed ? "web server port changed from " + std::to_string(from) + " to " +
                          std::to_string(port) + " in " + file
                    : file + " unchanged: it holds no '" + tool.searched + "' directive");
  host.Result()["file"] = file;
  host.Result()["changed"] = changed;
  if (changed) {
    host.Result()["from"] = from;
    host.Result()["to"] = port;
  }
  return kExitDone;
}

// sslkeys names a program it could not run in its error log only: the host
// reads the log and says so.
int SetUpSsl() {
  Host& host = Host::Get();
  KelString executables, configuration, administration;
  if (!GetWebServerDirectories(executables, configuration, administration)) {
    host.ErrorText("no web server record: the web server's administration programs are not found");
    return kExitFailed;
  }
  std::optional<ProgramResult> run = RunTool("sslkeys", ORVANECTL_SSLKEYS_BUILT);
  if (!run) return kExitFailed;
  const std::string outputLog = static_cast<const char*>(administration ^ kSslKeysOutputLog);
  const std::string errorLog = static_cast<const char*>(administration ^ kSslKeysErrorLog);
  std::istringstream errors(ReadMachineFile(errorLog));
  nlohmann::json missing = nlohmann::json::array();
  const std::string cannotRun = "sslkeys: cannot run ";
  for (std::string line; std::getline(errors, line);) {
    if (line.rfind(cannotRun, 0) != 0) continue;
    const std::string program = line.substr(cannotRun.size());
    host.ErrorText("the administration program " + program + " is missing or cannot be run");
    missing.push_back(program);
  }
  host.Note("logs: " + outputLog + ", " + errorLog);
  host.Result()["logs"] = {outputLog, errorLog};
  host.Result()["missingPrograms"] = missing;
  return run->exitCode == 0 ? kExitDone : kExitFailed;
}

}  // namespace

void AddToolCommands(CLI::App& app, Context& context) {
  CLI::App* ssl = app.add_subcommand(
      "ssl", "Set up SSL on the web server with a self-signed test certificate (sslkeys)");
  ssl->callback([&context] { context.Choose("ssl", [] { return SetUpSsl(); }); });

  auto port = std::make_shared<int>(0);
  CLI::App* portset = app.add_subcommand("portset", "Switch the web server's port (80 or 8000)");
  portset->add_option("PORT", *port, "the new port: 80 or 8000")
      ->required()
      ->type_name("PORT")
      ->check(CLI::IsMember({80, 8000}));
  portset->callback([&context, port] {
    context.Choose("portset", [port] { return SwitchPort(*port); });
  });
}

}  // namespace orvanectl
