// Creating the databases of ten local instances through the Velq stand-in,
// against running the same schema SQL with the sqlite3 command line.
//
// The machine runs on its virtual clock, so the library's one-second polls
// cost only the real time that the stand-in's processes take; what is
// measured is the whole road: existence check, wrapper, command files, the
// schema script's statements, the log, the second existence check and the
// ODBC registration.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/BenchSupport.h"
#include "orvane/core/MSInfo.h"
#include "orvane/core/MSList.h"
#include "orvane/database/DatabaseSetup.h"
#include "orvane/runtime/Messages.h"

namespace orvane::bench {
namespace {

constexpr int kInstances = 10;

#ifdef ORVANE_VELQSIM
// A machine with the product, the stand-in and ten instance records.
class DatabaseMachine {
 public:
  DatabaseMachine() {
    m_machine.WriteFile("C:\\setup.reg",
                        "REGEDIT4\r\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
                        "\"TQ_INST_PATH\"=\"C:\\\\Tessaly\"\r\n"
                        "[HKEY_LOCAL_MACHINE\\EMULATION]\r\n\"VirtualClock\"=dword:00000001\r\n");
    std::filesystem::rename(m_machine.HostPath("C:\\setup.reg"),
                            m_machine.root() + "/registry.reg");
    m_installed = std::system((std::string(ORVANE_VELQSIM) + " --install >/dev/null").c_str()) == 0;
    for (int i = 0; i < kInstances; ++i) {
      const std::string name = "shop" + std::to_string(i);
      std::filesystem::create_directories(m_machine.HostPath("C:\\" + name + "\\logs"));
      MSInfo info;
      info.SetName(name.c_str());
      info.SetRootPath(("C:\\" + name).c_str());
      info.SetDBName(("SHOPDB" + std::to_string(i)).c_str());
      info.SetMerKey("0123456789abcdef");
      m_list.Add(info, 0);
    }
  }

  bool installed() const { return m_installed; }
  MSList& list() { return m_list; }
  // Drops every database, so that the next round creates them again.
  void Reset() const {
    const std::string data = m_machine.HostPath("C:\\VELQ\\DATA");
    std::filesystem::remove_all(data);
    std::filesystem::create_directories(data);
  }

 private:
  ScratchMachine m_machine;
  MSList m_list;
  bool m_installed = false;
};

void CreateThroughVelq(benchmark::State& state) {
  DatabaseMachine machine;
  if (!machine.installed()) {
    state.SkipWithError("velqsim --install failed");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    machine.Reset();
    state.ResumeTiming();
    if (!DBCreateDatabase(machine.list())) state.SkipWithError("DBCreateDatabase failed");
  }
}

// The schema script's SQL, straight into ten SQLite files.
void CreateThroughSqlite(benchmark::State& state) {
  ScratchMachine machine;
  const std::string install = std::string(ORVANE_VELQSIM) + " --install --scripts C:\\schema";
  if (std::system((install + " >/dev/null").c_str()) != 0) {
    state.SkipWithError("velqsim --install failed");
    return;
  }
  const std::string schema = machine.HostPath("C:\\schema\\schema.sql");
  const std::string data = machine.HostPath("C:\\VELQ\\DATA");
  std::string command = "cd " + ShellQuote(data) + " && rm -f *.db";
  for (int i = 0; i < kInstances; ++i) {
    const std::string file = "SHOPDB" + std::to_string(i) + ".db";
    command += " && sqlite3 " + file + " < " + ShellQuote(schema) + " && sqlite3 " + file +
               " \"insert into shopadm values ('ncadmin', 'x', 'N', 1)\"";
  }
  for (auto _ : state) RunCommand(state, command);
}

const bool registered = (RegisterRow("DBCreateDatabase 10 local instances", 5.0, CreateThroughVelq,
                                     CreateThroughSqlite),
                         true);
#endif

}  // namespace
}  // namespace orvane::bench
