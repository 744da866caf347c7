#include "orvane/os/posix/Machine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "orvane/os/Files.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os::posix {
namespace {

using MachinePathTest = test::MachineTest;

std::string Mapped(const std::string& windowsPath) {
  Expected<std::string> hostPath = HostPath(windowsPath);
  EXPECT_TRUE(hostPath.ok()) << windowsPath;
  return hostPath.ok() ? *hostPath : std::string();
}

unsigned long MappingError(const std::string& windowsPath) {
  Expected<std::string> hostPath = HostPath(windowsPath);
  EXPECT_FALSE(hostPath.ok()) << windowsPath << " -> " << *hostPath;
  return hostPath.ok() ? kSuccess : hostPath.status().code();
}

// Restores the process's current directory when it goes.
class CurrentDirectoryScope {
 public:
  explicit CurrentDirectoryScope(const std::string& hostPath) {
    char* previous = getcwd(nullptr, 0);
    m_previous = previous;
    std::free(previous);
    EXPECT_EQ(chdir(hostPath.c_str()), 0) << hostPath;
  }
  ~CurrentDirectoryScope() { EXPECT_EQ(chdir(m_previous.c_str()), 0); }

 private:
  std::string m_previous;
};

TEST_F(MachinePathTest, DrivesAndSeparatorsMapBelowTheRoot) {
  const std::string root = MachineRoot();
  EXPECT_EQ(Mapped("C:\\WINNT\\system32"), root + "/drive_c/WINNT/system32");
  EXPECT_EQ(Mapped("d:/Data\\new dir/File.TXT"), root + "/drive_d/Data/new dir/File.TXT");
  EXPECT_EQ(Mapped("\\WINNT\\x"), root + "/drive_c/WINNT/x");
  EXPECT_EQ(Mapped("E:"), root + "/drive_e");
  EXPECT_EQ(Mapped("C:\\"), root + "/drive_c");
  EXPECT_EQ(Mapped("C:\\a\\\\b\\.\\c\\..\\d\\"), root + "/drive_c/a/b/d");
  EXPECT_EQ(Mapped("C:\\..\\..\\registry.reg"), root + "/drive_c/registry.reg")
      << "\"..\" never leaves the drive";
  EXPECT_EQ(Mapped("\\\\?\\C:\\WINNT"), root + "/drive_c/WINNT");
}

TEST_F(MachinePathTest, UncPathsAndForbiddenCharactersAreRefused) {
  EXPECT_EQ(MappingError("\\\\server\\share\\x"), kPathNotFound);
  EXPECT_EQ(MappingError(""), kPathNotFound);
  EXPECT_EQ(MappingError("C:\\a\\b:c"), kInvalidName);
  EXPECT_EQ(MappingError("C:\\what?.txt"), kInvalidName);
  EXPECT_EQ(MappingError("C:\\tab\there"), kInvalidName);
  EXPECT_EQ(LastError(), kInvalidName);
}

TEST_F(MachinePathTest, ExistingComponentsMatchIgnoringCaseAndMissingOnesKeepTheirSpelling) {
  machine.WriteFile("C:\\Program Files\\Tessaly\\Bin\\tq.exe", "x");
  const std::string drive = MachineRoot() + "/drive_c";
  EXPECT_EQ(Mapped("c:\\PROGRAM FILES\\tessaly\\BIN\\TQ.EXE"), drive + "/Program Files/Tessaly/Bin/tq.exe");
  EXPECT_EQ(Mapped("C:\\program files\\NEW\\Bin"), drive + "/Program Files/NEW/Bin")
      << "below a missing component nothing is matched";

  // Two host entries that differ only in case: the exact spelling wins, else
  // the first in byte order.
  ASSERT_EQ(mkdir((drive + "/Twin").c_str(), 0777), 0);
  ASSERT_EQ(mkdir((drive + "/TWIN").c_str(), 0777), 0);
  EXPECT_EQ(Mapped("C:\\Twin"), drive + "/Twin");
  EXPECT_EQ(Mapped("C:\\twin"), drive + "/TWIN");
}

// The lstat that the mapping hands back is the mapped entry's, whichever
// way it was found.
TEST_F(MachinePathTest, TheMappingGivesTheEntryItFound) {
  machine.WriteFile("C:\\Data\\Log.txt", "12345");
  const struct {
    const char* path;
    bool exists;
  } cases[] = {{"C:\\Data\\Log.txt", true}, {"c:\\DATA\\log.TXT", true}, {"C:\\Data", true},
               {"C:\\", true}, {"C:\\Data\\none.txt", false}, {"C:\\none\\Log.txt", false}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.path);
    std::optional<struct stat> entry;
    Expected<std::string> hostPath = HostPath(test.path, &entry);
    ASSERT_TRUE(hostPath.ok());
    ASSERT_EQ(entry.has_value(), test.exists);
    struct stat info;
    if (test.exists) {
      ASSERT_EQ(lstat(hostPath->c_str(), &info), 0);
      EXPECT_EQ(entry->st_ino, info.st_ino);
      EXPECT_EQ(entry->st_size, info.st_size);
    }
  }
}

