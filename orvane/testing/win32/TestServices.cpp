// Test services on Windows: real services of the machine's service control
// manager, running orvane_test_service.exe, timed in real time.
#include "orvane/testing/TestServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "orvane/os/Services.h"
#include "orvane/os/win32/WindowsApi.h"
#include "orvane/testing/ProgramPipe.h"
#include "orvane/testing/QuickPolls.h"
#include "orvane/testing/win32/TestServiceRelease.h"

namespace orvane::test {
namespace {

using os::ServiceState;

std::string ServiceProgram() { return ProgramPath(ORVANE_TEST_SERVICE_PROGRAM); }

std::string ProgramBytes() {
  std::ifstream in(ServiceProgram(), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string CommandLine(const std::string& program, const EmulatedService& service) {
  std::string command = "\"" + program + "\"";
  if (service.startDelay()) command += " --start-seconds=" + std::to_string(service.startDelay());
  if (service.stopDelay()) command += " --stop-seconds=" + std::to_string(service.stopDelay());
  // The transition the test asks for hangs: a running service's stop.
  if (service.hangs()) command += service.running() ? " --hang-stop" : " --hang-start";
  return command;
}

// Polls every tenth of a second, for at most seconds, until reached() holds.
template <class Predicate>
bool WaitFor(unsigned long seconds, Predicate reached) {
  for (unsigned long tick = 0; tick < seconds * 10; ++tick) {
    if (reached()) return true;
    ::Sleep(100);
  }
  return reached();
}

bool HasState(const os::Service& service, ServiceState state) {
  auto status = service.QueryStatus();
  return status && status->state == state;
}

// Ends the hang of a hanging test service; nothing for any other.
void Release(const std::string& name) {
  HANDLE released = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, ReleaseEventName(name).c_str());
  if (released == nullptr) return;
  ::SetEvent(released);
  ::CloseHandle(released);
}

// Stops a service (waiting for its stop, a hanging one released) and
// deletes it, waiting until the name is free again.
void Remove(const std::string& name) {
  auto manager = os::ServiceManager::Open();
  if (!manager) return;
  {
    auto service = manager->OpenService(name);
    if (!service) return;
    service->Stop();
    Release(name);
    EXPECT_TRUE(WaitFor(30, [&] { return HasState(*service, ServiceState::kStopped); }))
        << "service " << name << " does not stop";
    service->Delete();
  }  // the service goes once its last handle is closed
  WaitFor(10, [&] { return !manager->OpenService(name); });
}

// The process a running service runs in; 0 when it does not run.
unsigned long RunningProcessId(const std::string& name) {
  SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return 0;
  SC_HANDLE service = ::OpenServiceA(manager, name.c_str(), SERVICE_QUERY_STATUS);
  SERVICE_STATUS_PROCESS status = {};
  DWORD needed = 0;
  const bool queried =
      service != nullptr && ::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO,
                                                   reinterpret_cast<BYTE*>(&status), sizeof status,
                                                   &needed);
  if (service != nullptr) ::CloseServiceHandle(service);
  ::CloseServiceHandle(manager);
  return queried && status.dwCurrentState == SERVICE_RUNNING ? status.dwProcessId : 0;
}

}  // namespace

const unsigned long TestServices::kSlackSeconds = 1;

TestServices::TestServices(TempMachine& machine)
    : m_machine(machine), m_startMs(::GetTickCount64()) {}

TestServices::~TestServices() {
  for (const std::string& name : m_names) Remove(name);
}

void TestServices::Add(const std::string& name, const EmulatedService& service) {
  Own(name);
  Remove(name);
  m_processIds.erase(name);
  // Registry readers (the Velq service search) look at the configuration key.
  m_machine.WriteRegistry(service.RegistryText(name, false));

  os::ServiceConfig config;
  config.startType = static_cast<os::StartType>(service.startType());
  config.displayName = name;
  const std::string image = service.image(name);
  if (service.startFails() && !service.running()) {
    config.binaryPath = image;  // does not exist: the start is refused
  } else if (service.hasOwnImage()) {
    // An image of its own, which runs only when it must.
    if (service.running() && !m_machine.FileExists(image)) {
      m_machine.WriteFile(image, ProgramBytes());
    }
    config.binaryPath = service.running() ? CommandLine(image, service) : image;
  } else {
    config.binaryPath = CommandLine(ServiceProgram(), service);
  }
  auto manager = os::ServiceManager::Open();
  ASSERT_TRUE(manager) << manager.status().code();
  auto created = manager->CreateService(name, config);
  ASSERT_TRUE(created) << "cannot create service " << name << ": " << created.status().code();
  if (!service.running()) return;
  ASSERT_TRUE(created->Start()) << "cannot start service " << name;
  EXPECT_TRUE(WaitFor(10 + service.startDelay(),
                      [&] { return HasState(*created, ServiceState::kRunning); }))
      << "service " << name << " does not start";
  m_processIds[name] = RunningProcessId(name);
}

// Started again, the service runs in another process.
bool TestServices::Restarted(const std::string& name) const {
  const auto added = m_processIds.find(name);
  const unsigned long now = RunningProcessId(name);
  return added != m_processIds.end() && now != 0 && now != added->second;
}

void TestServices::Own(const std::string& name) {
  if (std::find(m_names.begin(), m_names.end(), name) == m_names.end()) m_names.push_back(name);
}

unsigned long TestServices::ElapsedSeconds() const {
  // The poll clock, like the virtual clock, advances by waits alone.
  const unsigned long long elapsedMs =
      QuickPolls::Active() ? QuickPolls::WaitedMilliseconds() : ::GetTickCount64() - m_startMs;
  return static_cast<unsigned long>(elapsedMs / 1000);
}

}  // namespace orvane::test
