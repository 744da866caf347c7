// The emulated service control manager: transitions on the machine clock,
// the emulation's knobs, and where it keeps a service.
#include "orvane/os/Services.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "orvane/os/Process.h"
#include "orvane/os/Registry.h"
#include "orvane/os/posix/Machine.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

constexpr char kName[] = "TQshop";

class EmulatedServicesTest : public orvane::test::MachineTest {
 protected:
  void SetUp() override {
    machine.UseVirtualClock();
    Expected<ServiceManager> manager = ServiceManager::Open();
    ASSERT_TRUE(manager);
    ServiceConfig config;
    config.binaryPath = "C:\\Tessaly\\bin\\srvrctrl.exe";
    config.displayName = "Tessaly - shop";
    Expected<Service> service = manager->CreateService(kName, config);
    ASSERT_TRUE(service) << service.status().code();
    m_manager.emplace(std::move(*manager));
    m_service.emplace(std::move(*service));
  }

  static void SetMachineDword(const std::string& key, const std::string& name,
                              unsigned long number) {
    Expected<RegistryKey> opened =
        RegistryKey::Create(RegistryRoot::kLocalMachine, key, "", RegistryAccess::kAll);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(opened->SetValue(name, RegistryValue::Dword(number)));
  }

  static void SetKnob(const std::string& name, unsigned long number) {
    SetMachineDword(std::string("EMULATION\\Services\\") + kName, name, number);
  }

  ServiceStatus CurrentStatus() {
    Expected<ServiceStatus> status = m_service->QueryStatus();
    EXPECT_TRUE(status);
    return status ? *status : ServiceStatus();
  }

  static void WaitSeconds(unsigned long seconds) { SleepMilliseconds(seconds * 1000); }

  std::optional<ServiceManager> m_manager;
  std::optional<Service> m_service;
};

TEST_F(EmulatedServicesTest, StartCompletesWhenItsDelayHasPassedOnTheMachineClock) {
  SetKnob("StartDelay", 180);
  ASSERT_TRUE(m_service->Start());

  ServiceStatus first = CurrentStatus();
  EXPECT_EQ(first.state, ServiceState::kStartPending);
  EXPECT_EQ(first.waitHintMs, 1000u);
  WaitSeconds(179);
  ServiceStatus almost = CurrentStatus();
  EXPECT_EQ(almost.state, ServiceState::kStartPending);
  EXPECT_GT(almost.checkPoint, first.checkPoint);
  EXPECT_EQ(m_service->Start().code(), kServiceAlreadyRunning);
  EXPECT_EQ(m_service->Stop().code(), kServiceCannotAcceptControl);

  WaitSeconds(1);
  ServiceStatus running = CurrentStatus();
  EXPECT_EQ(running.state, ServiceState::kRunning);
  EXPECT_EQ(running.checkPoint, 0u);
  EXPECT_EQ(running.waitHintMs, 0u);
}

TEST_F(EmulatedServicesTest, StopCompletesAfterItsDelay) {
  SetKnob("StopDelay", 10);
  ASSERT_TRUE(m_service->Start());
  ASSERT_EQ(CurrentStatus().state, ServiceState::kRunning);
  ASSERT_TRUE(m_service->Stop());
  WaitSeconds(9);
  EXPECT_EQ(CurrentStatus().state, ServiceState::kStopPending);
  WaitSeconds(1);
  EXPECT_EQ(CurrentStatus().state, ServiceState::kStopped);
  EXPECT_EQ(m_service->Stop().code(), kServiceNotActive);
}

TEST_F(EmulatedServicesTest, CheckPointGrowsWithEveryQueryAndSurvivesReopening) {
  SetKnob("StartDelay", 60);
  ASSERT_TRUE(m_service->Start());
  unsigned long first = CurrentStatus().checkPoint;
  EXPECT_EQ(CurrentStatus().checkPoint, first + 1);
  Expected<Service> reopened = m_manager->OpenService("tqSHOP");
  ASSERT_TRUE(reopened);
  Expected<ServiceStatus> status = reopened->QueryStatus();
  ASSERT_TRUE(status);
  EXPECT_EQ(status->checkPoint, first + 2);
}

