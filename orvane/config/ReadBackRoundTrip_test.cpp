// An instance's files read back into a record and written again from it must
// come out byte for byte as they were: the read-back is the memory of every
// setting the instance data file does not hold.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "orvane/config/InstallationLevels.h"
#include "orvane/config/InstalledConfig.h"
#include "orvane/config/InstanceFiles.h"
#include "orvane/config/MacroConfig.h"
#include "orvane/core/MSList.h"
#include "orvane/testing/SampleInstallation.h"
#include "orvane/testing/TempMachine.h"

namespace orvane {
namespace {

constexpr const char* kInstanceFiles[] = {"srvrctrl.ini",  "tessaly.ini",  "scheduler.ini", "pay_back.ini",
                                          "pay_cashet.ini", "pay_cyber.ini", "tqei_ece.ini",  "velqwww.ini"};

class ReadBackRoundTripTest : public test::MachineTest {
 protected:
  void SetUp() override {
    install.payServer = true;
    ASSERT_TRUE(install.LayOut()) << install.error();
  }

  // Writes the instance's eight keyword files from rec.
  void WriteFiles(MSInfo& rec) {
    char in[] = "IN.Q", out[] = "OUT.Q", error[] = "ERR.Q", manager[] = "QM1", user[] = "bridge";
    const QueueSettings queues{in, out, error, manager, user};
    const char* dir = install.installDir.c_str();
    ASSERT_EQ(WriteControllerConfig(rec), 1);
    ASSERT_EQ(WriteServerConfig(rec, dir), 1);
    ASSERT_EQ(WriteSchedulerConfig(rec, dir), 1);
    ASSERT_EQ(WritePayBackConfig(rec, dir), 1);
    ASSERT_EQ(WritePayCashetConfig(rec, dir), 1);
    ASSERT_EQ(WritePayCyberConfig(rec, dir), 1);
    ASSERT_EQ(WriteEceConfig(rec, dir, queues), 1);
    ASSERT_EQ(WriteMacroConfig(rec, dir), 1);
  }

  std::map<std::string, std::string> Files(const MSInfo& rec) const {
    std::map<std::string, std::string> files;
    for (const char* name : kInstanceFiles) {
      files[name] = machine.ReadFile(std::string(rec.GetHtmlPath()) + "\\" + name);
    }
    return files;
  }

  // The instance as the current installation lists it, read back.
  MSInfo ReadBack() {
    MSList list;
    EXPECT_EQ(KelGetTQConfig(list, 3), 1);
    MSInfo rec;
    EXPECT_EQ(list.GetCount(), 1);
    list.SetIndex(0);
    list.GetCurrent(rec);
    return rec;
  }

  test::SampleInstallation install;
};

TEST_F(ReadBackRoundTripTest, RegeneratedFilesEqualTheFirstOnes) {
  MSInfo rec = install.Record("shop", 17000, 3);
  ASSERT_TRUE(rec.SetMerKey("0123456789abcdef") && rec.SetCMSPswd("cms-secret"));
  rec.SetMSOption(MSInfo::kOptCache | MSInfo::kOptPayTrace, MSInfo::kOptCache | MSInfo::kOptPayTrace);
  rec.SetNDEnv("custom", "LANG=de_DE  CHARSET=latin1");
  MSList list;
  ASSERT_EQ(list.Add(rec, 0), 0);
  ASSERT_EQ(list.Store(InstanceDataFile(install.installDir.c_str())), 1);
  WriteFiles(rec);
  const std::map<std::string, std::string> first = Files(rec);
  for (const auto& file : first) ASSERT_FALSE(file.second.empty()) << file.first;

  for (int round = 0; round < 2; ++round) {
    MSInfo again = ReadBack();
    EXPECT_EQ(again.GetMSOption() & (MSInfo::kOptCache | MSInfo::kOptPayTrace),
              MSInfo::kOptCache | MSInfo::kOptPayTrace);
    WriteFiles(again);
    const std::map<std::string, std::string> regenerated = Files(again);
    for (const auto& file : first) {
      EXPECT_EQ(regenerated.at(file.first), file.second) << file.first << ", round " << round;
    }
  }
}

TEST_F(ReadBackRoundTripTest, HandAddedSettingsSurviveRegeneration) {
  MSInfo rec = install.Record("shop", 17000, 3);
  MSList list;
  ASSERT_EQ(list.Add(rec, 0), 0);
  ASSERT_EQ(list.Store(InstanceDataFile(install.installDir.c_str())), 1);
  WriteFiles(rec);
  const std::string dir = rec.GetHtmlPath();
  // An administrator's own environment and settings.
  std::string macro = machine.ReadFile(dir + "\\velqwww.ini");
  machine.WriteFile(dir + "\\velqwww.ini", macro + "ENVIRONMENT  mine   TZ=CET  X=1\r\n");
  std::string main = machine.ReadFile(dir + "\\tessaly.ini");
  machine.WriteFile(dir + "\\tessaly.ini", main + "DB_RETRY_LIMIT 42\r\nMY_OWN_SETTING on\r\n");

  MSInfo again = ReadBack();
  EXPECT_EQ(again.m_DBRetryLimit, 42);
  WriteFiles(again);
  EXPECT_NE(machine.ReadFile(dir + "\\velqwww.ini").find("mine            TZ=CET  X=1\r\n"), std::string::npos)
      << machine.ReadFile(dir + "\\velqwww.ini");
  const std::string regenerated = machine.ReadFile(dir + "\\tessaly.ini");
  EXPECT_NE(regenerated.find("DB_RETRY_LIMIT 42\r\n"), std::string::npos) << regenerated;
  EXPECT_NE(regenerated.find("MY_OWN_SETTING on\r\n"), std::string::npos) << regenerated;
}

}  // namespace
}  // namespace orvane
