// Command files in the command environment: arguments, redirections, calls
// and the way out.
#include "tools/velqsim/CommandEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "orvane/testing/PlantedLink.h"
#include "tools/velqsim/VelqTestMachine.h"

namespace velqsim {
namespace {

TEST(SubstituteArgumentsTest, ReplacesNumberedArgumentsAndPercents) {
  const std::vector<std::string> arguments = {"C:\\a.cmd", "one", "\"two words\""};
  struct Case {
    const char* line;
    const char* expected;
  } cases[] = {
      {"echo %1 %2", "echo one \"two words\""}, {"echo %~2 and %~1", "echo two words and one"},
      {"echo [%3] [%9]", "echo [] []"},         {"echo %0", "echo C:\\a.cmd"},
      {"echo %*", "echo one \"two words\""},    {"echo 100%% %x% %", "echo 100% %x% %"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SubstituteArguments(c.line, arguments), c.expected) << c.line;
}

class CommandEnvironmentTest : public VelqMachineTest {
 protected:
  // Runs a command file written from lines; what it printed to its console.
  std::string RunFile(const std::string& content, const std::string& arguments = "") {
    machine.WriteFile("C:\\job\\main.cmd", content);
    CommandEnvironment environment(m_console.stream());
    m_exitCode =
        environment.RunLine("C:\\job\\main.cmd" + (arguments.empty() ? "" : " " + arguments));
    return m_console.Take();
  }

  Capture m_console;
  int m_exitCode = -1;
};

TEST_F(CommandEnvironmentTest, EchoesAndRedirectsEveryStream) {
  const std::string console = RunFile(
      "@echo off\r\n"
      "echo first> C:\\job\\out.txt\r\n"
      "@echo second >>C:\\job\\out.txt\r\n"
      "echo.\r\n"
      "echo a \"quoted > sign\"\r\n"
      "rem echo nothing\r\n"
      "nosuchprogram 2> C:\\job\\err.txt\r\n"
      "nosuchprogram > C:\\job\\both.txt 2>&1\r\n"
      "echo 2 is a number\r\n");
  EXPECT_EQ(machine.ReadFile("C:\\job\\out.txt"), "first\r\nsecond \r\n");
  EXPECT_EQ(console, "\na \"quoted > sign\"\n2 is a number\n");
  EXPECT_EQ(machine.ReadFile("C:\\job\\err.txt"),
            "'nosuchprogram' is not recognized as an internal or external command,\r\n"
            "operable program or batch file.\r\n");
  EXPECT_EQ(machine.ReadFile("C:\\job\\both.txt"), machine.ReadFile("C:\\job\\err.txt"));
}

// The log folder may be writable by others: a link planted at a log's name
// is not written through, whether the output replaces or extends the file.
TEST_F(CommandEnvironmentTest, RedirectionRefusesALinkAtTheTarget) {
  machine.WriteFile("C:\\outside.txt", "kept");
  machine.WriteFile("C:\\stores\\shop1\\logs\\keep.log", "");
  std::filesystem::permissions(machine.HostPath("C:\\stores\\shop1\\logs"),
                               std::filesystem::perms::all);
  const std::string failure =
      orvane::test::PlantLink("C:\\stores\\shop1\\logs\\shop1.log", "C:\\outside.txt");
  if (!failure.empty()) GTEST_SKIP() << failure;
  EXPECT_EQ(RunFile("@echo secret> C:\\stores\\shop1\\logs\\shop1.log\r\n"
                    "@echo secret>> C:\\stores\\shop1\\logs\\shop1.log\r\n"),
            "Access is denied.\nAccess is denied.\n");
  EXPECT_EQ(machine.ReadFile("C:\\outside.txt"), "kept");
}

TEST_F(CommandEnvironmentTest, CallsPassArgumentsAndReturn) {
  machine.WriteFile("C:\\job\\sub.cmd", "echo sub %1 %~2\r\nexit /b 3\r\necho never\r\n");
  machine.WriteFile("C:\\job\\last.cmd", "echo last %1\r\n");
  const std::string console = RunFile(
      "@call C:\\job\\sub \"a b\" \"c d\"\r\n"
      "echo back %1\r\n"
      "cd C:\\job\r\n"
      "call sub.cmd x\r\n"
      "last.cmd %1\r\n"
      "echo not after a file that takes over\r\n",
      "arg");
  EXPECT_EQ(console, "sub \"a b\" c d\nback arg\nsub x \nlast arg\n");
}

TEST_F(CommandEnvironmentTest, ExitEndsEverythingAndKeepsItsCode) {
  machine.WriteFile("C:\\job\\sub.cmd", "exit 7\r\n");
  EXPECT_EQ(RunFile("call C:\\job\\sub.cmd\r\necho never\r\n"), "");
  EXPECT_EQ(m_exitCode, 7);
}

TEST_F(CommandEnvironmentTest, MakesDirectoriesWithTheirParents) {
  RunFile(
      "mkdir C:\\a\\b\\~c.tmp\r\n@mkdir C:\\a 2> C:\\job\\err.txt\r\nmd \"C:\\with blank\"\r\n");
  EXPECT_TRUE(machine.FileExists("C:\\a\\b\\~c.tmp"));
  EXPECT_TRUE(machine.FileExists("C:\\with blank"));
  EXPECT_EQ(machine.ReadFile("C:\\job\\err.txt"),
            "A subdirectory or file C:\\a already exists.\r\n");
}

TEST_F(CommandEnvironmentTest, VelqCommandsShareOneConnection) {
  const std::string console = RunFile(
      "velq create database shop > nul.txt\r\n"
      "velq connect to shop > nul.txt\r\n"
      "velq \"select 40 + 2 as answer\" > C:\\job\\answer.txt\r\n"
      "velqstop\r\nvelqstart\r\n");
  EXPECT_TRUE(Contains(machine.ReadFile("C:\\job\\answer.txt"), "ANSWER\r\n------\r\n    42\r\n"));
  EXPECT_EQ(console,
            "VELQ1064I  VELQSTOP processing was successful.\n"
            "VELQ1063I  VELQSTART processing was successful.\n");
}

TEST_F(CommandEnvironmentTest, AHangingScriptStopsEverythingAfterIt) {
  SetKnob("HangScript", "\"SUB.cmd\"");
  machine.WriteFile("C:\\job\\sub.cmd", "mkdir C:\\inside\r\n");
  RunFile("call C:\\job\\sub.cmd\r\nmkdir C:\\marker\r\n");
  EXPECT_FALSE(machine.FileExists("C:\\inside"));
  EXPECT_FALSE(machine.FileExists("C:\\marker"));
  EXPECT_EQ(m_exitCode, 1);
}

TEST_F(CommandEnvironmentTest, EndlessCallsStopAtTheNestingLimit) {
  machine.WriteFile("C:\\job\\self.cmd", "call C:\\job\\self.cmd\r\n");
  const std::string console = RunFile("call C:\\job\\self.cmd\r\necho survived\r\n");
  EXPECT_TRUE(Contains(console, "Batch nesting is too deep.\n"));
  EXPECT_TRUE(Contains(console, "survived\n"));
}

}  // namespace
}  // namespace velqsim
