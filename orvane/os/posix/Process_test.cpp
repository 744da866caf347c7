// Programs started on the emulated machine: how they are found, where and
// with what they run.
#include "orvane/os/Process.h"

#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "orvane/os/Files.h"
#include "orvane/os/posix/Machine.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

namespace fs = std::filesystem;

// Records its working directory, its arguments and its machine, one a line,
// into record.txt beside itself (renamed into place when complete).
constexpr char kRecorder[] =
    "#!/bin/sh\n"
    "out=\"$(dirname \"$0\")/record.txt\"\n"
    "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; printf '%s\\n' \"$ORVANE_MACHINE\"; }"
    " > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n";

// Copies its standard input to stdin.txt beside itself, notes the
// CONTENT_LENGTH it was given and ends with exit code 7.
constexpr char kSink[] =
    "#!/bin/sh\n"
    "dir=\"$(dirname \"$0\")\"\n"
    "printf '%s' \"$CONTENT_LENGTH\" > \"$dir/length.txt\"\n"
    "cat > \"$dir/stdin.txt\"\n"
    "exit 7\n";

class ProcessTest : public orvane::test::MachineTest {
 protected:
  // Writes a program file on the machine's drives; returns its host path.
  std::string WriteProgram(const std::string& windowsPath, const std::string& content,
                           fs::perms permissions = fs::perms::owner_all) {
    machine.WriteFile(windowsPath, content);
    std::string hostPath = machine.HostPath(windowsPath);
    fs::permissions(hostPath, permissions);
    return hostPath;
  }

  // The lines of a file that a started program writes, waiting for it a few
  // seconds at most: the program runs on its own.
  static std::vector<std::string> AwaitLines(const fs::path& hostPath) {
    for (int attempt = 0; attempt < 500 && !fs::exists(hostPath); ++attempt) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream file(hostPath);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }
};

TEST_F(ProcessTest, StartsTheProgramInTheMappedDirectoryWithItsArgumentsUnchanged) {
  std::string script = WriteProgram("C:\\Tools\\record.sh", kRecorder);
  machine.WriteFile("D:\\Work Dir\\placeholder", "");
  std::string workDirectory = machine.HostPath("D:\\Work Dir");

  ASSERT_TRUE(StartProcess("c:\\tools\\RECORD.SH first \"two words\" C:\\dir\\ \"a\\\"b\"",
                           "d:\\work dir"));
  std::vector<std::string> lines = AwaitLines(fs::path(script).parent_path() / "record.txt");
  std::vector<std::string> expected = {fs::canonical(workDirectory).string(), "first",
                                       "two words", "C:\\dir\\", "a\"b",
                                       posix::MachineRoot()};
  EXPECT_EQ(lines, expected);
  // The program's parent has ended and been reaped: nothing is left to wait for.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(ProcessTest, FindsABareNameInTheSystemDirectoriesWithTheProgramEndings) {
  std::string inSystem = WriteProgram("C:\\WINNT\\system32\\velqcmd.cmd", kRecorder);
  ASSERT_TRUE(StartProcess("velqcmd /c /w", ""));
  std::vector<std::string> lines = AwaitLines(fs::path(inSystem).parent_path() / "record.txt");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "/c");

  std::string inWindows = WriteProgram("C:\\WINNT\\java.exe", kRecorder);
  ASSERT_TRUE(StartProcess("  java.exe -jar x.jar", ""));
  EXPECT_EQ(AwaitLines(fs::path(inWindows).parent_path() / "record.txt").size(), 4u);
}

TEST_F(ProcessTest, RefusesWhatItCannotRun) {
  WriteProgram("C:\\WINNT\\system32\\setup.bat", "@echo off\r\ncd \\\r\n");
  EXPECT_EQ(StartProcess("setup", "").code(), 193u) << "not a valid program";
  WriteProgram("C:\\Tools\\locked.sh", kRecorder, fs::perms::owner_read);
  EXPECT_EQ(StartProcess("C:\\Tools\\locked.sh", "").code(), kAccessDenied);
  EXPECT_EQ(StartProcess("nowhere", "").code(), kFileNotFound);
  EXPECT_EQ(StartProcess("C:\\Tools\\nowhere.exe", "").code(), kFileNotFound);
  EXPECT_EQ(StartProcess("", "").code(), kFileNotFound);
  WriteProgram("C:\\Tools\\record.sh", kRecorder);
  EXPECT_EQ(StartProcess("C:\\Tools\\record.sh", "C:\\missing").code(), kDirectoryInvalid);
  EXPECT_EQ(LastError(), kDirectoryInvalid);
}

TEST_F(ProcessTest, ChildPipeDeliversStandardInputEnvironmentAndExitCode) {
  WriteProgram("C:\\Admin\\sink.sh", kSink);
  ASSERT_TRUE(SetEnvironmentVariable("CONTENT_LENGTH", "9"));
  Expected<ChildPipe> child = ChildPipe::Open("C:\\Admin\\sink.sh");
  ASSERT_TRUE(child) << child.status().code();
  std::fprintf(child->stream(), "%s%d", "a=1&b=2", -1);
  EXPECT_EQ(child->Close(), 7);
  EXPECT_EQ(child->Close(), -1) << "closed once only";
  EXPECT_EQ(machine.ReadFile("C:\\Admin\\stdin.txt"), "a=1&b=2-1");
  EXPECT_EQ(machine.ReadFile("C:\\Admin\\length.txt"), "9");
  unsetenv("CONTENT_LENGTH");
}

TEST_F(ProcessTest, ChildPipeToAChildThatEndsEarlyReportsAWriteErrorNotASignal) {
  WriteProgram("C:\\Admin\\quits.sh", "#!/bin/sh\nexit 3\n");
  Expected<ChildPipe> child = ChildPipe::Open("C:\\Admin\\quits.sh");
  ASSERT_TRUE(child);
  std::string block(1 << 20, 'x');
  size_t written = std::fwrite(block.data(), 1, block.size(), child->stream());
  EXPECT_LT(written, block.size());
  EXPECT_EQ(child->Close(), 3);
}

TEST_F(ProcessTest, ChildPipeFailsForAMissingProgram) {
  Expected<ChildPipe> child = ChildPipe::Open("C:\\Admin\\absent.exe");
  EXPECT_EQ(child.status().code(), kFileNotFound);
}

// A poll on the virtual clock for what a started program makes: the program
// takes a second and a half of real time, a virtual sleep none at all, so
// without real time for the program the ten minutes would pass first.
TEST_F(ProcessTest, VirtualSleepsGiveAStartedProgramRealTimeWhileItRuns) {
  machine.UseVirtualClock();
  WriteProgram("C:\\Tools\\slow.sh",
               "#!/bin/sh\nsleep 1.5\nmkdir \"$(dirname \"$0\")/done\"\n");
  ASSERT_TRUE(StartProcess("C:\\Tools\\slow.sh", ""));
  int polls = 0;
  while (polls < 600 && !DirectoryExists("C:\\Tools\\done")) {
    SleepMilliseconds(1000);
    ++polls;
  }
  EXPECT_TRUE(DirectoryExists("C:\\Tools\\done"));
  EXPECT_GE(polls, 1);
  EXPECT_LT(polls, 600);
}

}  // namespace
}  // namespace orvane::os
