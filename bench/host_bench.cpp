// orvanectl over many instances, run as a user runs it: the built program in
// a subprocess, on a sample installation whose instances orvanectl itself
// added and created, beside the shell tools that read or edit the same files.
//
// The machines are kept in memory (ScratchMachine::Storage::kMemory): the
// rows time the program's work, not the shared disk, which takes some
// milliseconds for each of the 80 or so flushes that creating one instance
// makes and varies with whoever else writes to it. Each machine is laid out
// once per benchmark process and shared by the rows that read it.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "bench/BenchSupport.h"

#if defined(ORVANE_ORVANECTL)
namespace orvane::bench {
namespace {

constexpr char kDataFile[] = "C:\\Tessaly\\server\\admin\\tqconfig.dat";
constexpr char kServicesFile[] = "C:\\WINNT\\system32\\drivers\\etc\\services";
constexpr char kHostsFile[] = "C:\\WINNT\\system32\\drivers\\etc\\hosts";
constexpr char kHttpdCnf[] = "C:\\WINNT\\httpd.cnf";

// The shell command that runs orvanectl with arguments on the machine at
// root, its output thrown away.
std::string CtlCommand(const std::string& root, const std::string& arguments) {
  return ShellQuote(ORVANE_ORVANECTL) + " --machine " + ShellQuote(root) + " " + arguments +
         " > /dev/null";
}

// A sample installation with instances s0001, s0002, ... added through
// orvanectl, each on its own host sNNNN.example that the machine's hosts file
// resolves, and created with "create --all" when created is set.
class InstanceMachine {
 public:
  InstanceMachine(int instances, bool created) {
    const std::string& root = m_machine.root();
    // The scratch machine's own layout is replaced by the sample's.
    if (std::system(CtlCommand(root, "machine init --sample --force").c_str()) != 0) {
      m_error = "machine init failed";
      return;
    }
    std::ofstream hosts(m_machine.HostPath(kHostsFile), std::ios::binary | std::ios::app);
    for (int i = 1; i <= instances; ++i) {
      hosts << "10.1." << i / 250 << "." << i % 250 + 1 << "\t" << Name(i) << ".example\r\n";
    }
    hosts.close();
    const std::string adds = "for i in $(seq -f %04g 1 " + std::to_string(instances) +
                             "); do " + CtlCommand(root, "add s$i --host s$i.example") +
                             " || exit 1; done";
    if (std::system(adds.c_str()) != 0) {
      m_error = "adding the instances failed";
    } else if (created && std::system(CtlCommand(root, "create --all").c_str()) != 0) {
      m_error = "create --all failed";
    }
  }

  const ScratchMachine& machine() const { return m_machine; }
  std::string Ctl(const std::string& arguments) const {
    return CtlCommand(m_machine.root(), arguments);
  }
  // Empty when the machine is laid out.
  const std::string& error() const { return m_error; }

 private:
  static std::string Name(int i) {
    std::string digits = std::to_string(i);
    return "s" + std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
  }

