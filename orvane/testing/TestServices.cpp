#include "orvane/testing/TestServices.h"

#include <cstdio>

namespace orvane::test {

std::string RegText(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string RegDword(unsigned long number) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08lx", number);
  return std::string("dword:") + digits;
}

std::string EmulatedService::RegistryText(const std::string& name, bool withRunState) const {
  std::string text = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\" + name +
                     "]\r\n\"Type\"=" + RegDword(0x10) + "\r\n\"Start\"=" + RegDword(m_startType) +
                     "\r\n\"ErrorControl\"=" + RegDword(1) + "\r\n\"ImagePath\"=" +
                     RegText(image(name)) + "\r\n\"DisplayName\"=" + RegText(name) +
                     "\r\n\"ObjectName\"=\"LocalSystem\"\r\n";
  if (!withRunState) return text;
  return text + "[HKEY_LOCAL_MACHINE\\EMULATION\\Services\\" + name + "]\r\n" +
         "\"State\"=" + RegDword(m_state) + "\r\n\"StartDelay\"=" + RegDword(m_startDelay) +
         "\r\n\"StopDelay\"=" + RegDword(m_stopDelay) + "\r\n\"StartFails\"=" +
         RegDword(m_startFails) + "\r\n\"Hangs\"=" + RegDword(m_hangs) + "\r\n";
}

}  // namespace orvane::test
