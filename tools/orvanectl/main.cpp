// orvanectl: the command-line host of the orvane library.
//
//   orvanectl [--machine DIR] [--data FILE] [--json] COMMAND ...
//
// Exit codes: 0 done; 1 the operation reported a failure; 2 usage; 3 a value
// broke a rule or conflicts with an instance; 4 no machine, no installation,
// or an instance data file that did not load completely; 5 no instance of
// that name. status NAME answers 0 running, 3 not running, 4 unknown.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>
#include <system_error>

#include "Commands.h"
#include "Host.h"
#include "PlannedRun.h"

#ifndef ORVANECTL_VERSION
#define ORVANECTL_VERSION "0"
#endif

namespace {

constexpr char kExitCodes[] =
    "Exit codes: 0 done; 1 the operation failed (an error, or a creation or deletion that "
    "reported errors); 2 usage; 3 refused input (a rule or a conflict); 4 no machine, no "
    "installation, or an instance data file that did not load completely (see orvanectl "
    "repair); 5 no instance of that name.\n"
    "status NAME: 0 running, 3 not running, 4 no such instance.";

// Points the library at the machine; false when there is none to use.
bool UseMachine(orvanectl::Context& context) {
#if defined(_WIN32)
  if (!context.machine.empty()) {
    orvanectl::Host::Get().ErrorText("--machine names an emulated machine; this is a real one");
    return false;
  }
  return true;
#else
  std::error_code error;
  if (!context.machine.empty()) {
    const std::string root = std::filesystem::absolute(context.machine, error).string();
    setenv("ORVANE_MACHINE", root.c_str(), 1);
  }
  const char* variable = std::getenv("ORVANE_MACHINE");
  const char* home = std::getenv("HOME");
  const std::string root = variable != nullptr && *variable != '\0'
                               ? std::string(variable)
                               : std::string(home != nullptr ? home : "") + "/.orvane/machine";
  context.machineRoot = root;
  if (!context.needsMachine || std::filesystem::is_directory(root, error)) return true;
  orvanectl::Host::Get().ErrorText("no machine in " + root +
                                   " (orvanectl machine init lays one out)");
  return false;
#endif
}

// Letters to change, add or drop to turn a into b.
std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The command word of the command line when it names no command of app;
// the options before it that take a value are passed over.
std::optional<std::string> UnknownCommand(const CLI::App& app, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--machine" || word == "--data") {
      ++i;
      continue;
    }
    if (word.empty() || word[0] == '-') continue;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
      if (command->check_name(word)) return std::nullopt;
    }
    return word;
  }
  return std::nullopt;
}

// "'frobnicate' is not an orvanectl command", with the commands it is near.
std::string UnknownCommandText(const CLI::App& app, const std::string& word) {
  std::string text = "'" + word + "' is not an orvanectl command (orvanectl --help lists them)";
  std::string near;
  for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
    const std::string& name = command->get_name();
    const bool prefix = word.size() >= 2 && name.rfind(word, 0) == 0;
    if (prefix || EditDistance(word, name) <= std::max<std::size_t>(1, word.size() / 3)) {
      near += "\n\t" + name;
    }
  }
  if (!near.empty()) text += "\n\nThe most similar commands are" + near;
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  orvanectl::Context context;
  CLI::App app{"orvanectl: define, create, configure and run Tessaly instances.", "orvanectl"};
  app.footer(kExitCodes);
  app.set_version_flag("--version", std::string("orvanectl ") + ORVANECTL_VERSION);
  app.add_option("--machine", context.machine, "the emulated machine's folder (ORVANE_MACHINE)")
      ->type_name("DIR");
  app.add_option("--data", context.data,
                 "the instance data file, a path on the machine (default: the installation's)")
      ->type_name("FILE");
  app.add_flag("--json", context.json, "one JSON document on standard output per command");
  app.add_flag("--quiet,-q", context.quiet,
               "no status lines or progress: errors and the output asked for only");
  app.add_flag("--check", context.check,
               "change nothing: show the changes the command would make");
  app.add_flag("--diff", context.diff,
               "show the changes, with a unified diff of every changed text file");
  app.require_subcommand(1);
  // Global options may follow the command too: orvanectl list --json.
  app.fallthrough();
  orvanectl::AddMachineCommands(app, context);
  orvanectl::AddInstanceCommands(app, context);
  orvanectl::AddServiceCommands(app, context);
  orvanectl::AddToolCommands(app, context);
  orvanectl::AddLifecycleCommands(app, context);
  orvanectl::AddVerifyCommand(app, context);
  orvanectl::AddApplyCommand(app, context);
  orvanectl::AddExportCommand(app, context);
  orvanectl::AddDemoCommand(app, context);
  orvanectl::AddCompletionCommand(app, context);
#if !defined(_WIN32)
  orvanectl::AddServeCommand(app, context);
#endif

  orvanectl::Host& host = orvanectl::Host::Get();
  if (std::optional<std::string> unknown = UnknownCommand(app, argc, argv)) {
    bool json = false;
    for (int i = 1; i < argc; ++i) json = json || std::string(argv[i]) == "--json";
    host.Attach(json);
    host.ErrorText(UnknownCommandText(app, *unknown));
    return host.Finish("usage", orvanectl::kExitUsage);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    if (!context.json) {
      app.exit(e);
      return orvanectl::kExitUsage;
    }
    host.Attach(true);
    host.ErrorText(e.what());
    return host.Finish("usage", orvanectl::kExitUsage);
  }
  // A plan's status lines would tell of work not done: only the plan is shown.
  host.Attach(context.json, context.quiet || context.check);
  // verify takes --diff for its own findings; it changes nothing to plan.
  const bool changes = orvanectl::ChangesMachine(context.commandName);
  const bool recorded = changes && (context.check || context.diff);
  if ((context.check || context.diff) && !changes && context.commandName != "verify") {
    host.ErrorText("--check and --diff are for the commands that change the machine; " +
                   context.commandName + " is not one");
    return host.Finish(context.commandName, orvanectl::kExitUsage);
  }
  if (context.check && !changes) {
    host.ErrorText("verify changes nothing: it takes --diff, not --check");
    return host.Finish(context.commandName, orvanectl::kExitUsage);
  }
  if (!UseMachine(context)) return host.Finish(context.commandName, orvanectl::kExitNoInstallation);
  return host.Finish(context.commandName,
                     recorded ? orvanectl::RunRecorded(context) : context.command());
}
