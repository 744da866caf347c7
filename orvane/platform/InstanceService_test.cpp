#include "orvane/platform/InstanceService.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/core/MSInfo.h"
#include "orvane/core/MSList.h"
#include "orvane/os/Registry.h"
#include "orvane/platform/PlatformTestMachine.h"
#include "orvane/platform/WindowsServices.h"
#include "orvane/runtime/Messages.h"
#include "orvane/testing/Emulation.h"
#include "orvane/testing/QuickPolls.h"

namespace {

using orvane::test::EmulatedService;

constexpr char kParametersKey[] = "SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2";

std::vector<std::string> g_statusLines;

void CollectStatus(const char* text) { g_statusLines.push_back(text); }

class InstanceServiceTest : public orvane::test::PlatformMachineTest {
 protected:
  InstanceServiceTest() {
    m_info.SetName("shop");
    m_info.SetHtmlPath("D:\\stores\\shop");
    g_statusLines.clear();
    pfnUpdate = CollectStatus;
  }
  ~InstanceServiceTest() override { pfnUpdate = nullptr; }

  void InstallProduct() {
    machine.WriteRegistry(std::string("[HKEY_LOCAL_MACHINE\\") + kParametersKey +
                          "\\Paths]\r\n\"TQ_INST_PATH\"=\"C:\\\\Tessaly\"\r\n");
  }

