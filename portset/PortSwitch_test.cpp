#include "portset/PortSwitch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "orvane/testing/ProgramPipe.h"
#include "orvane/testing/TempMachine.h"

namespace orvane {
namespace {

constexpr char kConfiguration[] =
    "# Quenta Go Webserver configuration\r\n"
    "ServerRoot C:\\WWW\\Bin\r\n"
    "port     80\r\n"
    "Port     80\r\n"
    "\r\n"
    "# end\r\n";
constexpr char kSwitchedTo8000[] =
    "# Quenta Go Webserver configuration\r\n"
    "ServerRoot C:\\WWW\\Bin\r\n"
    "Port     8000\r\n"
    "Port     80\r\n"
    "\r\n"
    "# end\r\n";
constexpr char kSwitchedBack[] =
    "# Quenta Go Webserver configuration\r\n"
    "ServerRoot C:\\WWW\\Bin\r\n"
    "Port     80\r\n"
    "Port     80\r\n"
    "\r\n"
    "# end\r\n";

class PortSwitchTest : public test::MachineTest {
 protected:
  std::string Configuration() { return machine.ReadFile(kPortConfigurationFile); }

  // Dates the file back, so that a later look can see whether it was
  // written or replaced (a replacement is new).
  std::filesystem::file_time_type Backdate() {
    const std::filesystem::path hostPath = machine.HostPath(kPortConfigurationFile);
    const auto longAgo = std::filesystem::last_write_time(hostPath) - std::chrono::hours(24 * 400);
    std::filesystem::last_write_time(hostPath, longAgo);
    return longAgo;
  }

  void ExpectNotRewritten(std::filesystem::file_time_type before) {
    EXPECT_EQ(std::filesystem::last_write_time(machine.HostPath(kPortConfigurationFile)), before);
  }

  // Runs a tool and takes what it printed on standard error.
  std::string SwitchWithErrors(const PortSwitch& portSwitch, int expectedStatus) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(SwitchPort(portSwitch), expectedStatus);
    return testing::internal::GetCapturedStderr();
  }
};

TEST_F(PortSwitchTest, SwitchesTheFirstDirectiveAndBack) {
  machine.WriteFile(kPortConfigurationFile, kConfiguration);
  // The first match is written in lower case; the replacement goes in as
  // listed, and everything else, CR LF included, comes back byte for byte.
  EXPECT_EQ(SwitchWithErrors(kPortSwitchTo8000, 0), "");
  EXPECT_EQ(Configuration(), kSwitchedTo8000);

  EXPECT_EQ(SwitchWithErrors(kPortSwitchTo80, 0), "");
  EXPECT_EQ(Configuration(), kSwitchedBack);
}

TEST_F(PortSwitchTest, LeavesTheFileUnwrittenWhenNothingMatches) {
  // Already on 8000: 80 is no whole word there, and four spaces are no match.
  machine.WriteFile(kPortConfigurationFile, "Port     8000\r\nPort    80\r\n");
  const auto before = Backdate();
  EXPECT_EQ(SwitchWithErrors(kPortSwitchTo8000, 0), "");
  ExpectNotRewritten(before);
  EXPECT_EQ(Configuration(), "Port     8000\r\nPort    80\r\n");
}

TEST_F(PortSwitchTest, SecondRunChangesNothing) {
  machine.WriteFile(kPortConfigurationFile, "Port     80\n");
  EXPECT_EQ(SwitchPort(kPortSwitchTo8000), 0);
  EXPECT_EQ(Configuration(), "Port     8000\n");
  const auto before = Backdate();
  EXPECT_EQ(SwitchPort(kPortSwitchTo8000), 0);
  ExpectNotRewritten(before);
  EXPECT_EQ(Configuration(), "Port     8000\n");
}

TEST_F(PortSwitchTest, SwitchesADirectiveFarIntoALargeFile) {
  std::string comments;
  while (comments.size() < 70000) comments += "# Port 80 is where browsers look first\r\n";
  machine.WriteFile(kPortConfigurationFile, comments + "Port     8000\r\nMaxActive 100\r\n");
  EXPECT_EQ(SwitchPort(kPortSwitchTo80), 0);
  EXPECT_EQ(Configuration(), comments + "Port     80\r\nMaxActive 100\r\n");
}

TEST_F(PortSwitchTest, ReportsAFileThatCannotBeRead) {
  const std::string missing = SwitchWithErrors(kPortSwitchTo8000, 1);
  EXPECT_EQ(missing.find("portset8000: cannot read C:\\winnt\\httpd.cnf"), 0u) << missing;
  EXPECT_EQ(missing.find('\n'), missing.size() - 1) << missing;
  EXPECT_FALSE(machine.FileExists(kPortConfigurationFile));

  // A folder in the file's place cannot be read either, and stays as it is.
  machine.WriteFile(std::string(kPortConfigurationFile) + "\\inside.txt", "x");
  const std::string unreadable = SwitchWithErrors(kPortSwitchTo80, 1);
  EXPECT_EQ(unreadable.find("portset80: cannot read C:\\winnt\\httpd.cnf"), 0u) << unreadable;
  EXPECT_EQ(unreadable.find('\n'), unreadable.size() - 1) << unreadable;
  EXPECT_EQ(machine.ReadFile(std::string(kPortConfigurationFile) + "\\inside.txt"), "x");
}

#if !defined(_WIN32)
TEST_F(PortSwitchTest, TheEditedFileKeepsItsModeAndALinkIsReplacedNotFollowed) {
  machine.WriteFile(kPortConfigurationFile, kConfiguration);
  const std::string hostPath = machine.HostPath(kPortConfigurationFile);
  ASSERT_EQ(chmod(hostPath.c_str(), 0640), 0);
  EXPECT_EQ(SwitchPort(kPortSwitchTo8000), 0);
  struct stat info {};
  ASSERT_EQ(stat(hostPath.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // A link at the file's name is replaced by the edited file; what it led
  // to stays as it was.
  machine.WriteFile("D:\\QGW\\conf\\httpd.cnf", kConfiguration);
  ASSERT_EQ(std::remove(hostPath.c_str()), 0);
  ASSERT_EQ(symlink(machine.HostPath("D:\\QGW\\conf\\httpd.cnf").c_str(), hostPath.c_str()), 0);
  EXPECT_EQ(SwitchPort(kPortSwitchTo8000), 0);
  EXPECT_EQ(machine.ReadFile("D:\\QGW\\conf\\httpd.cnf"), kConfiguration);
  EXPECT_EQ(machine.ReadFile(kPortConfigurationFile), kSwitchedTo8000);
  ASSERT_EQ(lstat(hostPath.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
}
#endif

// Runs a built tool on the machine; its exit status, or -1 when it printed
// anything.
int RunQuietly(const char* program) {
  FILE* output = test::OpenProgramPipe(test::ProgramCommand(program) + " 2>&1");
  if (output == nullptr) return -1;
  const bool printed = std::fgetc(output) != EOF;
  const int status = test::CloseProgramPipe(output);
  return printed ? -1 : status;
}

TEST_F(PortSwitchTest, ProgramsEditTheMachinesFileSilently) {
  machine.WriteFile(kPortConfigurationFile, kConfiguration);
  EXPECT_EQ(RunQuietly(PORTSET8000_PROGRAM), 0);
  EXPECT_EQ(Configuration(), kSwitchedTo8000);
  EXPECT_EQ(RunQuietly(PORTSET80_PROGRAM), 0);
  EXPECT_EQ(Configuration(), kSwitchedBack);
}

}  // namespace
}  // namespace orvane
