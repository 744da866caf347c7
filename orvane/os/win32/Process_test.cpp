// Processes and the environment on Windows. Children are the command
// interpreter; a test waits for a child's work through a change notification
// of its folder, not by sleeping.
#include <gtest/gtest.h>

#include <cstdlib>

#include "orvane/os/Files.h"
#include "orvane/os/Process.h"
#include "orvane/os/win32/WindowsApi.h"
#include "orvane/testing/win32/TempFolder.h"

namespace orvane::os {
namespace {

using testing::ReadBytes;
using testing::TempFolder;

// Waits, at most ten seconds, until a path exists in a folder.
bool WaitForPath(const std::string& folder, const std::string& path) {
  HANDLE change = ::FindFirstChangeNotificationA(
      folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
  if (change == INVALID_HANDLE_VALUE) return false;
  bool found = PathExists(path);
  for (int wakeUp = 0; !found && wakeUp < 20; ++wakeUp) {
    if (::WaitForSingleObject(change, 10000) != WAIT_OBJECT_0) break;
    found = PathExists(path);
    ::FindNextChangeNotification(change);
  }
  ::FindCloseChangeNotification(change);
  return found;
}

TEST(Win32ProcessTest, StartsAProgramInAWorkingDirectoryWithoutWaiting) {
  TempFolder folder;
  ASSERT_TRUE(StartProcess("cmd /c mkdir started", folder.path()).ok());
  EXPECT_TRUE(WaitForPath(folder.path(), folder / "started"));
}

TEST(Win32ProcessTest, AMissingProgramDoesNotStart) {
  TempFolder folder;
  EXPECT_EQ(StartProcess(folder / "missing.exe", "").code(), kFileNotFound);
}

TEST(Win32ProcessTest, ChildPipesFeedTheChildsInput) {
  TempFolder folder;
  Expected<ChildPipe> child = ChildPipe::Open("find \"CN=\" > \"" + (folder / "out.txt") + "\"");
  ASSERT_TRUE(child.ok()) << child.status().code();
  std::fputs("O=Test\nCN=host.example\nOU=Shop\n", child->stream());
  EXPECT_EQ(child->Close(), 0);
  EXPECT_EQ(ReadBytes(folder / "out.txt"), "CN=host.example\r\n");
  EXPECT_EQ(child->Close(), -1);  // closed already
}

TEST(Win32ProcessTest, ChildPipesReturnTheExitCode) {
  Expected<ChildPipe> child = ChildPipe::Open("exit 3");
  ASSERT_TRUE(child.ok());
  EXPECT_EQ(child->Close(), 3);
}

TEST(Win32ProcessTest, EnvironmentChangesReachTheRuntimeAndChildren) {
  TempFolder folder;
  ASSERT_TRUE(SetEnvironmentVariable("ORVANE_TEST_VARIABLE", "GO_HOME=C:\\WWW").ok());
  const char* seen = std::getenv("ORVANE_TEST_VARIABLE");
  ASSERT_NE(seen, nullptr);
  EXPECT_STREQ(seen, "GO_HOME=C:\\WWW");
  char value[64];
  EXPECT_GT(::GetEnvironmentVariableA("ORVANE_TEST_VARIABLE", value, sizeof value), 0u);
  EXPECT_STREQ(value, "GO_HOME=C:\\WWW");

  Expected<ChildPipe> child =
      ChildPipe::Open("echo %ORVANE_TEST_VARIABLE%> \"" + (folder / "env.txt") + "\"");
  ASSERT_TRUE(child.ok());
  EXPECT_EQ(child->Close(), 0);
  EXPECT_EQ(ReadBytes(folder / "env.txt"), "GO_HOME=C:\\WWW\r\n");

  ASSERT_TRUE(SetEnvironmentVariable("ORVANE_TEST_VARIABLE", "").ok());
  EXPECT_EQ(::GetEnvironmentVariableA("ORVANE_TEST_VARIABLE", value, sizeof value), 0u);
  EXPECT_EQ(::GetLastError(), 0u);  // set, and empty
}

}  // namespace
}  // namespace orvane::os