  ScratchMachine m_machine{ScratchMachine::Storage::kMemory};
  std::string m_error;
};

// The machine of that many instances, laid out at the first call.
const InstanceMachine& SharedMachine(benchmark::State& state, int instances, bool created) {
  static std::map<std::pair<int, bool>, std::unique_ptr<InstanceMachine>> machines;
  std::unique_ptr<InstanceMachine>& machine = machines[{instances, created}];
  if (machine == nullptr) machine = std::make_unique<InstanceMachine>(instances, created);
  if (!machine->error().empty()) state.SkipWithError(machine->error().c_str());
  return *machine;
}

// One run of orvanectl with arguments an iteration, on the machine of that
// many created instances.
void TimeCtl(benchmark::State& state, int instances, const std::string& arguments) {
  const std::string command = SharedMachine(state, instances, true).Ctl(arguments);
  for (auto _ : state) RunCommand(state, command);
}

// --- Reading the instances --------------------------------------------------

const int kListed = RowSize(1000);

void List(benchmark::State& state) { TimeCtl(state, kListed, "list"); }
void JsonList(benchmark::State& state) { TimeCtl(state, kListed, "--json list"); }

void CatDataAndServices(benchmark::State& state) {
  const ScratchMachine& machine = SharedMachine(state, kListed, true).machine();
  const std::string command = "cat " + ShellQuote(machine.HostPath(kDataFile)) + " " +
                              ShellQuote(machine.HostPath(kServicesFile)) + " > /dev/null";
  for (auto _ : state) RunCommand(state, command);
}

// --- Configuring the web server ---------------------------------------------

const int kConfigured = RowSize(100);

void WebConf(benchmark::State& state) { TimeCtl(state, kConfigured, "webconf"); }

// One pass of sed -i over a copy of the httpd.cnf that webconf writes.
void SedHttpdCnf(benchmark::State& state) {
  const InstanceMachine& machine = SharedMachine(state, kConfigured, true);
  RunCommand(state, machine.Ctl("webconf"));
  const std::string copy = machine.machine().root() + "/httpd-copy.cnf";
  std::error_code error;
  std::filesystem::copy_file(machine.machine().HostPath(kHttpdCnf), copy,
                             std::filesystem::copy_options::overwrite_existing, error);
  if (error) state.SkipWithError(("no httpd.cnf: " + error.message()).c_str());
  const std::string command = "sed -i 's/^Port /Port /' " + ShellQuote(copy);
  for (auto _ : state) RunCommand(state, command);
}

// --- Creating the instances -------------------------------------------------

const int kCreatedMany = RowSize(100);
const int kCreatedFew = RowSize(10);

// orvanectl with arguments on fresh copies of a machine of `instances` added
// instances, `runs` times an iteration; the copying is not timed.
void OnFreshCopies(benchmark::State& state, int instances, int runs, const std::string& arguments) {
  const InstanceMachine& added = SharedMachine(state, instances, false);
  const std::string work = added.machine().root() + ".work";
  const std::string copy = "rm -rf " + ShellQuote(work) + " && cp -a " +
                           ShellQuote(added.machine().root()) + " " + ShellQuote(work);
  const std::string command = CtlCommand(work, arguments);
  for (auto _ : state) {
    for (int run = 0; run < runs; ++run) {
      state.PauseTiming();
      RunCommand(state, copy);
      state.ResumeTiming();
      RunCommand(state, command);
    }
  }
  std::filesystem::remove_all(work);
}

void CreateAll(benchmark::State& state, int instances, int runs) {
  OnFreshCopies(state, instances, runs, "create --all");
}

// The same number of instances either way: the ratio is that of the time
// per instance.
void CreateMany(benchmark::State& state) { CreateAll(state, kCreatedMany, 1); }
void CreateFew(benchmark::State& state) {
  CreateAll(state, kCreatedFew, kCreatedMany / kCreatedFew);
}

// --- Planning and verifying ------------------------------------------------

const int kVerified = RowSize(100);

void CreateOne(benchmark::State& state) { OnFreshCopies(state, kCreatedFew, 1, "create s0001"); }
// The plan of the same creation: the machine stays as it is, so no copies.
void CreateOneChecked(benchmark::State& state) {
  const std::string command = SharedMachine(state, kCreatedFew, false).Ctl("create s0001 --check");
  for (auto _ : state) RunCommand(state, command);
}
// Verify exits 1 on drift, and the web server's files are drift until
// webconf has written them: the machine is configured first.
void VerifyAll(benchmark::State& state) {
  RunCommand(state, SharedMachine(state, kVerified, true).Ctl("webconf"));
  TimeCtl(state, kVerified, "verify --all");
}
void ListVerified(benchmark::State& state) { TimeCtl(state, kVerified, "list"); }

// apply of the file that export writes for the machine: nothing differs, so
// nothing is planned or re-created, only compared.
void ApplyUnchanged(benchmark::State& state) {
  const InstanceMachine& machine = SharedMachine(state, kVerified, true);
  const std::string file = machine.machine().root() + "/desired-state.json";
  RunCommand(state, machine.Ctl("export -o " + ShellQuote(file)));
  const std::string command = machine.Ctl("apply -f " + ShellQuote(file));
  for (auto _ : state) RunCommand(state, command);
}

const bool registered = [] {
  const std::string listed = std::to_string(kListed) + " instances";
  RegisterRow("orvanectl list, " + listed + " (vs cat data + services)", 20.0, List,
              CatDataAndServices);
  RegisterRow("orvanectl --json list, " + listed + " (vs cat data + services)", 20.0, JsonList,
              CatDataAndServices);
  RegisterRow("orvanectl webconf, " + std::to_string(kConfigured) + " instances (vs sed -i)",
              5.0, WebConf, SedHttpdCnf);
  RegisterRow("orvanectl create --all, " + std::to_string(kCreatedMany) + " instances (vs " +
                  std::to_string(kCreatedMany / kCreatedFew) + " runs of " +
                  std::to_string(kCreatedFew) + ")",
              1.5, CreateMany, CreateFew);
  RegisterRow("orvanectl create --check, one instance (vs create of one)", 3.0,
              CreateOneChecked, CreateOne);
  const std::string verified = std::to_string(kVerified) + " instances";
  RegisterRow("orvanectl verify --all, " + verified + " (vs create of one)", 3.0, VerifyAll,
              CreateOne);
  RegisterRow("orvanectl verify --all, " + verified + " (vs list)", 3.0, VerifyAll,
              ListVerified);
  RegisterRow("orvanectl apply of an unchanged file, " + verified + " (vs list)", 3.0,
              ApplyUnchanged, ListVerified);
  return true;
}();

}  // namespace
}  // namespace orvane::bench
#endif  // ORVANE_ORVANECTL
