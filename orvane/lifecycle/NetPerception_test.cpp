#include "orvane/lifecycle/NetPerception.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/config/InstanceFileTestMachine.h"
#include "orvane/testing/FileSizeLimit.h"

namespace {

using orvane::test::ShownErrors;

class NetPerceptionTest : public orvane::test::InstanceFileTest {};

constexpr const char* kMacros[] = {
    "temphard.vqm", "product1.vqm", "product2.vqm", "tempbas1.vqm", "tempclo2.vqm",
    "tempclo3.vqm", "tempclot.vqm", "tempite2.vqm", "tempitem.vqm", "tempcomp.vqm",
};

TEST_F(NetPerceptionTest, AddsTheServerOnceAndRefreshesTheMacros) {
  const std::string server = "DBNAME malldb\r\nGL_PORT 8000\r\nSG_PATH C:\\50%\r\n";
  machine.WriteFile("C:\\mall\\html\\tessaly.ini", server);
  for (const char* macro : kMacros) {
    if (std::string(macro) == "tempcomp.vqm") continue;  // the store lacks it
    machine.WriteFile(std::string("C:\\mall\\macro\\product\\") + macro,
                      std::string("new ") + macro);
  }
  machine.WriteFile("C:\\mall\\teditor\\product\\temphard.vqm", "edited");
  machine.WriteFile("C:\\mall\\teditor\\product\\tempcomp.vqm", "mine");
  MSInfo info = Mall();

  ASSERT_EQ(KelNetPerceptionConfig(info), 1);
  const std::string once = server + "\r\nPERS_ENABLED NO\r\n\r\nGL_HOST shop.example\r\n";
  EXPECT_EQ(Read("tessaly.ini"), once);
  for (const char* macro : kMacros) {
    const std::string expected =
        std::string(macro) == "tempcomp.vqm" ? "mine" : std::string("new ") + macro;
    EXPECT_EQ(machine.ReadFile(std::string("C:\\mall\\teditor\\product\\") + macro), expected);
  }
  EXPECT_FALSE(machine.FileExists("C:\\mall\\teditor\\product\\tempcomp.old.vqm"));
  EXPECT_EQ(machine.ReadFile("C:\\mall\\teditor\\product\\temphard.old.vqm"), "edited");

  const std::string backup = Read("tessaly.old.ini");
  ASSERT_EQ(KelNetPerceptionConfig(info), 1);
  EXPECT_EQ(Read("tessaly.ini"), once);
  EXPECT_EQ(Read("tessaly.old.ini"), backup);  // a pass that changes nothing keeps it
  EXPECT_TRUE(ShownErrors().empty());
}

TEST_F(NetPerceptionTest, NoInstallationNoChange) {
  machine.WriteRegistry("[-HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server]\r\n");
  machine.WriteFile("C:\\mall\\html\\tessaly.ini", "DBNAME malldb\r\n");
  MSInfo info = Mall();
  EXPECT_EQ(KelNetPerceptionConfig(info), 0);
  ASSERT_EQ(ShownErrors().size(), 1u);
  EXPECT_EQ(ShownErrors()[0], "Cannot find Tessaly installation parameters.");
  EXPECT_EQ(Read("tessaly.ini"), "DBNAME malldb\r\n");
}

TEST_F(NetPerceptionTest, AMissingServerFileIsLeftAlone) {
  MSInfo info = Mall();
  EXPECT_EQ(KelNetPerceptionConfig(info), 1);
  EXPECT_FALSE(Exists("tessaly.ini"));
  EXPECT_FALSE(Exists("tessaly.old.ini"));
}

#if !defined(_WIN32)
// The disk fills up while a key is added: the failure is told and enters
// the result, so that creation does not report success with keys missing.
TEST_F(NetPerceptionTest, AFullDiskIsReportedAndFails) {
  const std::string server = "DBNAME malldb\r\nGL_PORT 8000\r\n";
  machine.WriteFile("C:\\mall\\html\\tessaly.ini", server);
  MSInfo info = Mall();
  int result;
  {
    // The copy of the file fits, an added key does not.
    orvane::test::FileSizeLimit fullDisk(server.size() + 4);
    result = KelNetPerceptionConfig(info);
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Read("tessaly.ini"), server);
  ASSERT_FALSE(ShownErrors().empty());
  EXPECT_EQ(ShownErrors()[0], "Cannot create configuration file C:\\mall\\html\\tessaly.ini.");
}
#endif

}  // namespace
