// Reading an older installation back: the reader against grep over the same
// files (every instance's files and the web server's, all under C:\WWW),
// which is how a person would gather the instances' settings.
#include <string>

#include "bench/BenchSupport.h"
#include "orvane/config/InstalledConfig.h"
#include "orvane/core/MSList.h"
#include "orvane/testing/OlderInstallation.h"
#include "orvane/testing/SampleInstallation.h"

namespace orvane::bench {
namespace {

constexpr int kInstances = 50;

// A level-2 installation of kInstances instances beside the current product.
struct LevelTwoMachine {
  LevelTwoMachine() {
    test::SampleInstallation current;
    current.LayOut();
    test::OlderInstallation older = test::SampleOlderInstallation(2, "C:\\WWW\\conf");
    const test::OlderInstance model = older.instances[0];
    older.instances.clear();
    for (int i = 0; i < kInstances; ++i) {
      test::OlderInstance instance = model;
      instance.name = "shop" + std::to_string(i);
      instance.directory = "C:\\WWW\\html\\" + instance.name;
      instance.host = instance.name + ".example.com";
      instance.dbName = "DB" + std::to_string(i);
      instance.port = 17000 + 20 * i;
      older.instances.push_back(instance);
    }
    error = test::WriteOlderInstallation(older);
  }
  ScratchMachine machine;
  std::string error;
};

void ReadBack(benchmark::State& state) {
  LevelTwoMachine installation;
  if (!installation.error.empty()) {
    state.SkipWithError(installation.error.c_str());
    return;
  }
  for (auto _ : state) {
    MSList list;
    KelGetTQConfig(list, 2);
    if (list.GetCount() != kInstances) state.SkipWithError("instances missing");
  }
}

void GrepFiles(benchmark::State& state) {
  LevelTwoMachine installation;
  const std::string command =
      "grep -rh -e MS_ -e CASHET -e ENVIRONMENT " +
      ShellQuote(installation.machine.HostPath("C:\\WWW")) + " >/dev/null";
  for (auto _ : state) RunCommand(state, command);
}

const bool registered = (RegisterRow("Read back 50 level-2 instances", 3.0, ReadBack, GrepFiles), true);

}  // namespace
}  // namespace orvane::bench
