// machine init: a fresh emulated machine, laid out by the orvane-machine
// program beside orvanectl.
#include <filesystem>
#include <memory>
#include <sstream>
#include <system_error>
#include <vector>

#include "Commands.h"
#include "Host.h"
#include "ProgramRun.h"

#ifndef ORVANECTL_MACHINE_BUILT
#define ORVANECTL_MACHINE_BUILT ""
#endif
#ifndef ORVANECTL_VELQSIM_BUILT
#define ORVANECTL_VELQSIM_BUILT ""
#endif

namespace orvanectl {

namespace {

struct InitOptions {
  bool sample = false;
  int level = 3;
  bool payment = false;
  bool hosting = false;
  bool personalization = false;
  bool force = false;

  // An older level, or an optional product, needs the installation itself.
  bool WithSample() const { return sample || level != 3 || payment || hosting || personalization; }

  std::vector<std::string> LayoutArguments() const {
    std::vector<std::string> arguments;
    if (WithSample()) arguments.push_back("--sample");
    if (level != 3) arguments.push_back("--level=" + std::to_string(level));
    if (payment) arguments.push_back("--payment");
    if (hosting) arguments.push_back("--hosting");
    if (personalization) arguments.push_back("--personalization");
    return arguments;
  }
};

#if defined(_WIN32)
int Init(const InitOptions&, const std::string&) {
  Host::Get().ErrorText("machine init lays out an emulated machine; this is a real one");
  return kExitUsage;
}
#else
// Only a folder that holds a machine is ever removed by --force.
bool LooksLikeMachine(const std::filesystem::path& root) {
  std::error_code error;
  return std::filesystem::exists(root / "registry.reg", error) ||
         std::filesystem::exists(root / "drive_c", error);
}

// Runs a program beside orvanectl; false with a message when it fails.
bool RunSibling(const std::string& name, const std::string& builtPath,
                const std::vector<std::string>& arguments, const std::string& root) {
  Host& host = Host::Get();
  std::optional<std::string> program = FindSiblingProgram(name, builtPath);
  if (!program) {
    host.ErrorText("cannot find the program " + name + " beside orvanectl");
    return false;
  }
  std::optional<ProgramResult> run = RunProgram(*program, arguments);
  if (!run || run->exitCode != 0) {
    host.ErrorText("cannot lay out a machine in " + root + ": " + name +
                   (run ? " says " + run->output : " does not start"));
    return false;
  }
  return true;
}

int Init(const InitOptions& options, const std::string& root) {
  Host& host = Host::Get();
  std::error_code error;
  if (std::filesystem::exists(root, error) && !std::filesystem::is_empty(root, error)) {
    if (!options.force) {
      host.ErrorText(root + " is not empty; --force replaces a machine there");
      return kExitFailed;
    }
    if (!LooksLikeMachine(root)) {
      host.ErrorText(root + " holds something other than a machine; it is left alone");
      return kExitFailed;
    }
    std::filesystem::remove_all(root, error);
  }
  std::filesystem::create_directories(root, error);
  if (error) {
    host.ErrorText("cannot make " + root + ": " + error.message());
    return kExitFailed;
  }
  if (!RunSibling("orvane-machine", ORVANECTL_MACHINE_BUILT, options.LayoutArguments(), root)) {
    return kExitFailed;
  }
  // The sample's Velq: velqsim, the database's stand-in, with its ODBC driver.
  if (options.WithSample() && !RunSibling("velqsim", ORVANECTL_VELQSIM_BUILT, {"--install"}, root)) {
    return kExitFailed;
  }
  host.Note("machine ready in " + root);
  host.Result()["machine"] = root;
  host.Result()["sample"] = options.WithSample();
  host.Result()["level"] = options.level;
  return kExitDone;
}
#endif

}  // namespace

void AddMachineCommands(CLI::App& app, Context& context) {
  CLI::App* machine = app.add_subcommand("machine", "The emulated machine");
  machine->require_subcommand(1);
  auto options = std::make_shared<InitOptions>();
  CLI::App* init = machine->add_subcommand(
      "init", "Lay out a fresh emulated machine (--machine, ORVANE_MACHINE, or ~/.orvane/machine)");
  init->add_flag("--sample", options->sample, "with a complete installation of the product");
  init->add_option("--level", options->level,
                   "with an older installation of level 1 or 2 beside it, for migrate")
      ->check(CLI::Range(1, 3));
  init->add_flag("--payment", options->payment, "with the payment server");
  init->add_flag("--hosting", options->hosting, "with the hosting edition");
  init->add_flag("--personalization", options->personalization,
                 "with the personalization add-on");
  init->add_flag("--force", options->force, "replace the machine that is there");
  init->callback([&context, options] {
    context.Choose("machine init", [&context, options] {
      return Init(*options, context.machineRoot);
    }, false);
  });
}

}  // namespace orvanectl
