// The Win32 file services, in a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "orvane/os/Files.h"
#include "orvane/testing/win32/TempFolder.h"

namespace orvane::os {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(Win32FilesTest, TextStreamsWriteAndReadCrLf) {
  TempFolder folder;
  FILE* file = OpenFile(folder / "a.ini", "w");
  ASSERT_NE(file, nullptr);
  std::fputs("one\ntwo\n", file);
  std::fclose(file);
  EXPECT_EQ(ReadBytes(folder / "a.ini"), "one\r\ntwo\r\n");

  file = OpenFile(folder / "a.ini", "r");
  ASSERT_NE(file, nullptr);
  char line[16];
  ASSERT_NE(std::fgets(line, sizeof line, file), nullptr);
  std::fclose(file);
  EXPECT_STREQ(line, "one\n");

  file = OpenFile(folder / "b.bin", "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("x\n", file);
  std::fclose(file);
  EXPECT_EQ(ReadBytes(folder / "b.bin"), "x\n");
}

TEST(Win32FilesTest, OpeningAMissingFileTellsWhy) {
  TempFolder folder;
  EXPECT_EQ(OpenFile(folder / "missing.txt", "r"), nullptr);
  EXPECT_EQ(LastError(), kFileNotFound);
}

TEST(Win32FilesTest, DirectoriesAreMadeOnceAndRemovedWhenEmpty) {
  TempFolder folder;
  std::string dir = folder / "Logs";
  EXPECT_TRUE(CreateDirectory(dir).ok());
  EXPECT_TRUE(DirectoryExists(dir));
  EXPECT_TRUE(DirectoryExists(folder / "LOGS"));  // names ignore case
  EXPECT_EQ(CreateDirectory(dir).code(), kAlreadyExists);
  EXPECT_EQ(CreateDirectory(folder / "no\\such\\parent").code(), kPathNotFound);

  ASSERT_TRUE(WriteBytes(dir + "\\x.log", "x"));
  EXPECT_TRUE(PathExists(dir + "\\x.log"));
  EXPECT_FALSE(DirectoryExists(dir + "\\x.log"));
  EXPECT_EQ(RemoveDirectory(dir).code(), kDirectoryNotEmpty);
  EXPECT_TRUE(DeleteFile(dir + "\\x.log").ok());
  EXPECT_TRUE(RemoveDirectory(dir).ok());
  EXPECT_FALSE(PathExists(dir));
}

TEST(Win32FilesTest, CopyAndMoveReplaceTargets) {
  TempFolder folder;
  ASSERT_TRUE(WriteBytes(folder / "new.cnf", "new"));
  ASSERT_TRUE(WriteBytes(folder / "old.cnf", "old"));

  EXPECT_EQ(CopyFile(folder / "new.cnf", folder / "old.cnf", true).code(), kFileExists);
  EXPECT_EQ(ReadBytes(folder / "old.cnf"), "old");
  EXPECT_TRUE(CopyFile(folder / "new.cnf", folder / "old.cnf").ok());
  EXPECT_EQ(ReadBytes(folder / "old.cnf"), "new");

  ASSERT_TRUE(WriteBytes(folder / "httpd.cnf", "current"));
  EXPECT_TRUE(MoveFile(folder / "httpd.cnf", folder / "old.cnf").ok());
  EXPECT_EQ(ReadBytes(folder / "old.cnf"), "current");
  EXPECT_FALSE(PathExists(folder / "httpd.cnf"));
  EXPECT_EQ(MoveFile(folder / "httpd.cnf", folder / "old.cnf").code(), kFileNotFound);
}

TEST(Win32FilesTest, DeletingAMissingFileSetsTheLastError) {
  TempFolder folder;
  SetLastError(kSuccess);
  EXPECT_EQ(DeleteFile(folder / "gone.txt").code(), kFileNotFound);
  EXPECT_EQ(LastError(), kFileNotFound);
}

std::vector<std::string> Names(const std::vector<DirectoryEntry>& entries) {
  std::vector<std::string> names;
  for (const DirectoryEntry& entry : entries) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Win32FilesTest, ListsADirectoryWithoutDotEntries) {
  TempFolder folder;
  ASSERT_TRUE(WriteBytes(folder / "Tessaly.INI", ""));
  ASSERT_TRUE(WriteBytes(folder / "srvrctrl.ini", ""));
  ASSERT_TRUE(WriteBytes(folder / "readme.txt", ""));
  ASSERT_TRUE(CreateDirectory(folder / "bin").ok());

  Expected<std::vector<DirectoryEntry>> all = ListDirectory(folder.path());
  ASSERT_TRUE(all.ok());
  EXPECT_EQ(Names(*all),
            (std::vector<std::string>{"Tessaly.INI", "bin", "readme.txt", "srvrctrl.ini"}));
  for (const DirectoryEntry& entry : *all) EXPECT_EQ(entry.isDirectory, entry.name == "bin");

  Expected<std::vector<DirectoryEntry>> ini = ListDirectory(folder.path() + "\\", "*.ini");
  ASSERT_TRUE(ini.ok());
  EXPECT_EQ(Names(*ini), (std::vector<std::string>{"Tessaly.INI", "srvrctrl.ini"}));
}

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

TEST(Win32FilesTest, ModeAndOwnerHooksDoNothing) {
  TempFolder folder;
  ASSERT_TRUE(WriteBytes(folder / "x.ini", "x"));
  EXPECT_TRUE(SetFileMode(folder / "x.ini", 0444).ok());
  EXPECT_TRUE(SetFileOwner(folder / "x.ini", "tessaly").ok());
  EXPECT_TRUE(WriteBytes(folder / "x.ini", "still writable"));
}

}  // namespace
}  // namespace orvane::os
