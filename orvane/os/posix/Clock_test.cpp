#include "orvane/os/posix/Clock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>

#include "orvane/os/Process.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os::posix {
namespace {

using ClockTest = test::MachineTest;

TEST_F(ClockTest, WithoutTheVirtualClockTheMachineKeepsRealTime) {
  EXPECT_FALSE(IsVirtualClock());
  std::uint64_t before = static_cast<std::uint64_t>(std::time(nullptr)) * 1000;
  std::uint64_t reading = MachineClockMilliseconds();
  EXPECT_GE(reading + 1000, before);
  EXPECT_LE(reading, before + 2000);
  EXPECT_NEAR(static_cast<double>(MachineClockSeconds()), static_cast<double>(reading / 1000), 1.0);
}

TEST_F(ClockTest, SleepingAdvancesTheVirtualClockWithoutWaiting) {
  machine.UseVirtualClock();
  machine.WriteRegistry("[HKEY_LOCAL_MACHINE\\EMULATION]\r\n\"ClockSeconds\"=dword:00000064\r\n");
  EXPECT_TRUE(IsVirtualClock());
  EXPECT_EQ(MachineClockMilliseconds(), 100000u);

  std::time_t started = std::time(nullptr);
  SleepMilliseconds(600000);  // ten minutes
  EXPECT_LE(std::time(nullptr) - started, 5) << "a virtual sleep does not wait";
  EXPECT_EQ(MachineClockSeconds(), 700ul);

  for (int i = 0; i < 3; ++i) SleepMilliseconds(400);
  EXPECT_EQ(MachineClockMilliseconds(), 701200u) << "parts of a second add up";
  EXPECT_EQ(MachineClockSeconds(), 701ul);
}

TEST_F(ClockTest, SleepersInTwoProcessesBothAdvanceTheVirtualClock) {
  machine.UseVirtualClock();
  std::vector<pid_t> children;
  for (int sleeper = 0; sleeper < 2; ++sleeper) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0; i < 50; ++i) SleepMilliseconds(250);
      _exit(0);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(MachineClockMilliseconds(), 25000u);
}

}  // namespace
}  // namespace orvane::os::posix
