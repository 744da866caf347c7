// machine init: a fresh emulated machine with an installation on it.
#include <filesystem>
#include <memory>
#include <system_error>

#include "Commands.h"
#include "Host.h"

#if !defined(_WIN32)
#include "MachineLayout.h"
#include "orvane/os/posix/Machine.h"
#endif

namespace orvanectl {

namespace {

struct InitOptions {
#if !defined(_WIN32)
  MachineOptions layout;
#endif
  bool force = false;
};

#if !defined(_WIN32)
// Only a folder that holds a machine is ever removed by --force.
bool LooksLikeMachine(const std::filesystem::path& root) {
  std::error_code error;
  return std::filesystem::exists(root / "registry.reg", error) ||
         std::filesystem::exists(root / "drive_c", error);
}

int Init(const InitOptions& options) {
  Host& host = Host::Get();
  const std::filesystem::path root = orvane::os::posix::MachineRoot();
  std::error_code error;
  if (std::filesystem::exists(root, error) && !std::filesystem::is_empty(root, error)) {
    if (!options.force) {
      host.ErrorText(root.string() + " is not empty; --force replaces a machine there");
      return kExitFailed;
    }
    if (!LooksLikeMachine(root)) {
      host.ErrorText(root.string() + " holds something other than a machine; it is left alone");
      return kExitFailed;
    }
    std::filesystem::remove_all(root, error);
  }
  std::filesystem::create_directories(root, error);
  std::string reason;
  if (error || !LayOutMachine(options.layout, &reason)) {
    host.ErrorText("cannot lay out a machine in " + root.string() + ": " +
                   (error ? error.message() : reason));
    return kExitFailed;
  }
  host.Line("machine ready in " + root.string());
  host.Result()["machine"] = root.string();
  return kExitDone;
}
#else
int Init(const InitOptions&) {
  Host::Get().ErrorText("machine init lays out an emulated machine; this is a real one");
  return kExitUsage;
}
#endif

}  // namespace

void AddMachineCommands(CLI::App& app, Context& context) {
  CLI::App* machine = app.add_subcommand("machine", "The emulated machine");
  machine->require_subcommand(1);
  auto options = std::make_shared<InitOptions>();
  CLI::App* init = machine->add_subcommand(
      "init", "Lay out a fresh emulated machine with an installation on it");
#if !defined(_WIN32)
  init->add_flag("--payment", options->layout.payment, "with the payment server");
  init->add_flag("--hosting", options->layout.hosting, "with the hosting edition");
  init->add_flag("--personalization", options->layout.personalization,
                 "with the personalization add-on");
#endif
  init->add_flag("--force", options->force, "replace the machine that is there");
  init->callback([&context, options] {
    context.Choose("machine init", [options] { return Init(*options); }, false);
  });
}

}  // namespace orvanectl
