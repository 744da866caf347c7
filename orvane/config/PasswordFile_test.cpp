#include "orvane/config/PasswordFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "orvane/testing/FileSizeLimit.h"
#include "orvane/testing/TempMachine.h"

namespace {

constexpr char kTemplate[] = "C:\\inst\\server\\admin\\kelsclt.pwd";
constexpr char kPasswordFile[] = "C:\\shop\\netc.pwd";

class PasswordFileTest : public orvane::test::MachineTest {};

TEST_F(PasswordFileTest, GoInstanceGetsACopyOfTheTemplate) {
  const std::string templateBytes = "admin:Xy12\r\nbare\nno line end";
  machine.WriteFile(kTemplate, templateBytes);
  machine.WriteFile(kPasswordFile, "previous\r\n");
  ASSERT_EQ(orvane::CreatePasswordFile("C:\\shop", 0, "C:\\inst", "bin"), 1);
  EXPECT_EQ(machine.ReadFile(kPasswordFile), templateBytes);
  EXPECT_EQ(machine.ReadFile("C:\\shop\\netc.old.pwd"), "previous\r\n");
#if !defined(_WIN32)
  struct stat info {};
  ASSERT_EQ(stat(machine.HostPath(kPasswordFile).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
#endif
}

TEST_F(PasswordFileTest, OtherWebServersHaveNone) {
  machine.WriteFile(kTemplate, "admin:Xy12\r\n");
  for (int type : {1, 2}) {
    EXPECT_EQ(orvane::CreatePasswordFile("C:\\shop", type, "C:\\inst", "bin"), 1) << type;
    EXPECT_FALSE(machine.FileExists(kPasswordFile)) << type;
  }
}

TEST_F(PasswordFileTest, MissingTemplateKeepsThePresentFile) {
  machine.WriteFile(kPasswordFile, "previous\r\n");
  EXPECT_EQ(orvane::CreatePasswordFile("C:\\shop", 0, "C:\\inst", "bin"), 0);
  EXPECT_EQ(machine.ReadFile(kPasswordFile), "previous\r\n");
  EXPECT_FALSE(machine.FileExists("C:\\shop\\netc.old.pwd"));
}

#if !defined(_WIN32)
// The disk fills up during the copy: the instance keeps its password file.
TEST_F(PasswordFileTest, AFailedCopyKeepsThePresentFile) {
  machine.WriteFile(kTemplate, std::string(4096, 'x'));
  machine.WriteFile(kPasswordFile, "previous\r\n");
  int result;
  {
    orvane::test::FileSizeLimit fullDisk(100);
    result = orvane::CreatePasswordFile("C:\\shop", 0, "C:\\inst", "bin");
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(machine.ReadFile(kPasswordFile), "previous\r\n");
}
#endif

}  // namespace