TEST_F(EmulatedServicesTest, AnotherProcessesStartAndStopAreSeenByTheNextQuery) {
  const struct {
    Status (Service::*control)();
    ServiceState seen;
  } kControls[] = {{&Service::Start, ServiceState::kRunning}, {&Service::Stop, ServiceState::kStopped}};
  for (const auto& control : kControls) {
    CurrentStatus();
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Expected<Service> service = m_manager->OpenService(kName);
      _exit(service && ((*service).*control.control)() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(CurrentStatus().state, control.seen);
  }
}

TEST_F(EmulatedServicesTest, HangingServiceStaysPendingWithAFrozenCheckPoint) {
  SetKnob("Hangs", 1);
  ASSERT_TRUE(m_service->Start());
  ServiceStatus first = CurrentStatus();
  WaitSeconds(3600);
  ServiceStatus later = CurrentStatus();
  EXPECT_EQ(later.state, ServiceState::kStartPending);
  EXPECT_EQ(later.checkPoint, first.checkPoint);
  EXPECT_EQ(later.waitHintMs, 1000u);
}

TEST_F(EmulatedServicesTest, RefusedStartLeavesTheServiceStopped) {
  SetKnob("StartFails", 1);
  EXPECT_EQ(m_service->Start().code(), kServiceRequestTimeout);
  EXPECT_EQ(LastError(), kServiceRequestTimeout);
  EXPECT_EQ(CurrentStatus().state, ServiceState::kStopped);
}

TEST_F(EmulatedServicesTest, DisabledServiceDoesNotStart) {
  ASSERT_TRUE(m_service->ChangeStartType(StartType::kDisabled));
  EXPECT_EQ(m_service->Start().code(), kServiceDisabled);
}

TEST_F(EmulatedServicesTest, StartIsRefusedWhileTheDatabaseIsLocked) {
  {
    Expected<ServiceDatabaseLock> lock = m_manager->LockDatabase();
    ASSERT_TRUE(lock);
    EXPECT_EQ(m_service->Start().code(), kServiceDatabaseLocked);
  }
  EXPECT_TRUE(m_service->Start());
}

TEST_F(EmulatedServicesTest, RunningServiceMarkedForDeletionGoesWhenStopped) {
  SetKnob("StopDelay", 5);
  ASSERT_TRUE(m_service->Start());
  ASSERT_EQ(CurrentStatus().state, ServiceState::kRunning);
  ASSERT_TRUE(m_service->Delete());
  EXPECT_EQ(m_service->Delete().code(), kServiceMarkedForDelete);
  ServiceConfig again;
  again.binaryPath = "C:\\Tessaly\\bin\\srvrctrl.exe";
  EXPECT_EQ(m_manager->CreateService(kName, again).status().code(), kServiceMarkedForDelete);
  EXPECT_TRUE(m_manager->OpenService(kName));

  ASSERT_TRUE(m_service->Stop());
  WaitSeconds(5);
  EXPECT_EQ(m_manager->OpenService(kName).status().code(), kServiceDoesNotExist);
  EXPECT_FALSE(RegistryKey::Open(RegistryRoot::kLocalMachine,
                                 std::string("EMULATION\\Services\\") + kName,
                                 RegistryAccess::kRead));
}

TEST_F(EmulatedServicesTest, KeepsItsConfigurationWhereWindowsDoes) {
  Expected<RegistryKey> key =
      RegistryKey::Open(RegistryRoot::kLocalMachine,
                        std::string("SYSTEM\\CurrentControlSet\\Services\\") + kName,
                        RegistryAccess::kRead);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->QueryValue("Type")->AsDword(), kServiceWin32OwnProcess);
  EXPECT_EQ(key->QueryValue("Start")->AsDword(), 3u);
  EXPECT_EQ(key->QueryValue("ErrorControl")->AsDword(), kServiceErrorNormal);
  EXPECT_EQ(key->QueryValue("ImagePath")->AsString(), "C:\\Tessaly\\bin\\srvrctrl.exe");
  EXPECT_EQ(key->QueryValue("DisplayName")->AsString(), "Tessaly - shop");
  EXPECT_EQ(key->QueryValue("ObjectName")->AsString(), "LocalSystem");
}

TEST_F(EmulatedServicesTest, ConfigurationSizeCountsEveryStringWithItsTerminator) {
  // 36 fixed bytes; binary path 27+1, no group 1, no dependencies 2,
  // "LocalSystem" 11+1, display name 14+1.
  const unsigned long expected = 36 + 28 + 1 + 2 + 12 + 15;
  unsigned long needed = 0;
  Expected<ServiceConfig> tooSmall = m_service->QueryConfig(expected - 1, &needed);
  EXPECT_EQ(tooSmall.status().code(), kInsufficientBuffer);
  EXPECT_EQ(needed, expected);
  EXPECT_TRUE(m_service->QueryConfig(expected, &needed));

  Expected<RegistryKey> key =
      RegistryKey::Open(RegistryRoot::kLocalMachine,
                        std::string("SYSTEM\\CurrentControlSet\\Services\\") + kName,
                        RegistryAccess::kWrite);
  ASSERT_TRUE(key);
  RegistryValue dependencies;
  dependencies.type = ValueType::kMultiString;
  for (char ch : std::string("VELQ\0Tcpip\0\0", 12)) dependencies.data.push_back(ch);
  ASSERT_TRUE(key->SetValue("DependOnService", dependencies));
  ASSERT_TRUE(key->SetValue("Group", RegistryValue::String("NetworkProvider")));
  EXPECT_EQ(m_service->QueryConfig(0, &needed).status().code(), kInsufficientBuffer);
  // The group "NetworkProvider" 15+1 and the list "VELQ", "Tcpip" 5+6+1.
  EXPECT_EQ(needed, expected - 1 - 2 + 16 + 12);
}

TEST(EmulatedServiceDatabaseLockTest, LocksAMachineThatHasNoFolderYet) {
  orvane::test::TempMachine machine;
  std::filesystem::remove_all(posix::MachineRoot());
  Expected<ServiceManager> manager = ServiceManager::Open();
  ASSERT_TRUE(manager);
  EXPECT_TRUE(manager->LockDatabase());
}

TEST_F(EmulatedServicesTest, KeyWithoutServiceTypeIsNoService) {
  SetMachineDword("SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", "Flags", 1);
  EXPECT_EQ(m_manager->OpenService("Tcpip").status().code(), kServiceDoesNotExist);
  EXPECT_EQ(m_manager->OpenService("a\\b").status().code(), kInvalidName);
}

}  // namespace
}  // namespace orvane::os
