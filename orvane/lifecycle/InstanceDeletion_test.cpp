#include "orvane/lifecycle/InstanceDeletion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/core/MSInfo.h"
#include "orvane/lifecycle/InstanceCreation.h"
#include "orvane/lifecycle/LifecycleTestMachine.h"
#include "orvane/os/Registry.h"

namespace {

using orvane::test::ShownMessages;

constexpr char kPages[] = "C:\\WWW\\html\\shop";
constexpr char kParametersKey[] = "SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2";

class DeletionTest : public orvane::test::LifecycleTest {
 protected:
  void CreateShop(int processes = 2) {
    LayOut();
    shop = Record("shop", 20000, processes);
    if (processes < 2) shop.m_MSProc = processes;
    ASSERT_EQ(KelCreateSingleInst(shop), 1);
    // The configuration files that creation's writers leave in the
    // instance directory.
    for (const char* file : {"srvrctrl.ini", "tessaly.ini", "velqwww.ini", "pay_back.ini",
                             "pay_cashet.ini", "pay_cyber.ini", "scheduler.ini"}) {
      machine.WriteFile(std::string(kPages) + "\\" + file, std::string("# ") + file + "\r\n");
    }
    ShownMessages().clear();
  }
  static std::vector<std::string> Names(const std::string& prefix, int from, int to) {
    std::vector<std::string> names;
    for (int k = from; k <= to; ++k) names.push_back(prefix + std::to_string(k));
    return names;
  }

  MSInfo shop;
};

TEST_F(DeletionTest, RemovesRegistrationsAndMovesConfigurationAside) {
  install.payServer = true;
  CreateShop();
  machine.WriteFile(orvane::test::TempMachine::ServicesFile(),
                    ServicesFile() + "tqshopx\t\t30000/tcp\t# another program\n");
  EXPECT_EQ(KelDeleteSingleInst(shop), 1);
  EXPECT_EQ(ShownMessages(), std::vector<std::string>{
                                 "status: Tessaly instance shop has been deleted successfully."});

  std::vector<std::string> gone = {"tqshop", "tqshop_1", "tqshop_2", "tqshop_pb_1", "tqshop_cy_1"};
  for (const auto& names : {Names("tqshop_pe_", 1, 6), Names("tqshop_sched_", 1, 10)}) {
    gone.insert(gone.end(), names.begin(), names.end());
  }
  for (const std::string& name : gone) EXPECT_EQ(ServiceLine(name), "") << name;
  EXPECT_NE(ServiceLine("tqshopx"), "");
  EXPECT_NE(ServiceLine("http"), "");
  EXPECT_EQ(ServiceValue("TQshop", "ImagePath"), "<no key>");
  EXPECT_EQ(RegistryString(kParametersKey, "TQshop"), "<no value>");

  for (const char* stem :
       {"srvrctrl", "tessaly", "velqwww", "pay_back", "pay_cashet", "pay_cyber", "scheduler"}) {
    const std::string file = std::string(kPages) + "\\" + stem;
    EXPECT_FALSE(machine.FileExists(file + ".ini")) << stem;
    EXPECT_EQ(machine.ReadFile(file + ".old.ini"), std::string("# ") + stem + ".ini\r\n");
  }
  // What holds data stays.
  for (const char* kept :
       {"C:\\stores\\shop\\bin\\cashet.cmd", "C:\\stores\\shop\\logs",
        "C:\\WWW\\cgi-bin\\tessaly3.exe", "C:\\stores\\shop\\password\\netc.pwd"}) {
    EXPECT_TRUE(machine.FileExists(kept)) << kept;
  }
}

TEST_F(DeletionTest, SecondDeletionReports50AndChangesNothing) {
  CreateShop();
  ASSERT_EQ(KelDeleteSingleInst(shop), 1);
  const std::string services = ServicesFile();
  const std::string backup = machine.ReadFile(std::string(kPages) + "\\tessaly.old.ini");
  ShownMessages().clear();
  EXPECT_EQ(KelDeleteSingleInst(shop), 0);
  EXPECT_EQ(ShownMessages(),
            std::vector<std::string>{"error: Error in deleting Tessaly instance shop."});
  EXPECT_EQ(ServicesFile(), services);
  EXPECT_EQ(machine.ReadFile(std::string(kPages) + "\\tessaly.old.ini"), backup);
}

TEST_F(DeletionTest, PaymentEntriesStayWhenThePaymentServerWentInBetween) {
  install.payServer = true;
  CreateShop();
  ASSERT_TRUE(orvane::os::DeleteRegistryKey(orvane::os::RegistryRoot::kLocalMachine,
                                            "SOFTWARE\\VXR\\VXR Payment Server")
                  .ok());
  EXPECT_EQ(KelDeleteSingleInst(shop), 1);
  EXPECT_EQ(ServiceLine("tqshop_pb_1"), "tqshop_pb_1\t20003/tcp\t# Tessaly - pay_back");
  for (const std::string& name : Names("tqshop_pe_", 1, 6)) EXPECT_NE(ServiceLine(name), "");
  EXPECT_TRUE(machine.FileExists(std::string(kPages) + "\\pay_back.ini"));
  EXPECT_EQ(ServiceLine("tqshop_cy_1"), "");
}

TEST_F(DeletionTest, NoServerProcessesRemoveOnlyTheController) {
  CreateShop(0);
  machine.WriteFile(orvane::test::TempMachine::ServicesFile(),
                    ServicesFile() + "tqshop_1\t30001/tcp\t# not created by this instance\n");
  EXPECT_EQ(KelDeleteSingleInst(shop), 1);
  EXPECT_NE(ServiceLine("tqshop_1"), "");
  EXPECT_EQ(ServiceLine("tqshop"), "");
}

TEST_F(DeletionTest, RunningServiceIsStoppedBeforeItGoes) {
  CreateShop();
  AddService("TQshop", orvane::test::EmulatedService().Running().StopDelay(2));
  const unsigned long before = ClockSeconds();
  EXPECT_EQ(KelDeleteSingleInst(shop), 1);
  EXPECT_GE(ClockSeconds() - before, 2u);
  EXPECT_EQ(ServiceValue("TQshop", "ImagePath"), "<no key>");
}

}  // namespace
