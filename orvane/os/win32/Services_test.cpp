// The Win32 service control manager. Services are real entries of the
// (Wine) machine's service database, each named for this process and removed
// at the end; none ever runs.
#include <gtest/gtest.h>

#include <cstdio>

#include "orvane/os/Services.h"
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
