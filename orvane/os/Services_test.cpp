// The service control manager as every backend offers it.
#include "orvane/os/Services.h"

#include <gtest/gtest.h>

#include "orvane/testing/Emulation.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

constexpr char kName[] = "OrvaneSeamTestService";

ServiceConfig TestConfig() {
  ServiceConfig config;
  config.binaryPath = "C:\\OrvaneTest\\bin\\idle.exe";
  config.displayName = "Orvane seam test";
  return config;
}

class ServicesTest : public orvane::test::MachineTest {
 protected:
  void SetUp() override {
    Expected<ServiceManager> manager = ServiceManager::Open();
    ASSERT_TRUE(manager);
    m_manager.emplace(std::move(*manager));
  }

  void TearDown() override {
    if (m_manager) {
      if (Expected<Service> left = m_manager->OpenService(kName)) left->Delete();
    }
  }

  Expected<Service> Create() { return m_manager->CreateService(kName, TestConfig()); }

  std::optional<ServiceManager> m_manager;
};

TEST_F(ServicesTest, CreatedServiceCanBeOpenedByNameInAnyLetterCaseAndNotCreatedTwice) {
  EXPECT_EQ(m_manager->OpenService(kName).status().code(), kServiceDoesNotExist);
  EXPECT_EQ(LastError(), kServiceDoesNotExist);
  Expected<Service> created = Create();
  ASSERT_TRUE(created) << created.status().code();
  EXPECT_EQ(created->name(), kName);
  EXPECT_TRUE(m_manager->OpenService("orvaneseamtestservice"));
  EXPECT_EQ(m_manager->CreateService(kName, TestConfig()).status().code(), kServiceExists);
}

TEST_F(ServicesTest, NewServiceIsStoppedAndTakesNoStopControl) {
  Expected<Service> service = Create();
  ASSERT_TRUE(service) << service.status().code();
  Expected<ServiceStatus> status = service->QueryStatus();
  ASSERT_TRUE(status);
  EXPECT_EQ(status->state, ServiceState::kStopped);
  EXPECT_EQ(service->Stop().code(), kServiceNotActive);
}

TEST_F(ServicesTest, ConfigurationComesBackAndFailsForABufferTooSmall) {
  Expected<Service> service = Create();
  ASSERT_TRUE(service) << service.status().code();
  unsigned long needed = 0;
  Expected<ServiceConfig> tooSmall = service->QueryConfig(36, &needed);
  EXPECT_EQ(tooSmall.status().code(), kInsufficientBuffer);
  EXPECT_GT(needed, 36u);

  Expected<ServiceConfig> config = service->QueryConfig(needed, &needed);
  ASSERT_TRUE(config) << config.status().code();
  EXPECT_EQ(config->serviceType, kServiceWin32OwnProcess);
  EXPECT_EQ(config->startType, StartType::kDemand);
  EXPECT_EQ(config->errorControl, kServiceErrorNormal);
  EXPECT_EQ(config->binaryPath, TestConfig().binaryPath);
  EXPECT_EQ(config->displayName, TestConfig().displayName);
  EXPECT_EQ(config->account, "LocalSystem");
}

TEST_F(ServicesTest, ChangeStartTypeUnderTheDatabaseLockKeepsTheRest) {
  Expected<Service> service = Create();
  ASSERT_TRUE(service) << service.status().code();
  {
    Expected<ServiceDatabaseLock> lock = m_manager->LockDatabase();
    ASSERT_TRUE(lock);
    // Wine hands the lock to every caller.
    if (!orvane::test::RunningUnderWine()) {
      EXPECT_EQ(m_manager->LockDatabase().status().code(), kServiceDatabaseLocked);
    }
    ASSERT_TRUE(service->ChangeStartType(StartType::kAutomatic));
  }
  Expected<ServiceConfig> config = service->QueryConfig(8192, nullptr);
  ASSERT_TRUE(config);
  EXPECT_EQ(config->startType, StartType::kAutomatic);
  EXPECT_EQ(config->binaryPath, TestConfig().binaryPath);
  EXPECT_EQ(config->displayName, TestConfig().displayName);

  Expected<ServiceDatabaseLock> again = m_manager->LockDatabase();
  EXPECT_TRUE(again) << "the lock is released with its object";
}

TEST_F(ServicesTest, DeletedStoppedServiceGoesWithItsLastHandle) {
  {
    Expected<Service> service = Create();
    ASSERT_TRUE(service);
    ASSERT_TRUE(service->Delete());
  }
  EXPECT_EQ(m_manager->OpenService(kName).status().code(), kServiceDoesNotExist);
  EXPECT_TRUE(m_manager->CreateService(kName, TestConfig()));
}

}  // namespace
}  // namespace orvane::os
