// The configuration files of one instance - the seven process files and the
// macro processor file - regenerated over their previous versions (with the
// backups and the merge of tessaly.ini), against copying the same bytes into
// place with cp.
#include <fstream>
#include <memory>
#include <string>

#include "bench/BenchSupport.h"
#include "orvane/config/InstanceFiles.h"
#include "orvane/config/MacroConfig.h"
#include "orvane/testing/SampleRecord.h"

namespace orvane::bench {
namespace {

constexpr char kInstall[] = "D:\\Tessaly";
constexpr char kInstance[] = "C:\\mall\\html";
constexpr const char* kFiles[] = {"srvrctrl.ini", "tessaly.ini",    "scheduler.ini",
                                  "pay_back.ini", "pay_cashet.ini", "pay_cyber.ini",
                                  "tqei_ece.ini", "velqwww.ini"};

// A machine with the product, its payment server and hosting edition, so
// that every optional line is written.
std::unique_ptr<ScratchMachine> ProductMachine() {
  auto machine = std::make_unique<ScratchMachine>();
  std::ofstream(machine->root() + "/registry.reg", std::ios::binary)
      << "REGEDIT4\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
         "\"TQ_INST_PATH\"=\"D:\\\\Tessaly\"\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Corbelle Application Server\\3.5]\r\n"
         "\"ncf.jvm.classpath\"=\"C:\\\\jre\"\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ]\r\n"
         "\"VELQ Path Name\"=\"C:\\\\velq\"\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VXR Payment Server]\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Hosting Server\\Installation Directory]\r\n"
         "\"JQ_INST_PATH\"=\"C:\\\\jq\"\r\n\r\n";
  machine->WriteFile("D:\\Tessaly\\adt\\tqcyber\\merchant_conf", "merchants\r\n");
  return machine;
}

// The tests' record, hosting and caching, with cipher texts of real length.
MSInfo Mall() {
  MSInfo info = test::MallRecord();
  info.m_DBPswd = "Qm9ndXNDaXBoZXJUZXh0MTIzNA==";
  info.m_MerKey = "Rb7TmW2mKx9LpZ4vNc8HsYd3FgJ6eUa1";
  info.m_MSOption = MSInfo::kOptHosting | MSInfo::kOptCache;
  return info;
}

bool WriteInstanceFiles(MSInfo info) {
  char in[] = "IN.Q", out[] = "OUT.Q", error[] = "ERR.Q", manager[] = "QM1", user[] = "bridge";
  const QueueSettings queues{in, out, error, manager, user};
  return WriteControllerConfig(info) && WriteServerConfig(info, kInstall) &&
         WriteSchedulerConfig(info, kInstall) && WritePayBackConfig(info, kInstall) &&
         WritePayCashetConfig(info, kInstall) && WritePayCyberConfig(info, kInstall) &&
         WriteEceConfig(info, kInstall, queues) && WriteMacroConfig(info, kInstall);
}

void Library(benchmark::State& state) {
  const auto machine = ProductMachine();
  const MSInfo info = Mall();
  WriteInstanceFiles(info);  // re-creation: every file has a previous version
  for (auto _ : state) {
    if (!WriteInstanceFiles(info)) state.SkipWithError("an instance file was not written");
  }
}

// The same bytes copied over the previous copies, keeping a backup of each,
// as a user would install prepared files by hand.
void Copy(benchmark::State& state) {
  const auto machine = ProductMachine();
  WriteInstanceFiles(Mall());
  const std::string source = machine->HostPath(kInstance);
  const std::string target = machine->HostPath("C:\\copy");
  std::string command = "mkdir -p " + ShellQuote(target) + " && cp -b";
  for (const char* file : kFiles) command += " " + ShellQuote(source + "/" + file);
  command += " " + ShellQuote(target);
  for (auto _ : state) RunCommand(state, command);
}

const bool registered = (RegisterRow("Instance files (7 + velqwww.ini)", 3.0, Library, Copy), true);

}  // namespace
}  // namespace orvane::bench
