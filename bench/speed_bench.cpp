// Speed of the files the library shares with other programs: the services
// file, the instance data file and the registry, each operation beside the
// tool a user would reach for instead.
//
// Where the library keeps a parse between calls, the rows that stand for a
// first call give the file a new version before every iteration (outside the
// timing), so that the parse is measured with them.
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/BenchSupport.h"
#include "orvane/core/MSList.h"
#include "orvane/os/Registry.h"
#include "orvane/os/posix/HostFile.h"
#include "orvane/os/posix/RegistryFile.h"
#include "orvane/platform/InstanceService.h"
#include "orvane/platform/ServicesFile.h"

namespace orvane::bench {
namespace {

constexpr int kServicesLines = 10000;
constexpr char kServicesFile[] = "C:\\WINNT\\system32\\drivers\\etc\\services";
constexpr char kDataFile[] = "C:\\tq\\tqconfig.dat";
constexpr char kRegistryHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";

std::string Numbered(const char* format, int number) {
  char text[64];
  std::snprintf(text, sizeof text, format, number);
  return text;
}

// Service names svc00000 ... at consecutive ports from firstPort.
std::string ServicesText(int firstPort) {
  std::string text = "# services of the benchmark machine\r\n";
  for (int i = 0; i < kServicesLines; ++i) {
    text += Numbered("svc%05d", i) + "\t\t" + std::to_string(firstPort + i) + "/tcp\t# entry " +
            std::to_string(i) + "\r\n";
  }
  return text;
}

// A new version of a host file with the same bytes, as a program that
// rewrites it leaves it: a copy renamed into place.
void Renew(const std::string& hostPath) {
  const std::string copy = hostPath + ".renew";
  std::filesystem::copy_file(hostPath, copy, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::rename(copy, hostPath);
}

// A record that conflicts with no other one of a different index.
MSInfo Record(int index, int port) {
  MSInfo rec;
  const std::string name = Numbered("i%04d", index);
  rec.SetName(name.c_str());
  rec.SetMSPort(port);
  rec.SetDBPort(port + 5);
  rec.SetMSProc(2);
  rec.SetISHost((name + ".shop.example").c_str());
  rec.SetHtmlPath(("C:\\www\\" + name).c_str());
  rec.SetDBName(name.c_str());
  rec.SetDBUser(name.c_str());
  rec.SetDBPswd("secret");
  return rec;
}

// The machine's own name, found in its hosts file, so that the default
// record's host needs no resolver of the host.
void NameTheMachine(const ScratchMachine& machine) {
  machine.WriteFile("C:\\WINNT\\system32\\drivers\\etc\\hosts", "10.0.0.5\tbenchhost\r\n");
  auto key = os::RegistryKey::Create(os::RegistryRoot::kLocalMachine,
                                     "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", "",
                                     os::RegistryAccess::kAll);
  if (key) key->SetValue("Hostname", os::RegistryValue::String("benchhost"));
}

// Registry text of about the given size: keys SOFTWARE\Bench\Key00000 ...
// with two values each.
std::string RegistryText(size_t bytes, int* keys) {
  std::string text = kRegistryHeader;
  for (*keys = 0; text.size() < bytes; ++*keys) {
    text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Bench\\" + Numbered("Key%05d", *keys) + "]\r\n" +
            "\"Path\"=\"C:\\\\Program Files\\\\Bench\\\\" + Numbered("%05d", *keys) +
            "\\\\bin\"\r\n\"Count\"=dword:0000002a\r\n\r\n";
  }
  return text;
}

// --- The services file ------------------------------------------------------

const char* const kRegistered[] = {"svc00000", "svc00500", "svc01000", "svc01500", "svc02000",
                                   "svc02500", "svc03000", "svc03500", "svc04000", "svc04500",
                                   "svc05000", "svc05500", "svc06000", "svc06500", "svc07000",
                                   "svc07500", "svc08000", "svc08500", "svc09000", "svc09999"};

void RegisterTwenty(benchmark::State& state) {
  ScratchMachine machine;
  machine.WriteFile(kServicesFile, ServicesText(30000));
  for (auto _ : state) {
    for (const char* name : kRegistered) {
      if (!KelRegTcpService(name, 20000, "bench")) state.SkipWithError("registration failed");
    }
  }
}

void SedTwenty(benchmark::State& state) {
  ScratchMachine machine;
  machine.WriteFile(kServicesFile, ServicesText(30000));
  std::string command;
  for (const char* name : kRegistered) {
    command += std::string("sed -i 's/^") + name + "[[:space:]].*/" + name +
               "\\t\\t20000\\/tcp\\t# bench\\r/' " +
               ShellQuote(machine.HostPath(kServicesFile)) + " && ";
  }
  command += "true";
  for (auto _ : state) RunCommand(state, command);
}

void LookUpPort(benchmark::State& state) {
  ScratchMachine machine;
  machine.WriteFile(kServicesFile, ServicesText(30000));
  for (auto _ : state) {
    if (KelGetTcpServicePort("svc09999") != 39999) state.SkipWithError("wrong port");
  }
}

void GrepPort(benchmark::State& state) {
  ScratchMachine machine;
  machine.WriteFile(kServicesFile, ServicesText(30000));
  const std::string command =
      "grep -m1 '^svc09999[[:space:]]' " + ShellQuote(machine.HostPath(kServicesFile)) +
      " > /dev/null";
  for (auto _ : state) RunCommand(state, command);
}

void CatServices(benchmark::State& state) {
  ScratchMachine machine;
  machine.WriteFile(kServicesFile, ServicesText(30000));
  const std::string command = "cat " + ShellQuote(machine.HostPath(kServicesFile)) + " > /dev/null";
  for (auto _ : state) RunCommand(state, command);
}

// 100 instances from 16570 in steps of 20, the services file's 10,000 ports
// right above them: both port searches walk through all of it, one test a
// candidate.
void SetDefault(benchmark::State& state) {
  ScratchMachine machine;
  NameTheMachine(machine);
  machine.WriteFile(kServicesFile, ServicesText(18570));
  MSList list;
  for (int i = 0; i < 100; ++i) {
    MSInfo rec = Record(i, 16570 + 20 * i);
    list.Add(rec, 0);
  }
  for (auto _ : state) {
    state.PauseTiming();
    Renew(machine.HostPath(kServicesFile));
    state.ResumeTiming();
    if (!list.SetDefault("C:\\tq", "C:\\www")) state.SkipWithError("SetDefault failed");
  }
  MSInfo proposal;
  list.GetDefault(proposal);
  if (proposal.GetMSPort() < 28570) state.SkipWithError("the search did not pass the services");
}

// --- The instance data file -------------------------------------------------

// A data file of 1,000 records, stored by the library.
void WriteDataFile(const ScratchMachine& machine) {
  machine.WriteFile(kDataFile, "");
  MSList list;
  for (int i = 0; i < 1000; ++i) {
    MSInfo rec = Record(i, 16570 + 10 * i);
    list.Add(rec, 0);
  }
  list.Store(kDataFile);
}

void Load(benchmark::State& state) {
  ScratchMachine machine;
  machine.WriteFile(kServicesFile, ServicesText(30000));
  WriteDataFile(machine);
  for (auto _ : state) {
    state.PauseTiming();
    Renew(machine.HostPath(kServicesFile));
    MSList list;
    state.ResumeTiming();
    if (!list.Load(kDataFile) || list.GetCount() != 1000) state.SkipWithError("Load failed");
  }
}

void CatDataFile(benchmark::State& state) {
  ScratchMachine machine;
  WriteDataFile(machine);
  const std::string command = "cat " + ShellQuote(machine.HostPath(kDataFile)) + " > /dev/null";
  for (auto _ : state) RunCommand(state, command);
}

void Store(benchmark::State& state) {
  ScratchMachine machine;
  WriteDataFile(machine);
  MSList list;
  list.Load(kDataFile);
  for (auto _ : state) {
    if (!list.Store(kDataFile)) state.SkipWithError("Store failed");
  }
}

void CopyDataFile(benchmark::State& state) {
  ScratchMachine machine;
  WriteDataFile(machine);
  const std::string command = "cp " + ShellQuote(machine.HostPath(kDataFile)) + " " +
                              ShellQuote(machine.HostPath(kDataFile) + ".copy");
  for (auto _ : state) RunCommand(state, command);
}

// --- The registry -----------------------------------------------------------

constexpr size_t kLargeRegistry = 10u << 20;

void RegistryLookUps(benchmark::State& state) {
  ScratchMachine machine;
  int keys = 0;
  const std::string registry = machine.root() + "/registry.reg";
  if (!os::posix::ReplaceHostFile(registry, RegistryText(kLargeRegistry, &keys)).ok()) {
    state.SkipWithError("cannot write the registry");
  }
  for (auto _ : state) {
    state.PauseTiming();
    Renew(registry);
    state.ResumeTiming();
    for (int i = 0; i < 200; ++i) {
      const std::string subkey = "SOFTWARE\\Bench\\" + Numbered("Key%05d", i * (keys / 200));
      auto key = os::RegistryKey::Open(os::RegistryRoot::kLocalMachine, subkey,
                                       os::RegistryAccess::kRead);
      if (!key || !key->QueryValue("Path")) state.SkipWithError("look-up failed");
    }
  }
}

void OneRegistryParse(benchmark::State& state) {
  ScratchMachine machine;
  int keys = 0;
  const std::string registry = machine.root() + "/registry.reg";
  os::posix::ReplaceHostFile(registry, RegistryText(kLargeRegistry, &keys));
  for (auto _ : state) {
    auto text = os::posix::ReadHostFile(registry);
    os::posix::RegistryNode tree;
    std::string error;
    if (!text || !os::posix::ParseRegistryText(*text, registry, &tree, &error)) {
      state.SkipWithError("parse failed");
    }
  }
}

// A service that takes 181 seconds to stop: the wait gives up after its 180
// polls, one second each on the virtual clock.
void ServiceWait(benchmark::State& state) {
  ScratchMachine machine;
  int keys = 0;
  const std::string service =
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\TQbench]\r\n"
      "\"Type\"=dword:00000010\r\n\"Start\"=dword:00000003\r\n\"ErrorControl\"=dword:00000001\r\n"
      "\"ImagePath\"=\"C:\\\\bin\\\\srvrctrl.exe\"\r\n\"DisplayName\"=\"Tessaly - bench\"\r\n"
      "\"ObjectName\"=\"LocalSystem\"\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\EMULATION]\r\n\"VirtualClock\"=dword:00000001\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\EMULATION\\Services\\TQbench]\r\n\"State\"=dword:00000004\r\n"
      "\"StopDelay\"=dword:000000b5\r\n\r\n";
  const std::string registry = machine.root() + "/registry.reg";
  const std::string text = RegistryText(1u << 20, &keys) + service;
  MSInfo info;
  info.SetName("bench");
  for (auto _ : state) {
    state.PauseTiming();
    os::posix::ReplaceHostFile(registry, text);
    state.ResumeTiming();
    if (StopInstanceService(info) != 0) state.SkipWithError("the service stopped too soon");
  }
}

const bool registered = [] {
  RegisterRow("20 KelRegTcpService, 10,000-line services file (vs 20 sed -i)", 1.5,
              RegisterTwenty, SedTwenty);
  RegisterRow("KelGetTcpServicePort, 10,000 lines (vs grep -m1)", 1.0, LookUpPort, GrepPort);
  RegisterRow("MSList::SetDefault, 100 instances, 10,000 services (vs cat)", 5.0, SetDefault,
              CatServices);
  RegisterRow("MSList::Load, 1,000 records, 10,000 services (vs cat)", 20.0, Load, CatDataFile);
  RegisterRow("MSList::Store, 1,000 records (vs cp)", 3.0, Store, CopyDataFile);
  RegisterRow("200 registry look-ups, 10 MB registry (vs one parse)", 2.0, RegistryLookUps,
              OneRegistryParse);
  RegisterTimedRow("one 180-poll service wait, virtual clock, 1 MB registry", 3.0, ServiceWait);
  return true;
}();

}  // namespace
}  // namespace orvane::bench
