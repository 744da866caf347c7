#include "orvane/platform/FileUtils.h"

#include <gtest/gtest.h>

#include "orvane/os/Files.h"
#include "orvane/testing/Emulation.h"
#include "orvane/testing/TempMachine.h"

namespace {

using orvane::DefaultBackupName;

TEST(BackupNameTest, OldGoesBeforeTheLastDotOfTheFileName) {
  EXPECT_EQ(DefaultBackupName("C:\\x\\tessaly.ini"), "C:\\x\\tessaly.old.ini");
  EXPECT_EQ(DefaultBackupName("C:\\x\\noext"), "C:\\x\\noext.old");
  // A dot in a directory name is not the file's.
  EXPECT_EQ(DefaultBackupName("C:\\v1.2\\srvrctrl"), "C:\\v1.2\\srvrctrl.old");
  EXPECT_EQ(DefaultBackupName("C:\\v1.2\\srvrctrl.ini"), "C:\\v1.2\\srvrctrl.old.ini");
  EXPECT_EQ(DefaultBackupName("D:/a.b/c.d.e"), "D:/a.b/c.d.old.e");
}

TEST(DrivePathTest, NeedsLetterColonBackslash) {
  EXPECT_EQ(orvane::IsDrivePath("C:\\x"), 1);
  EXPECT_EQ(orvane::IsDrivePath("z:\\"), 1);
  EXPECT_EQ(orvane::IsDrivePath("C:x"), 0);
  EXPECT_EQ(orvane::IsDrivePath("\\\\server\\share"), 0);
  EXPECT_EQ(orvane::IsDrivePath("x:/y"), 0);
  EXPECT_EQ(orvane::IsDrivePath("1:\\y"), 0);
  EXPECT_EQ(orvane::IsDrivePath(""), 0);
}

class FileUtilsTest : public orvane::test::MachineTest {};

TEST_F(FileUtilsTest, BackupReplacesTheOlderGeneration) {
  machine.WriteFile("C:\\x\\tessaly.ini", "new");
  machine.WriteFile("C:\\x\\tessaly.old.ini", "older");
  EXPECT_EQ(KelCreateBackup("C:\\x\\tessaly.ini", nullptr), 1);
  EXPECT_FALSE(orvane::os::PathExists("C:\\x\\tessaly.ini"));
  EXPECT_EQ(machine.ReadFile("C:\\x\\tessaly.old.ini"), "new");

  machine.WriteFile("C:\\x.d\\plain", "p");
  EXPECT_EQ(KelCreateBackup("C:\\x.d\\plain", nullptr), 1);
  EXPECT_EQ(machine.ReadFile("C:\\x.d\\plain.old"), "p");

  machine.WriteFile("C:\\x\\a.txt", "a");
  EXPECT_EQ(KelCreateBackup("C:\\x\\a.txt", "C:\\x\\keep.bak"), 1);
  EXPECT_EQ(machine.ReadFile("C:\\x\\keep.bak"), "a");
}

TEST_F(FileUtilsTest, BackupNamedAsTheFileItselfKeepsTheFile) {
  machine.WriteFile("C:\\x\\srvrctrl.ini", "only copy");
  const char* sameFile[] = {"C:\\x\\srvrctrl.ini", "C:\\X\\SRVRCTRL.INI", "C:\\x\\.\\srvrctrl.ini",
                            "C:\\x\\y\\..\\srvrctrl.ini", "C:/x/srvrctrl.ini", "c:\\x\\\\srvrctrl.ini"};
  for (const char* backup : sameFile) {
    EXPECT_EQ(KelCreateBackup("C:\\x\\srvrctrl.ini", backup), 0) << backup;
    EXPECT_EQ(machine.ReadFile("C:\\x\\srvrctrl.ini"), "only copy") << backup;
  }
}

TEST_F(FileUtilsTest, FailedRenameKeepsThePreviousBackup) {
  if (orvane::test::RunningUnderWine()) {
    GTEST_SKIP() << "Wine renames a folder over a file, which Windows refuses";
  }
  // A folder cannot take a file's backup name: the older backup stays.
  machine.WriteFile("C:\\x\\conf.d\\inside", "i");
  machine.WriteFile("C:\\x\\conf.old.d", "previous backup");
  EXPECT_EQ(KelCreateBackup("C:\\x\\conf.d", nullptr), 0);
  EXPECT_EQ(machine.ReadFile("C:\\x\\conf.old.d"), "previous backup");
  EXPECT_EQ(machine.ReadFile("C:\\x\\conf.d\\inside"), "i");
}

TEST_F(FileUtilsTest, BackupOfMissingFileChangesNothing) {
  machine.WriteFile("C:\\x\\tessaly.old.ini", "older");
  EXPECT_EQ(KelCreateBackup("C:\\x\\tessaly.ini", nullptr), 0);
  EXPECT_EQ(machine.ReadFile("C:\\x\\tessaly.old.ini"), "older");
  EXPECT_EQ(KelCreateBackup(nullptr, nullptr), 0);
}

TEST_F(FileUtilsTest, CopyOverReplacesTarget) {
  machine.WriteFile("C:\\s", "source");
  machine.WriteFile("C:\\t", "target");
  EXPECT_NE(orvane::CopyFileOver("C:\\s", "C:\\t"), 0);
  EXPECT_EQ(machine.ReadFile("C:\\t"), "source");
  EXPECT_EQ(orvane::CopyFileOver("C:\\missing", "C:\\t"), 0);
}

TEST_F(FileUtilsTest, MakeDirectoryMakesOneLevel) {
  EXPECT_NE(orvane::MakeDirectory("C:\\one", 0755, "bin"), 0);
  EXPECT_TRUE(orvane::os::DirectoryExists("C:\\one"));
  EXPECT_EQ(orvane::MakeDirectory("C:\\two\\three"), 0);
  EXPECT_FALSE(orvane::os::PathExists("C:\\two"));
}

TEST_F(FileUtilsTest, DeleteDirectoryFilesKeepsSubdirectories) {
  machine.WriteFile("C:\\d\\a.txt", "a");
  machine.WriteFile("C:\\d\\b", "b");
  machine.WriteFile("C:\\d\\sub\\c", "c");
  orvane::DeleteDirectoryFiles("C:\\d");
  EXPECT_FALSE(orvane::os::PathExists("C:\\d\\a.txt"));
  EXPECT_FALSE(orvane::os::PathExists("C:\\d\\b"));
  EXPECT_EQ(machine.ReadFile("C:\\d\\sub\\c"), "c");
  orvane::DeleteDirectoryFiles("C:\\nowhere");
}

TEST_F(FileUtilsTest, ShortPathKeepsPathWithoutShortForm) {
  KelString missing("C:\\no such\\file");
  EXPECT_EQ(orvane::ToShortPath(missing), 1);
  EXPECT_STREQ(missing, "C:\\no such\\file");
}

}  // namespace
