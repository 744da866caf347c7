// The commands of orvanectl, each group registering its subcommands.
//
// A subcommand's callback only chooses what to run; main runs the chosen
// command after the whole command line was parsed and the host is attached,
// and turns what it returns into the exit code (see Host.h).
#ifndef ORVANECTL_COMMANDS_H_
#define ORVANECTL_COMMANDS_H_

#include <CLI/CLI.hpp>

#include <functional>
#include <string>

namespace orvanectl {

struct Context {
  std::string machine;  // --machine: the emulated machine's folder
  std::string data;     // --data: the instance data file, a path on the machine
  bool json = false;
  bool quiet = false;  // --quiet: errors and asked-for output only
  bool check = false;  // --check: plan, change nothing
  bool diff = false;   // --diff: show the changes with file diffs
  std::string machineRoot;  // the emulated machine's folder in use

  std::string commandName;       // for the JSON document
  std::function<int()> command;  // the chosen command
  bool needsMachine = true;      // false for the commands that make one

  void Choose(const std::string& name, std::function<int()> run, bool onExistingMachine = true) {
    commandName = name;
    command = std::move(run);
    needsMachine = onExistingMachine;
  }
};

void AddInstanceCommands(CLI::App& app, Context& context);
void AddServiceCommands(CLI::App& app, Context& context);
void AddToolCommands(CLI::App& app, Context& context);
void AddMachineCommands(CLI::App& app, Context& context);
void AddLifecycleCommands(CLI::App& app, Context& context);
void AddVerifyCommand(CLI::App& app, Context& context);
void AddApplyCommand(CLI::App& app, Context& context);
void AddExportCommand(CLI::App& app, Context& context);
void AddDemoCommand(CLI::App& app, Context& context);
void AddCompletionCommand(CLI::App& app, Context& context);
// The web console; POSIX only.
void AddServeCommand(CLI::App& app, Context& context);

}  // namespace orvanectl

#endif  // ORVANECTL_COMMANDS_H_
