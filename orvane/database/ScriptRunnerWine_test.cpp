// The script runner on Windows (run under Wine here): its wrapper and the
// command file it calls go through the system's command interpreter, by way
// of a velqcmd.exe stand-in built in a folder of its own, and the runner
// waits for the marker that the interpreter makes.
#include <gtest/gtest.h>

#if defined(_WIN32) && defined(ORVANE_VELQCMD)

#include "orvane/core/MSInfo.h"
#include "orvane/database/ScriptRunner.h"
#include "orvane/runtime/Messages.h"
#include "orvane/testing/ProgramPipe.h"
#include "orvane/testing/TempMachine.h"
#include "orvane/testing/win32/SearchPathFolder.h"

namespace orvane::test {
namespace {

constexpr char kRoot[] = "C:\\orvanedb";

class WineScriptRunnerTest : public MachineTest {
 protected:
  WineScriptRunnerTest() {
    // A script run is a step of the installation's database set-up.
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
        "\"TQ_INST_PATH\"=\"C:\\\\orvanedb\\\\inst\"\r\n");
    machine.WriteFile(std::string(kRoot) + "\\inst\\server\\admin\\keep.txt", "");
    machine.WriteFile(std::string(kRoot) + "\\shop\\logs\\keep.txt", "");
    machine.WriteFile(std::string(kRoot) + "\\work\\job.cmd",
                      "@echo %1 ran> " + std::string(kRoot) + "\\work\\out.txt\r\n");
    info.SetRootPath((std::string(kRoot) + "\\shop").c_str());
    info.SetDBName("shopdb");
  }
  // The stand-in's folder, found first for this test alone.
  orvane::testing::SearchPathFolder interpreter{InterpreterFolder()};
  MSInfo info;

 private:
  static std::string InterpreterFolder() {
    const std::string program = ProgramPath(ORVANE_VELQCMD);
    return program.substr(0, program.find_last_of('\\'));
  }
};

TEST_F(WineScriptRunnerTest, RunsTheCommandFileThroughTheInterpreterAndAwaitsItsMarker) {
  ASSERT_EQ(KelMigrateDB("job.cmd first", info, "C:\\orvanedb\\work", 0), 1);
  EXPECT_EQ(machine.ReadFile(std::string(kRoot) + "\\work\\out.txt"), "first ran\r\n")
      << "the marker comes after the call: the call has finished";
  EXPECT_FALSE(machine.FileExists(std::string(kRoot) + "\\work\\dbmaster.cmd"));
  EXPECT_FALSE(machine.FileExists(std::string(kRoot) + "\\shop\\logs\\~shopdb.tmp"));
}

}  // namespace
}  // namespace orvane::test

#endif
