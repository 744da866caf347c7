// The Win32 file services, in a temporary folder.
#include <gtest/gtest.h>

#include "orvane/os/Files.h"
#include "orvane/testing/win32/TempFolder.h"

namespace orvane::os {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(Win32FilesTest, ListingTellsAnEmptyMatchFromAMissingDirectory) {
  TempFolder folder;
  ASSERT_TRUE(CreateDirectory(folder / "empty").ok());
  EXPECT_EQ(ListDirectory(folder / "empty").status().code(), kFileNotFound);
  EXPECT_EQ(ListDirectory(folder.path(), "*.dat").status().code(), kFileNotFound);
  EXPECT_EQ(ListDirectory(folder / "missing").status().code(), kPathNotFound);
}

TEST(Win32FilesTest, ShortPathNamesNameTheSameFile) {
  TempFolder folder;
  ASSERT_TRUE(CreateDirectory(folder / "Program Files Long Name").ok());
  std::string file = folder / "Program Files Long Name\\configuration.data";
  ASSERT_TRUE(WriteBytes(file, "x"));
  Expected<std::string> shortPath = ShortPathName(file);
  ASSERT_TRUE(shortPath.ok());
  EXPECT_EQ(shortPath->find(' '), std::string::npos) << *shortPath;
  EXPECT_EQ(ReadBytes(*shortPath), "x");
  EXPECT_EQ(ShortPathName(folder / "missing.txt").status().code(), kFileNotFound);
}

TEST(Win32FilesTest, WindowsDirectoryHasNoTrailingBackslash) {
  std::string windows = WindowsDirectory();
  ASSERT_GE(windows.size(), 3u);
  EXPECT_NE(windows.back(), '\\');
  EXPECT_EQ(windows[1], ':');
  EXPECT_TRUE(DirectoryExists(windows + "\\system32"));
}

}  // namespace
}  // namespace orvane::os
