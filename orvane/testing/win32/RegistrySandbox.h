// A test's private registry on Windows: while a RegistrySandbox lives, this
// process's HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are fresh, empty keys
// under the real HKEY_CURRENT_USER (RegOverridePredefKey), so that a test
// neither depends on nor changes the machine's own keys. Other processes (the
// service control manager, reg.exe) still see the real registry; the ones
// that join the sandbox through its environment variable (RegistryRedirect.h)
// see this one.
//
// Header only, so that every test program that takes TempMachine.cpp has it.
#ifndef ORVANE_TESTING_WIN32_REGISTRYSANDBOX_H_
#define ORVANE_TESTING_WIN32_REGISTRYSANDBOX_H_

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "orvane/os/Process.h"
#include "orvane/os/win32/WindowsApi.h"
#include "orvane/testing/win32/RegistryRedirect.h"

namespace orvane::testing {

class RegistrySandbox {
 public:
  RegistrySandbox() {
    static std::atomic<int> counter{0};
    m_keyPath = std::string(kParent) + "\\" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
    const LONG code = RedirectRegistryRoots(m_keyPath);
    if (code != ERROR_SUCCESS) {
      ADD_FAILURE() << "cannot redirect the registry into " << m_keyPath << ": " << code;
    }
    // For the runtime's copy too: programs started through it join as well.
    os::SetEnvironmentVariable(kRegistrySandboxVariable, m_keyPath);
  }

  ~RegistrySandbox() {
    os::SetEnvironmentVariable(kRegistrySandboxVariable, "");
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    EXPECT_EQ(::RegDeleteTreeA(HKEY_CURRENT_USER, m_keyPath.c_str()), ERROR_SUCCESS);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, m_keyPath.c_str());
    // The parent goes with the last sandbox; it stays while others use it.
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kParent);
  }

  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  // The sandbox's key below the real HKEY_CURRENT_USER; the redirected roots
  // are its subkeys "HKLM" and "HKCU".
  const std::string& keyPath() const { return m_keyPath; }

 private:
  static constexpr char kParent[] = "Software\\OrvaneTests";

  std::string m_keyPath;
};

}  // namespace orvane::testing

#endif  // ORVANE_TESTING_WIN32_REGISTRYSANDBOX_H_
