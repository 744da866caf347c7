// The Win32 service control manager. Services are real entries of the
// (Wine) machine's service database, each named for this process and removed
// at the end; none is ever started.
#include <gtest/gtest.h>

#include <cstdio>

#include "orvane/os/Services.h"
#include "orvane/os/win32/Wine.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {
namespace {

class Win32ServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Expected<ServiceManager> manager = ServiceManager::Open();
    ASSERT_TRUE(manager.ok()) << manager.status().code();
    m_manager.emplace(std::move(*manager));
    static int counter = 0;
    m_name = "OrvaneTest" + std::to_string(::GetCurrentProcessId()) + "x" + std::to_string(counter++);
  }

  void TearDown() override {
    if (!m_manager) return;
    Expected<Service> service = m_manager->OpenService(m_name);
    if (service.ok()) service->Delete();
  }

  static ServiceConfig InstanceConfig(const std::string& name) {
    ServiceConfig config;
    config.binaryPath = "C:\\Tessaly\\bin\\srvrctrl.exe";
    config.displayName = "Tessaly - " + name;
    return config;
  }

  std::optional<ServiceManager> m_manager;
  std::string m_name;
};

TEST_F(Win32ServicesTest, CreatedServicesReportTheirConfiguration) {
  Expected<Service> created = m_manager->CreateService(m_name, InstanceConfig("mall"));
  ASSERT_TRUE(created.ok()) << created.status().code();
  EXPECT_EQ(created->name(), m_name);

  Expected<Service> service = m_manager->OpenService(m_name);
  ASSERT_TRUE(service.ok());
  unsigned long needed = 0;
  Expected<ServiceConfig> config = service->QueryConfig(8192, &needed);
  ASSERT_TRUE(config.ok()) << config.status().code();
  EXPECT_EQ(config->serviceType, kServiceWin32OwnProcess);
  EXPECT_EQ(config->startType, StartType::kDemand);
  EXPECT_EQ(config->errorControl, kServiceErrorNormal);
  EXPECT_EQ(config->binaryPath, "C:\\Tessaly\\bin\\srvrctrl.exe");
  EXPECT_EQ(config->displayName, "Tessaly - mall");
  EXPECT_EQ(config->account, "LocalSystem");

  Expected<ServiceStatus> status = service->QueryStatus();
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(status->state, ServiceState::kStopped);
}

TEST_F(Win32ServicesTest, ASmallConfigurationBufferTellsTheSizeNeeded) {
  ASSERT_TRUE(m_manager->CreateService(m_name, InstanceConfig("mall")).ok());
  Expected<Service> service = m_manager->OpenService(m_name);
  ASSERT_TRUE(service.ok());
  unsigned long needed = 0;
  Expected<ServiceConfig> config = service->QueryConfig(40, &needed);
  EXPECT_EQ(config.status().code(), kInsufficientBuffer);
  EXPECT_GT(needed, 40u);
  EXPECT_TRUE(service->QueryConfig(needed, nullptr).ok());
}

TEST_F(Win32ServicesTest, NamesAreUniqueAndDeletedServicesAreGone) {
  ASSERT_TRUE(m_manager->CreateService(m_name, InstanceConfig("mall")).ok());
  EXPECT_EQ(m_manager->CreateService(m_name, InstanceConfig("other")).status().code(),
            kServiceExists);
  {
    Expected<Service> service = m_manager->OpenService(m_name);
    ASSERT_TRUE(service.ok());
    EXPECT_TRUE(service->Delete().ok());
    EXPECT_EQ(service->Delete().code(), kServiceMarkedForDelete);
  }
  // The service goes when its last handle is closed.
  EXPECT_EQ(m_manager->OpenService(m_name).status().code(), kServiceDoesNotExist);
}

TEST_F(Win32ServicesTest, StartTypeChangesUnderTheDatabaseLock) {
  ASSERT_TRUE(m_manager->CreateService(m_name, InstanceConfig("mall")).ok());
  Expected<Service> service = m_manager->OpenService(m_name);
  ASSERT_TRUE(service.ok());
  {
    Expected<ServiceDatabaseLock> lock = m_manager->LockDatabase();
    ASSERT_TRUE(lock.ok()) << lock.status().code();
    // Wine hands out the lock to every caller.
    if (!RunningUnderWine()) {
      EXPECT_EQ(m_manager->LockDatabase().status().code(), kServiceDatabaseLocked);
    }
    EXPECT_TRUE(service->ChangeStartType(StartType::kAutomatic).ok());
  }
  Expected<ServiceConfig> config = service->QueryConfig(8192, nullptr);
  ASSERT_TRUE(config.ok());
  EXPECT_EQ(config->startType, StartType::kAutomatic);
  EXPECT_EQ(config->binaryPath, "C:\\Tessaly\\bin\\srvrctrl.exe");  // left unchanged
  EXPECT_EQ(config->displayName, "Tessaly - mall");
  // The lock went with its object.
  EXPECT_TRUE(m_manager->LockDatabase().ok());
}

TEST_F(Win32ServicesTest, StoppedServicesRefuseTheStopControl) {
  ASSERT_TRUE(m_manager->CreateService(m_name, InstanceConfig("mall")).ok());
  Expected<Service> service = m_manager->OpenService(m_name);
  ASSERT_TRUE(service.ok());
  EXPECT_EQ(service->Stop().code(), kServiceNotActive);
  EXPECT_EQ(LastError(), kServiceNotActive);
}

TEST_F(Win32ServicesTest, AServiceWhoseProgramIsMissingDoesNotStart) {
  ASSERT_TRUE(m_manager->CreateService(m_name, InstanceConfig("mall")).ok());
  Expected<Service> service = m_manager->OpenService(m_name);
  ASSERT_TRUE(service.ok());
  Status started = service->Start();
  EXPECT_FALSE(started.ok());
  EXPECT_EQ(service->QueryStatus()->state, ServiceState::kStopped);
}

// Another process sees the service: sc.exe asks the service control manager.
TEST_F(Win32ServicesTest, ScExeSeesTheCreatedService) {
  ASSERT_TRUE(m_manager->CreateService(m_name, InstanceConfig("mall")).ok());
  FILE* output = ::_popen(("sc query " + m_name).c_str(), "r");
  ASSERT_NE(output, nullptr);
  std::string text;
  char line[512];
  while (std::fgets(line, sizeof line, output) != nullptr) text += line;
  EXPECT_EQ(::_pclose(output), 0) << text;
  EXPECT_NE(text.find("SERVICE_NAME: " + m_name), std::string::npos) << text;
  EXPECT_NE(text.find("STOPPED"), std::string::npos) << text;
}

}  // namespace
}  // namespace orvane::os