// Each case maps a path, lets a second writer change the drive on the host,
// and maps it again: nothing of the first look-up may outlive the change.
struct ChangedBetweenLookUps {
  const char* name;
  std::vector<const char*> before;  // host entries below drive_c; a trailing "/" for a folder
  const char* path;
  std::string firstMapping;  // below drive_c
  std::function<void(const std::string& drive)> change;
  std::string secondMapping;
};

void MakeEntries(const std::string& drive, const std::vector<const char*>& entries) {
  for (const char* name : entries) {
    const std::string entry = name;
    const std::string host = drive + "/" + entry;
    if (entry.back() == '/') {
      ASSERT_EQ(mkdir(host.c_str(), 0777), 0) << host;
    } else {
      FILE* file = std::fopen(host.c_str(), "wb");
      ASSERT_NE(file, nullptr) << host;
      std::fclose(file);
    }
  }
}

TEST_F(MachinePathTest, ASecondWriterChangingTheFoldersIsSeenAtTheNextLookUp) {
  const std::vector<ChangedBetweenLookUps> cases = {
      {"exact spelling created beside a case twin", {"Data/", "Data/LOG.txt"},
       "C:\\data\\log.txt", "/Data/LOG.txt",
       [](const std::string& drive) { MakeEntries(drive, {"Data/log.txt"}); },
       "/Data/log.txt"},
      {"folder renamed to another case", {"Data/", "Data/f.txt"}, "C:\\Data\\f.txt",
       "/Data/f.txt",
       [](const std::string& drive) {
         ASSERT_EQ(std::rename((drive + "/Data").c_str(), (drive + "/DATA").c_str()), 0);
       },
       "/DATA/f.txt"},
      {"file removed", {"Data/", "Data/f.txt"}, "C:\\DATA\\F.TXT", "/Data/f.txt",
       [](const std::string& drive) { ASSERT_EQ(unlink((drive + "/Data/f.txt").c_str()), 0); },
       "/Data/F.TXT"},
      {"missing folder made in another case", {}, "C:\\new\\x.txt", "/new/x.txt",
       [](const std::string& drive) { MakeEntries(drive, {"NEW/", "NEW/X.txt"}); },
       "/NEW/X.txt"},
      {"a file where a folder was", {"Data/", "Data/f.txt"}, "C:\\data\\f.txt",
       "/Data/f.txt",
       [](const std::string& drive) {
         ASSERT_EQ(unlink((drive + "/Data/f.txt").c_str()), 0);
         ASSERT_EQ(rmdir((drive + "/Data").c_str()), 0);
         MakeEntries(drive, {"data"});
       },
       "/data/f.txt"},
      {"exact last name below a folder reached in another case",
       {"Data/", "Data/X.txt"}, "C:\\data\\x.txt", "/Data/X.txt",
       [](const std::string& drive) { MakeEntries(drive, {"Data/x.txt"}); }, "/Data/x.txt"},
  };
  for (const ChangedBetweenLookUps& test : cases) {
    SCOPED_TRACE(test.name);
    test::TempMachine own;  // a fresh drive for each case
    const std::string drive = MachineRoot() + "/drive_c";
    ASSERT_TRUE(mkdir(drive.c_str(), 0777) == 0 || errno == EEXIST);
    MakeEntries(drive, test.before);
    EXPECT_EQ(Mapped(test.path), drive + test.firstMapping);
    test.change(drive);
    EXPECT_EQ(Mapped(test.path), drive + test.secondMapping);
  }
}

