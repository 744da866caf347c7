// Test helpers of the platform services: a machine with a virtual clock
// (where it has one), test services on either backend, and registry readers.
#ifndef ORVANE_PLATFORM_PLATFORMTESTMACHINE_H_
#define ORVANE_PLATFORM_PLATFORMTESTMACHINE_H_

#include <cstdio>
#include <string>

#include "orvane/os/Registry.h"
#include "orvane/os/Services.h"
#include "orvane/testing/TempMachine.h"
#include "orvane/testing/TestServices.h"

namespace orvane::test {

// A fresh machine on the virtual clock (on Windows, in real time).
class PlatformMachineTest : public MachineTest {
 protected:
  PlatformMachineTest() {
#if !defined(_WIN32)
    machine.UseVirtualClock();
#endif
  }

  void AddService(const std::string& name, const EmulatedService& service) {
    services.Add(name, service);
  }

  // A value of an HKEY_LOCAL_MACHINE key as text, or "<no key>" / "<no value>".
  static std::string RegistryString(const std::string& key, const std::string& name) {
    auto opened = os::RegistryKey::Open(os::RegistryRoot::kLocalMachine, key,
                                        os::RegistryAccess::kRead);
    if (!opened) return "<no key>";
    auto value = opened->QueryValue(name);
    return value ? value->AsString() : "<no value>";
  }
  static unsigned long RegistryDword(const std::string& key, const std::string& name) {
    auto opened = os::RegistryKey::Open(os::RegistryRoot::kLocalMachine, key,
                                        os::RegistryAccess::kRead);
    if (!opened) return 0;
    auto value = opened->QueryValue(name);
    return value ? value->AsDword() : 0;
  }

  // A service's configuration as the service control manager gives it:
  // "ImagePath", "DisplayName"; "Start", "Type", "ErrorControl".
  static std::string ServiceValue(const std::string& service, const std::string& name) {
    auto config = ServiceConfigOf(service);
    if (!config) return "<no key>";
    if (name == "ImagePath") return config->binaryPath;
    if (name == "DisplayName") return config->displayName;
    return "<no value>";
  }
  static unsigned long ServiceDword(const std::string& service, const std::string& name) {
    auto config = ServiceConfigOf(service);
    if (!config) return 0;
    if (name == "Start") return static_cast<unsigned long>(config->startType);
    if (name == "Type") return config->serviceType;
    if (name == "ErrorControl") return config->errorControl;
    return 0;
  }

  // A service's state as the service control manager reports it (1 stopped,
  // 2 start pending, 3 stop pending, 4 running), 0 when it cannot be queried.
  static unsigned long ServiceStateNumber(const std::string& service) {
    auto manager = os::ServiceManager::Open();
    if (!manager) return 0;
    auto opened = manager->OpenService(service);
    if (!opened) return 0;
    auto status = opened->QueryStatus();
    return status ? static_cast<unsigned long>(status->state) : 0;
  }

  // The seconds passed since the test began: on the machine's clock.
  unsigned long ClockSeconds() const { return services.ElapsedSeconds(); }

  TestServices services{machine};

 private:
  static os::Expected<os::ServiceConfig> ServiceConfigOf(const std::string& service) {
    auto manager = os::ServiceManager::Open();
    if (!manager) return manager.status();
    auto opened = manager->OpenService(service);
    if (!opened) return opened.status();
    unsigned long needed = 0;
    return opened->QueryConfig(8192, &needed);
  }
};

}  // namespace orvane::test

#endif  // ORVANE_PLATFORM_PLATFORMTESTMACHINE_H_
