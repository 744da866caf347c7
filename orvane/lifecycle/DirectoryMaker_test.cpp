#include "orvane/lifecycle/DirectoryMaker.h"

#include <gtest/gtest.h>

#include "orvane/lifecycle/LifecycleTestMachine.h"

namespace {

using DirectoryMakerTest = orvane::test::LifecycleTest;

TEST_F(DirectoryMakerTest, MakesEveryMissingComponentWithItsMode) {
  ASSERT_EQ(orvane::MakeDirectoryPath("C:\\a\\b\\c", "tqadmin", 0750), 1);
  for (const char* path : {"C:\\a", "C:\\a\\b", "C:\\a\\b\\c"}) EXPECT_TRUE(HasMode(path, 0750));

  // An existing path only gets the mode; a doubled or trailing separator
  // names nothing new.
  ASSERT_EQ(orvane::MakeDirectoryPath("C:\\A\\b", "tqadmin", 0700), 1);
  EXPECT_TRUE(HasMode("C:\\a\\b", 0700));
  EXPECT_TRUE(HasMode("C:\\a", 0750));
  ASSERT_EQ(orvane::MakeDirectoryPath("C:\\a\\\\d\\", "tqadmin", 0755), 1);
  EXPECT_TRUE(HasMode("C:\\a\\d", 0755));
}

TEST_F(DirectoryMakerTest, RefusesPathsWithoutDriveAndFilesInTheWay) {
  machine.WriteFile("C:\\file", "x");
  struct Case {
    const char* path;
    int result;
  };
  const Case cases[] = {
      {"relative\\dir", 0},   {"C:dir", 0},    {"\\\\server\\share\\dir", 0},
      {"C:\\file\\below", 0}, {"C:\\file", 0}, {"C:\\", 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(orvane::MakeDirectoryPath(c.path, "x", 0755), c.result) << c.path;
  EXPECT_FALSE(machine.FileExists("C:\\relative"));
  EXPECT_EQ(orvane::MakeDirectoryPath(nullptr, "x", 0755), 0);
}

}  // namespace
