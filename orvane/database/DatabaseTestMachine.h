// Test machine of the database set-up: a product installation, the Velq
// stand-in installed with its scripts, an instance record with its log
// directory and service, and the messages the library reports.
#ifndef ORVANE_DATABASE_DATABASETESTMACHINE_H_
#define ORVANE_DATABASE_DATABASETESTMACHINE_H_

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "orvane/core/MSInfo.h"
#include "orvane/platform/PlatformTestMachine.h"
#include "orvane/runtime/Messages.h"
#include "orvane/runtime/MessagesInternal.h"
#include "orvane/testing/Emulation.h"
#include "orvane/testing/ProgramPipe.h"
#if defined(_WIN32)
#include "orvane/testing/win32/SearchPathFolder.h"
#endif

namespace orvane::test {

// What the library reported, in order: errors and status lines alike, each
// as its text.
inline std::vector<std::string>& ReportedLines() {
  static std::vector<std::string> lines;
  return lines;
}
inline void CollectError(const char* text) { ReportedLines().push_back(std::string("E:") + text); }
inline void CollectStatus(const char* text) { ReportedLines().push_back(std::string("S:") + text); }

// The text of a message as the library reports it.
inline std::string Status(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr) {
  KelString text;
  KelLoadMessage(text, id, arg1, arg2);
  return std::string("S:") + static_cast<const char*>(text);
}
inline std::string Error(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr) {
  return "E:" + Status(id, arg1, arg2).substr(2);
}

// The stand-in program built beside the tests, or "" when there is none
// (the Windows build has it when SQLite's sources were at hand).
#ifdef ORVANE_VELQSIM
constexpr char kVelqsim[] = ORVANE_VELQSIM;
#else
constexpr char kVelqsim[] = "";
#endif

class DatabaseMachineTest : public PlatformMachineTest {
 protected:
  static constexpr char kLogs[] = "C:\\shop\\logs";
  static constexpr char kSchemaDir[] = "C:\\Tessaly\\tq_schema\\VELQ";
  static constexpr char kAdminDir[] = "C:\\Tessaly\\server\\admin";

  void SetUp() override {
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
        "\"TQ_INST_PATH\"=\"C:\\\\Tessaly\"\r\n"
        "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\velqown]\r\n\"Privilege\"=dword:00000002\r\n");
    MakeDirectory(kLogs);
    MakeDirectory(kAdminDir);
    AddService("TQshop", EmulatedService());
    info.SetName("shop");
    info.SetRootPath("C:\\shop");
    info.SetDBName("shopdb");
    info.SetDBUser("velqown");
    // Set as stored: the account rule asks the machine, and under Wine
    // velqown is no account of its own.
    info.m_DBOwner = "velqown";
    info.SetDBPswd("s3cret");
    info.SetMerKey("0123456789abcdef");
    ReportedLines().clear();
    bCgiApp = 1;
    pfnError = CollectError;
    pfnUpdate = CollectStatus;
    ResetStageCounters();
  }

  void TearDown() override {
    bCgiApp = 0;
    pfnError = nullptr;
    pfnUpdate = nullptr;
  }

  // Installs the stand-in; extra options as velqsim --install takes them.
  // On Windows the stand-in's programs are in its own folder, which stays
  // on the search path for the rest of the test. Without the stand-in the
  // test is skipped, and the caller returns when IsSkipped().
  void InstallVelq(const std::string& options = "") {
    if (*kVelqsim == '\0') {
      GTEST_SKIP() << "velqsim is not built (the Windows build takes it once "
                      "cmake/sqlite-for-mingw.sh has made SQLite's sources)";
    }
    std::string said;
    ASSERT_EQ(RunCommand(ProgramCommand(kVelqsim) + " --install " + options, &said), 0) << said;
#if defined(_WIN32)
    m_velqOnSearchPath = std::make_unique<orvane::testing::SearchPathFolder>("C:\\VELQ\\BIN");
#endif
  }

  // The installed program "velqcmd" or "velq", as a Windows path.
  static std::string VelqProgram(const std::string& name) {
#if defined(_WIN32)
    return "C:\\VELQ\\BIN\\" + name + ".exe";
#else
    return "C:\\WINNT\\system32\\" + name;
#endif
  }

  // Runs one command of the installed "velq" command line.
  void Velq(const std::string& command) {
    std::string said;
    EXPECT_EQ(RunCommand(InstalledCommand("velq") + " " + command, &said), 0) << said;
  }

  // The output of an SQL statement on a database, through a command file
  // run in the command environment.
  std::string VelqQuery(const std::string& database, const std::string& sql) {
    machine.WriteFile("C:\\query.cmd", "velq connect to " + database + "\r\nvelq \"" + sql +
                                           "\" > C:\\query.out\r\n");
#if defined(_WIN32)
    const std::string commandFile = "C:\\query.cmd";
#else
    const std::string commandFile = "'C:\\query.cmd'";
#endif
    std::string said;
    EXPECT_EQ(RunCommand(InstalledCommand("velqcmd") + " " + commandFile, &said), 0) << said;
    return machine.ReadFile("C:\\query.out");
  }

  void SetKnob(const std::string& name, const std::string& regValue) {
    machine.WriteRegistry("[HKEY_LOCAL_MACHINE\\EMULATION\\Velq]\r\n\"" + name + "\"=" + regValue +
                          "\r\n");
  }

  void MakeDirectory(const std::string& windowsPath) {
    std::filesystem::create_directories(machine.HostPath(windowsPath));
  }

  unsigned long ServiceStartType() const { return ServiceDword("TQshop", "Start"); }

  // The files left in a directory of the machine.
  std::vector<std::string> FilesIn(const std::string& windowsPath) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(machine.HostPath(windowsPath))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  MSInfo info;

 private:
  std::string InstalledCommand(const std::string& name) const {
    return ProgramCommand(machine.HostPath(VelqProgram(name)));
  }

  // Runs a command line: its exit code, and what it printed in *output.
  static int RunCommand(const std::string& commandLine, std::string* output) {
    return RunProgram(commandLine + " 2>&1", output).value_or(-1);
  }

#if defined(_WIN32)
  std::unique_ptr<orvane::testing::SearchPathFolder> m_velqOnSearchPath;
#endif
};

}  // namespace orvane::test

#endif  // ORVANE_DATABASE_DATABASETESTMACHINE_H_
