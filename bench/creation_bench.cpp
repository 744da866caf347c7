// Creating one instance on a sample installation, against copying the tree
// that creation leaves with cp -r.
#include <string>

#include "bench/BenchSupport.h"
#include "orvane/core/MSInfo.h"
#include "orvane/lifecycle/InstanceCreation.h"
#include "orvane/runtime/Messages.h"
#include "orvane/testing/SampleInstallation.h"

namespace {

using orvane::bench::RunCommand;
using orvane::bench::ScratchMachine;
using orvane::bench::ShellQuote;

constexpr char kServicesFile[] = "C:\\WINNT\\system32\\drivers\\etc\\services";

// Lays out the installation on the scratch machine and returns the record of
// the instance to create.
MSInfo PrepareInstallation(benchmark::State& state, const ScratchMachine& machine) {
  bCgiApp = 1;  // messages go to the (unset) callbacks, never to a box
  machine.WriteFile(kServicesFile, "echo\t\t7/tcp\r\nhttp\t\t80/tcp\r\n");
  orvane::test::SampleInstallation install;
  install.payServer = true;
  MSInfo info = install.Record("shop", 20000);
  if (!install.LayOut() || !install.AddMacroFiles(info.GetMacroPath())) {
    state.SkipWithError(install.error().c_str());
  }
  return info;
}

void CreateInstance(benchmark::State& state) {
  ScratchMachine machine;
  MSInfo info = PrepareInstallation(state, machine);
  for (auto _ : state) {
    if (!KelCreateSingleInst(info)) state.SkipWithError("creation failed");
  }
}

// The instance's own folders: its root, its page directory, its CGI copies.
void CopyInstanceTree(benchmark::State& state) {
  ScratchMachine machine;
  MSInfo info = PrepareInstallation(state, machine);
  if (!KelCreateSingleInst(info)) state.SkipWithError("creation failed");
  const std::string sources = ShellQuote(machine.HostPath("C:\\stores\\shop")) + " " +
                              ShellQuote(machine.HostPath("C:\\WWW\\html\\shop")) + " " +
                              ShellQuote(machine.HostPath("C:\\WWW\\cgi-bin"));
  int copy = 0;
  for (auto _ : state) {
    const std::string target = machine.root() + "/copy" + std::to_string(copy++);
    RunCommand(state,
               "mkdir " + ShellQuote(target) + " && cp -r " + sources + " " + ShellQuote(target));
  }
}

const bool registered =
    (orvane::bench::RegisterRow("Create one instance", 3.0, CreateInstance, CopyInstanceTree),
     true);

}  // namespace
