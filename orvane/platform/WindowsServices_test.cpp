#include "orvane/platform/WindowsServices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "orvane/platform/PlatformTestMachine.h"
#include "orvane/testing/Emulation.h"

namespace {

using orvane::test::EmulatedService;

// On Windows these run against real services with real (short) waits.
using WindowsServicesTest = orvane::test::PlatformMachineTest;
using orvane::test::TestServices;

TEST_F(WindowsServicesTest, StartFollowsTheServiceProgress) {
  AddService("Web", EmulatedService().StartDelay(3));
  const unsigned long before = ClockSeconds();
  EXPECT_EQ(KelStartSvc("Web"), 1);
  EXPECT_EQ(KelIsSvcActive("Web"), 1);
  EXPECT_GE(ClockSeconds() - before, 3u - TestServices::kSlackSeconds);
  EXPECT_LE(ClockSeconds() - before, 4u + TestServices::kSlackSeconds);
}

TEST_F(WindowsServicesTest, StartOfRunningServiceMakesNoRequest) {
  AddService("Web", EmulatedService().Running().StartFails());
  EXPECT_EQ(KelStartSvc("Web"), 1);
}

TEST_F(WindowsServicesTest, StartGivesUpWhenProgressStops) {
  AddService("Refused", EmulatedService().StartFails());
  EXPECT_EQ(KelStartSvc("Refused"), 0);
  EXPECT_NE(KelGetLastError(), 0u);

  AddService("Stuck", EmulatedService().Hangs());
  const unsigned long before = ClockSeconds();
  EXPECT_EQ(KelStartSvc("Stuck"), 0);
  EXPECT_LE(ClockSeconds() - before, 1u + TestServices::kSlackSeconds);
  EXPECT_EQ(KelIsSvcActive("Stuck"), 0);
  EXPECT_EQ(orvane::IsNamedServiceStopped("Stuck"), 0);
}

TEST_F(WindowsServicesTest, MissingServiceIsNeitherRunningNorStopped) {
  EXPECT_EQ(KelStartSvc("Ghost"), 0);
  EXPECT_EQ(KelGetLastError(), static_cast<unsigned long>(orvane::os::kServiceDoesNotExist));
  EXPECT_EQ(KelIsSvcActive("Ghost"), 0);
  EXPECT_EQ(orvane::IsNamedServiceStopped("Ghost"), 0);
  EXPECT_EQ(KelStopSvc("Ghost"), 1);
  EXPECT_EQ(KelSetSvcAuto("Ghost"), 0);
  EXPECT_EQ(KelIsSvcAuto("Ghost"), 0);
}

TEST_F(WindowsServicesTest, StopDoesNotWait) {
  AddService("Web", EmulatedService().Running().StopDelay(3));
  const unsigned long before = ClockSeconds();
  EXPECT_EQ(KelStopSvc("Web"), 1);
  EXPECT_EQ(KelIsSvcActive("Web"), 0);
  EXPECT_EQ(orvane::IsNamedServiceStopped("Web"), 0);
  EXPECT_EQ(ClockSeconds() - before, 0u);

  AddService("Idle", EmulatedService());
  EXPECT_EQ(KelStopSvc("Idle"), 1);
  EXPECT_EQ(orvane::IsNamedServiceStopped("Idle"), 1);
}

TEST_F(WindowsServicesTest, StartTypeChangesOnlyTheStartType) {
  AddService("Web", EmulatedService());
  EXPECT_EQ(KelIsSvcAuto("Web"), 0);
  EXPECT_EQ(KelSetSvcAuto("Web"), 1);
  EXPECT_EQ(KelIsSvcAuto("Web"), 1);
  EXPECT_EQ(ServiceDword("Web", "Start"), 2u);
  EXPECT_EQ(ServiceValue("Web", "DisplayName"), "Web");
  EXPECT_EQ(KelSetSvcManual("Web"), 1);
  EXPECT_EQ(KelIsSvcAuto("Web"), 0);
  EXPECT_EQ(ServiceDword("Web", "Start"), 3u);
}

TEST_F(WindowsServicesTest, StartTypeNeedsTheDatabaseLock) {
  if (orvane::test::RunningUnderWine()) GTEST_SKIP() << "Wine's service database lock is not exclusive";
  AddService("Web", EmulatedService());
  auto manager = orvane::os::ServiceManager::Open();
  ASSERT_TRUE(manager);
  auto lock = manager->LockDatabase();
  ASSERT_TRUE(lock);
  EXPECT_EQ(KelSetSvcAuto("Web"), 0);
  EXPECT_EQ(KelGetLastError(), static_cast<unsigned long>(orvane::os::kServiceDatabaseLocked));
  EXPECT_EQ(ServiceDword("Web", "Start"), 3u);
}

TEST_F(WindowsServicesTest, AutomaticServiceWithLargeConfiguration) {
  AddService("Big", EmulatedService().Automatic().Image("C:\\" + std::string(300, 'p') + ".exe"));
  EXPECT_EQ(KelIsSvcAuto("Big"), 1);
}

TEST_F(WindowsServicesTest, VelqServiceSearch) {
  char buffer[32] = "unchanged";
  EXPECT_EQ(KelGetVelqService(buffer, sizeof buffer), 0);

  AddService("VELQ1", EmulatedService().Image("C:\\VELQ\\BIN\\VELQSYSCS.EXE"));
  AddService("VELQ2", EmulatedService().Running().Image("C:\\velq\\bin\\velq.exe"));
  AddService("XVELQ", EmulatedService().Running().Image("C:\\velq\\bin\\velqsyscs.exe"));
  EXPECT_EQ(KelGetVelqService(buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "unchanged");

  AddService("VELQAAAAAA", EmulatedService().Running().Image("C:/velq/bin/velqsyscs.exe"));
  AddService("VELQB", EmulatedService().Running().Image("C:\\velq\\bin\\VelqSysCs.exe"));
  EXPECT_EQ(KelGetVelqService(buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "VELQAAAAAA");
  // A name that does not fit is passed over for the next match.
  EXPECT_EQ(KelGetVelqService(buffer, 6), 1);
  EXPECT_STREQ(buffer, "VELQB");
  std::strcpy(buffer, "unchanged");
  EXPECT_EQ(KelGetVelqService(buffer, 5), 0);
  EXPECT_STREQ(buffer, "unchanged");
}

}  // namespace
