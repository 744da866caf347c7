// Test helpers of the platform services: an emulated machine with a virtual
// clock, services set up with the emulation's knobs, and registry readers.
#ifndef ORVANE_PLATFORM_PLATFORMTESTMACHINE_H_
#define ORVANE_PLATFORM_PLATFORMTESTMACHINE_H_

#include <cstdio>
#include <string>

#include "orvane/os/Registry.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::test {

// Text as a quoted registry editor string, backslashes and quotes escaped.
inline std::string RegText(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

inline std::string RegDword(unsigned long number) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08lx", number);
  return std::string("dword:") + digits;
}

// An emulated service: stopped, demand start, C:\bin\<name>.exe, no knobs,
// unless told otherwise.
class EmulatedService {
 public:
  EmulatedService& Running() { return Set(m_state, 4); }
  EmulatedService& Automatic() { return Set(m_startType, 2); }
  EmulatedService& StartDelay(unsigned long seconds) { return Set(m_startDelay, seconds); }
  EmulatedService& StopDelay(unsigned long seconds) { return Set(m_stopDelay, seconds); }
  EmulatedService& StartFails() { return Set(m_startFails, 1); }
  EmulatedService& Hangs() { return Set(m_hangs, 1); }
  EmulatedService& Image(const std::string& path) {
    m_image = path;
    return *this;
  }

  std::string RegistryText(const std::string& name) const {
    const std::string image = m_image.empty() ? "C:\\bin\\" + name + ".exe" : m_image;
    return "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\" + name + "]\r\n" +
           "\"Type\"=" + RegDword(0x10) + "\r\n\"Start\"=" + RegDword(m_startType) +
           "\r\n\"ErrorControl\"=" + RegDword(1) + "\r\n\"ImagePath\"=" + RegText(image) +
           "\r\n\"DisplayName\"=" + RegText(name) + "\r\n\"ObjectName\"=\"LocalSystem\"\r\n" +
           "[HKEY_LOCAL_MACHINE\\EMULATION\\Services\\" + name + "]\r\n" +
           "\"State\"=" + RegDword(m_state) + "\r\n\"StartDelay\"=" + RegDword(m_startDelay) +
           "\r\n\"StopDelay\"=" + RegDword(m_stopDelay) + "\r\n\"StartFails\"=" +
           RegDword(m_startFails) + "\r\n\"Hangs\"=" + RegDword(m_hangs) + "\r\n";
  }

 private:
  EmulatedService& Set(unsigned long& field, unsigned long value) {
    field = value;
    return *this;
  }

  unsigned long m_state = 1;
  unsigned long m_startType = 3;
  unsigned long m_startDelay = 0;
  unsigned long m_stopDelay = 0;
  unsigned long m_startFails = 0;
  unsigned long m_hangs = 0;
  std::string m_image;
};

// A fresh machine on the virtual clock.
class PlatformMachineTest : public MachineTest {
 protected:
  PlatformMachineTest() { machine.UseVirtualClock(); }

  void AddService(const std::string& name, const EmulatedService& service) {
    machine.WriteRegistry(service.RegistryText(name));
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

  static std::string ServiceValue(const std::string& service, const std::string& name) {
    return RegistryString(ServiceKey(service), name);
  }
  static unsigned long ServiceDword(const std::string& service, const std::string& name) {
    return RegistryDword(ServiceKey(service), name);
  }

  // The seconds the machine's clock has advanced.
  static unsigned long ClockSeconds() { return RegistryDword("EMULATION", "ClockSeconds"); }

 private:
  static std::string ServiceKey(const std::string& service) {
    return "SYSTEM\\CurrentControlSet\\Services\\" + service;
  }
};

}  // namespace orvane::test

#endif  // ORVANE_PLATFORM_PLATFORMTESTMACHINE_H_