  MSInfo m_info;
};

TEST_F(InstanceServiceTest, CreateWritesParametersAndReplacesTheService) {
  services.Own("TQshop");
  EXPECT_EQ(orvane::CreateInstanceService(m_info), 0);  // no installation directory
  EXPECT_EQ(RegistryString(kParametersKey, "TQshop"), "<no key>");

  InstallProduct();
  AddService("TQshop", EmulatedService().Image("C:\\old\\srvrctrl.exe"));
  ASSERT_EQ(orvane::CreateInstanceService(m_info), 1);
  EXPECT_EQ(RegistryString(kParametersKey, "TQshop"), "-i D:\\stores\\shop\\srvrctrl.ini");
  EXPECT_EQ(ServiceValue("TQshop", "ImagePath"), "C:\\Tessaly\\bin\\srvrctrl.exe");
  EXPECT_EQ(ServiceValue("TQshop", "DisplayName"), "Tessaly - shop");
  EXPECT_EQ(ServiceDword("TQshop", "Start"), 3u);
  EXPECT_EQ(ServiceDword("TQshop", "Type"), 0x10u);
  EXPECT_EQ(ServiceDword("TQshop", "ErrorControl"), 1u);
}

// The database set-up makes the service start automatically; creating the
// instance again must not take that back.
TEST_F(InstanceServiceTest, AReplacedServiceKeepsItsStartType) {
  services.Own("TQshop");
  InstallProduct();
  ASSERT_EQ(orvane::CreateInstanceService(m_info), 1);
  ASSERT_EQ(KelSetSvcAuto("TQshop"), 1);
  ASSERT_EQ(orvane::CreateInstanceService(m_info), 1);
  EXPECT_EQ(ServiceDword("TQshop", "Start"), 2u);
  EXPECT_EQ(KelIsSvcAuto("TQshop"), 1);
  ASSERT_EQ(KelSetSvcManual("TQshop"), 1);
  ASSERT_EQ(orvane::CreateInstanceService(m_info), 1);
  EXPECT_EQ(ServiceDword("TQshop", "Start"), 3u);
}

TEST_F(InstanceServiceTest, ARefusedServiceNameLeavesNothingInTheRegistry) {
  InstallProduct();
  for (const std::string& name : {std::string("a/b"), std::string("a\\b"), std::string(300, 'n')}) {
    MSInfo refused;
    refused.m_Name = name.c_str();
    EXPECT_EQ(orvane::CreateInstanceService(refused), 0) << name;
    EXPECT_EQ(RegistryString(kParametersKey, "TQ" + name), "<no value>") << name;
  }
}

TEST_F(InstanceServiceTest, DeleteRemovesParametersAndService) {
  services.Own("TQshop");
  InstallProduct();
  ASSERT_EQ(orvane::CreateInstanceService(m_info), 1);
  EXPECT_EQ(orvane::DeleteInstanceService(m_info), 1);
  EXPECT_EQ(RegistryString(kParametersKey, "TQshop"), "<no value>");
  EXPECT_EQ(ServiceValue("TQshop", "ImagePath"), "<no key>");
  EXPECT_EQ(orvane::DeleteInstanceService(m_info), 0);
}

// A service whose start parameters went missing is deleted all the same.
TEST_F(InstanceServiceTest, DeleteRemovesAServiceWithoutParameters) {
  services.Own("TQshop");
  InstallProduct();
  ASSERT_EQ(orvane::CreateInstanceService(m_info), 1);
  {
    auto key = orvane::os::RegistryKey::Open(orvane::os::RegistryRoot::kLocalMachine,
                                             kParametersKey, orvane::os::RegistryAccess::kAll);
    ASSERT_TRUE(key && key->DeleteValue("TQshop"));
  }
  ASSERT_EQ(RegistryString(kParametersKey, "TQshop"), "<no value>");
  EXPECT_EQ(orvane::DeleteInstanceService(m_info), 1);
  EXPECT_EQ(ServiceValue("TQshop", "ImagePath"), "<no key>");
  EXPECT_EQ(orvane::DeleteInstanceService(m_info), 0);
}

TEST_F(InstanceServiceTest, StartFollowsTheGenericStart) {
  ORVANE_SKIP_WITHOUT_EMULATION(
      "the service's 190-second start must be timed on the clock of the polls");
  // The start follows the service's progress reports past the poll limit.
  AddService("TQshop", EmulatedService().StartDelay(190));
  EXPECT_EQ(orvane::StartInstanceService(m_info), 1);
  EXPECT_EQ(KelIsTQSvcActive(m_info), 1);
  EXPECT_EQ(ClockSeconds(), 190u);
}

TEST_F(InstanceServiceTest, StartThatNeverCompletesFailsAfter180Polls) {
  orvane::test::QuickPolls quickPolls;
  AddService("TQshop", EmulatedService().Hangs());
  EXPECT_EQ(orvane::StartInstanceService(m_info), 0);
  EXPECT_EQ(ClockSeconds(), 181u);  // one wait hint of the start, then the polls

  AddService("TQrefused", EmulatedService().StartFails());
  MSInfo refused;
  refused.SetName("refused");
  EXPECT_EQ(orvane::StartInstanceService(refused), 0);
  EXPECT_EQ(ClockSeconds(), 181u + 180u);
}

TEST_F(InstanceServiceTest, StartOfServiceThatIsNotStoppedDoesNothing) {
  EXPECT_EQ(orvane::StartInstanceService(m_info), 1);  // missing
  AddService("TQshop", EmulatedService().Running().StartFails());
  const unsigned long before = ClockSeconds();
  EXPECT_EQ(orvane::StartInstanceService(m_info), 1);
  EXPECT_EQ(ClockSeconds() - before, 0u);
}

TEST_F(InstanceServiceTest, StopCountsWhenStoppedAtThe180thPoll) {
  ORVANE_SKIP_WITHOUT_EMULATION(
      "the stop must end exactly at the 180th poll, which only the virtual clock can time");
  AddService("TQshop", EmulatedService().Running().StopDelay(180));
  EXPECT_EQ(orvane::StopInstanceService(m_info), 1);
  EXPECT_EQ(ClockSeconds(), 180u);
  EXPECT_EQ(orvane::IsNamedServiceStopped("TQshop"), 1);
}

TEST_F(InstanceServiceTest, StopFailsWhenStillPendingAfter180Polls) {
  ORVANE_SKIP_WITHOUT_EMULATION(
      "the service's 181-second stop must be timed on the clock of the polls");
  AddService("TQshop", EmulatedService().Running().StopDelay(181));
  EXPECT_EQ(orvane::StopInstanceService(m_info), 0);
  EXPECT_EQ(ClockSeconds(), 180u);
  EXPECT_EQ(orvane::StopInstanceService(m_info), 1);  // no longer running
  EXPECT_EQ(ServiceStateNumber("TQshop"), 3u);         // but still stopping
}

TEST_F(InstanceServiceTest, SetAutoOnlyWhenNeeded) {
  AddService("TQshop", EmulatedService());
  EXPECT_EQ(orvane::SetInstanceServiceAuto(m_info), 1);
  EXPECT_EQ(ServiceDword("TQshop", "Start"), 2u);
  EXPECT_EQ(orvane::SetInstanceServiceAuto(m_info), 1);
  MSInfo missing;
  missing.SetName("missing");
  EXPECT_EQ(orvane::SetInstanceServiceAuto(missing), 0);
}

TEST_F(InstanceServiceTest, StartAndStopReportTheirOutcome) {
  AddService("TQshop", EmulatedService().StartDelay(2).StopDelay(2));
  EXPECT_EQ(KelStopTQSvc(m_info), 1);
  EXPECT_EQ(KelStartTQSvc(m_info), 1);
  EXPECT_EQ(KelStartTQSvc(m_info), 1);
  EXPECT_EQ(KelStopTQSvc(m_info), 1);
  EXPECT_EQ(g_statusLines, (std::vector<std::string>{
                               "Tessaly servers for instance shop are already inactive.",
                               "Tessaly servers for instance shop started successfully.",
                               "Tessaly servers for instance shop are already active.",
                               "Tessaly servers for instance shop stopped successfully.",
                           }));
}

TEST_F(InstanceServiceTest, FailuresAreReported) {
  orvane::test::QuickPolls quickPolls;
  AddService("TQshop", EmulatedService().Hangs());
  EXPECT_EQ(KelStartTQSvc(m_info), 0);
  AddService("TQshop", EmulatedService().Running().Hangs());
  EXPECT_EQ(KelStopTQSvc(m_info), 0);
  EXPECT_EQ(g_statusLines, (std::vector<std::string>{
                               "Cannot start Tessaly servers for instance shop.",
                               "Cannot stop Tessaly servers for instance shop.",
                           }));
}

MSInfo Instance(const char* name, int port) {
  MSInfo info;
  info.SetName(name);
  info.SetISHost((std::string(name) + ".example").c_str());
  info.SetHtmlPath((std::string("D:\\stores\\") + name).c_str());
  info.SetDBName(name);
  info.SetMSPort(port);
  return info;
}

TEST_F(InstanceServiceTest, ServerStartStartsEveryInstanceInTurn) {
  constexpr char kDataFile[] = "C:\\Tessaly\\server\\admin\\tqconfig.dat";
  EXPECT_EQ(KelStartTQServer(kDataFile), 0);

  MSList list;
  for (MSInfo info : {Instance("one", 16570), Instance("lost", 17570), Instance("two", 18570)}) {
    ASSERT_EQ(list.Add(info, 1), 0);
  }
  machine.WriteFile(kDataFile, "");
  ASSERT_EQ(list.Store(kDataFile), 1);
  AddService("TQone", EmulatedService().StartDelay(2));
  AddService("TQtwo", EmulatedService().Running());
  AddService("TQthree", EmulatedService());

  EXPECT_EQ(KelStartTQServer(kDataFile), 1);
  EXPECT_EQ(KelIsSvcActive("TQone"), 1);
  EXPECT_EQ(KelIsSvcActive("TQtwo"), 1);
  EXPECT_EQ(KelIsSvcActive("TQthree"), 0);  // not an instance of the file
  EXPECT_EQ(g_statusLines, std::vector<std::string>{"Starting Tessaly servers..."});
}

}  // namespace
