// ssl, portset: the programs installed beside orvanectl.
#include <memory>
#include <sstream>

#include "Commands.h"
#include "Host.h"
#include "ProgramRun.h"

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

int RunTool(const std::string& name, const std::string& builtPath) {
  Host& host = Host::Get();
  std::optional<std::string> program = FindSiblingProgram(name, builtPath);
  if (!program) {
    host.ErrorText("cannot find the program " + name + " beside orvanectl");
    return kExitFailed;
  }
  std::optional<ProgramResult> run = RunProgram(*program);
  if (!run) {
    host.ErrorText("cannot start " + *program);
    return kExitFailed;
  }
  std::istringstream output(run->output);
  for (std::string line; std::getline(output, line);) host.Line(line);
  host.Result()["program"] = *program;
  host.Result()["exit"] = run->exitCode;
  host.Result()["output"] = run->output;
  if (run->exitCode != 0) {
    host.ErrorText(name + " ended with exit code " + std::to_string(run->exitCode));
    return kExitFailed;
  }
  return kExitDone;
}

}  // namespace

void AddToolCommands(CLI::App& app, Context& context) {
  CLI::App* ssl = app.add_subcommand(
      "ssl", "Set up SSL on the web server with a self-signed test certificate (sslkeys)");
  ssl->callback([&context] {
    context.Choose("ssl", [] { return RunTool("sslkeys", ORVANECTL_SSLKEYS_BUILT); });
  });

  auto port = std::make_shared<int>(0);
  CLI::App* portset = app.add_subcommand("portset", "Switch the web server's port (80 or 8000)");
  portset->add_option("PORT", *port, "80 or 8000")->required()->check(CLI::IsMember({80, 8000}));
  portset->callback([&context, port] {
    context.Choose("portset", [port] {
      return *port == 80 ? RunTool("portset80", ORVANECTL_PORTSET80_BUILT)
                         : RunTool("portset8000", ORVANECTL_PORTSET8000_BUILT);
    });
  });
}

}  // namespace orvanectl