TEST_F(MachinePathTest, RelativePathsStartFromTheMachinesCurrentDirectory) {
  machine.WriteFile("D:\\Work\\in.txt", "x");
  {
    CurrentDirectoryScope inside(machine.HostPath("D:\\Work"));
    EXPECT_EQ(CurrentDirectory(), "D:\\Work");
    EXPECT_EQ(Mapped("IN.TXT"), MachineRoot() + "/drive_d/Work/in.txt");
    EXPECT_EQ(Mapped("..\\other"), MachineRoot() + "/drive_d/other");
  }
  CurrentDirectoryScope outside("/");
  EXPECT_EQ(CurrentDirectory(), "C:\\");
  EXPECT_EQ(Mapped("x.txt"), MachineRoot() + "/drive_c/x.txt");
}

TEST_F(MachinePathTest, HostPathsOnTheDrivesHaveWindowsNames) {
  const std::string root = MachineRoot();
  EXPECT_EQ(WindowsPathOfHost(root + "/drive_d/x/y"), std::optional<std::string>("D:\\x\\y"));
  EXPECT_EQ(WindowsPathOfHost(root + "/drive_c"), std::optional<std::string>("C:\\"));
  EXPECT_EQ(WindowsPathOfHost(root + "/drive_c/"), std::optional<std::string>("C:\\"));
  EXPECT_EQ(WindowsPathOfHost(root + "/registry.reg"), std::nullopt);
  EXPECT_EQ(WindowsPathOfHost(root + "/drive_cd/x"), std::nullopt);
  EXPECT_EQ(WindowsPathOfHost("/etc/hosts"), std::nullopt);
}

TEST(MachineRootTest, TheRootIsReadFromTheEnvironmentEveryTime) {
  test::TempMachine first;
  std::string firstRoot = MachineRoot();
  {
    test::TempMachine second;
    EXPECT_NE(MachineRoot(), firstRoot);
    EXPECT_EQ(RegistryFilePath(), MachineRoot() + "/registry.reg");
  }
  EXPECT_EQ(MachineRoot(), firstRoot);

  setenv("ORVANE_MACHINE", (firstRoot + "///").c_str(), 1);
  EXPECT_EQ(MachineRoot(), firstRoot);
  setenv("ORVANE_MACHINE", "", 1);
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') {
    EXPECT_EQ(MachineRoot(), std::string(home) + "/.orvane/machine");
  }
  setenv("ORVANE_MACHINE", firstRoot.c_str(), 1);
}

TEST_F(MachinePathTest, TheWindowsDirectoryIsWinntAndModesReachTheHostFile) {
  EXPECT_EQ(WindowsDirectory(), "C:\\WINNT");
  EXPECT_TRUE(DirectoryExists(WindowsDirectory()));
  machine.WriteFile("C:\\WINNT\\tool.cmd", "#!/bin/sh\n");
  ASSERT_TRUE(SetFileMode("C:\\winnt\\TOOL.cmd", 0750).ok());
  struct stat info;
  ASSERT_EQ(stat(machine.HostPath("C:\\WINNT\\tool.cmd").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0750u);
  EXPECT_EQ(SetFileMode("C:\\WINNT\\missing", 0644).code(), kFileNotFound);
}

TEST_F(MachinePathTest, CopiedFilesKeepTheirMode) {
  machine.WriteFile("C:\\src\\prog", "#!/bin/sh\n");
  ASSERT_EQ(chmod(machine.HostPath("C:\\src\\prog").c_str(), 0755), 0);
  ASSERT_TRUE(CopyFile("C:\\src\\prog", "C:\\WINNT\\prog").ok());
  struct stat info;
  ASSERT_EQ(stat(machine.HostPath("C:\\WINNT\\prog").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0755u);
}

}  // namespace
}  // namespace orvane::os::posix
