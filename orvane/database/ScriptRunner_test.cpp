// The script runner and its command files: what runs, what is waited for,
// what is left behind.
#include "orvane/database/ScriptRunner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>

#include "orvane/database/DatabaseTestMachine.h"
#include "orvane/testing/QuickPolls.h"

namespace orvane::test {
namespace {

std::vector<int> g_progress;
void CollectProgress(int percent) { g_progress.push_back(percent); }

class ScriptRunnerTest : public DatabaseMachineTest {
 protected:
  void SetUp() override {
    DatabaseMachineTest::SetUp();
    machine.WriteFile("C:\\work\\job.cmd", "@echo %1 ran> C:\\work\\out.txt\r\n");
    g_progress.clear();
    pfnProgress = CollectProgress;
  }
  void TearDown() override {
    pfnProgress = nullptr;
    DatabaseMachineTest::TearDown();
  }
};

TEST_F(ScriptRunnerTest, RunsTheCommandLineInTheWorkingDirectoryAndTidiesUp) {
  InstallVelq();
  if (IsSkipped()) return;
  EXPECT_EQ(KelMigrateDB("job.cmd first", info, "C:\\work", 240), 1);
  EXPECT_EQ(machine.ReadFile("C:\\work\\out.txt"), "first ran\r\n");
  EXPECT_EQ(FilesIn("C:\\work"), (std::vector<std::string>{"job.cmd", "out.txt"}));
  EXPECT_EQ(FilesIn(kLogs), std::vector<std::string>{});
  EXPECT_EQ(ReportedLines(), std::vector<std::string>{});
  // A quick script is seen to finish within the first polls.
  EXPECT_LE(ClockSeconds(), 5u);
}

TEST_F(ScriptRunnerTest, AWrapperThatCannotBeWrittenIsReported) {
  EXPECT_EQ(KelMigrateDB("job.cmd", info, "C:\\nowhere", 0), 0);
  EXPECT_EQ(ReportedLines(), std::vector<std::string>{Error(13)});
  // A command line that would add lines of its own to the wrapper is refused.
  ReportedLines().clear();
  EXPECT_EQ(KelMigrateDB("job.cmd\r\n@del C:\\work\\job.cmd", info, "C:\\work", 0), 0);
  EXPECT_EQ(ReportedLines(), std::vector<std::string>{Error(13)});
  EXPECT_TRUE(machine.FileExists("C:\\work\\job.cmd"));
}

TEST_F(ScriptRunnerTest, WithoutTheCommandEnvironmentNothingIsWaitedFor) {
  InstallVelq();
  if (IsSkipped()) return;
  std::filesystem::remove(machine.HostPath(VelqProgram("velqcmd")));
  const QuickPolls quickPolls;  // on Windows too, the clock counts waits alone
  EXPECT_EQ(KelMigrateDB("job.cmd", info, "C:\\work", 0), 0);
  EXPECT_EQ(ClockSeconds(), 0u);
  EXPECT_FALSE(machine.FileExists("C:\\work\\dbmaster.cmd"));
}

TEST_F(ScriptRunnerTest, AHungScriptIsWaitedForSixHundredPollsWithProgress) {
  InstallVelq();
  if (IsSkipped()) return;
  const QuickPolls quickPolls;
  SetKnob("HangScript", "\"job.cmd\"");
  // A marker that an interrupted run left behind must not end the wait.
  MakeDirectory(std::string(kLogs) + "\\~shopdb.tmp");
  EXPECT_EQ(KelMigrateDB("job.cmd", info, "C:\\work", 240), 1);
  EXPECT_EQ(ClockSeconds(), 600u);
  ASSERT_EQ(g_progress.size(), 600u);
  EXPECT_EQ(g_progress[2], 0);  // 200 / 240
  EXPECT_EQ(g_progress[3], 1);  // 300 / 240
  EXPECT_EQ(g_progress[240], 100);
  EXPECT_EQ(g_progress[599], 100);  // the percentage is capped
  EXPECT_FALSE(machine.FileExists(std::string(kLogs) + "\\~shopdb.tmp"));
  EXPECT_FALSE(machine.FileExists("C:\\work\\out.txt"));
}

class CommandFileTest : public DatabaseMachineTest {};

TEST_F(CommandFileTest, APrivateFileIsTheOwnersAloneAndGoesWithTheObject) {
  const std::string path = "C:\\work\\secret.bat";
  MakeDirectory("C:\\work");
  {
    CommandFile file(path.c_str(), true);
    ASSERT_NE(file.stream(), nullptr);
    std::fputs("@call x password\n", file.stream());
#if !defined(_WIN32)  // modes exist on the emulated machine only
    struct stat info;
    ASSERT_EQ(stat(machine.HostPath(path).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(machine.ReadFile(path), "@call x password\r\n");
  }
  EXPECT_FALSE(machine.FileExists(path));
}

#if !defined(_WIN32)
TEST_F(CommandFileTest, APlantedLinkIsReplacedNotWrittenThrough) {
  MakeDirectory("C:\\work");
  const std::string outside = machine.HostPath("C:\\outside.txt");
  std::ofstream(outside) << "untouched";
  ASSERT_EQ(symlink(outside.c_str(), machine.HostPath("C:\\work\\velqconfig.bat").c_str()), 0);
  {
    CommandFile file("C:\\work\\velqconfig.bat", true);
    ASSERT_NE(file.stream(), nullptr);
    std::fputs("password\n", file.stream());
  }
  std::ifstream in(outside);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "untouched");
  EXPECT_FALSE(machine.FileExists("C:\\work\\velqconfig.bat"));
}
#endif

}  // namespace
}  // namespace orvane::test
