#include "orvane/testing/win32/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <atomic>

#include "orvane/os/win32/WindowsApi.h"

namespace orvane::testing {
namespace {

constexpr char kSandboxParent[] = "Software\\OrvaneTests";

// Redirects a predefined root of this process to a new key below path.
void Redirect(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  LONG code = ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  ASSERT_EQ(code, ERROR_SUCCESS) << "cannot create " << path;
  code = ::RegOverridePredefKey(root, key);
  ::RegCloseKey(key);  // the override holds its own handle
  ASSERT_EQ(code, ERROR_SUCCESS) << "cannot redirect a root to " << path;
}

}  // namespace

RegistrySandbox::RegistrySandbox() {
  static std::atomic<int> counter{0};
  m_keyPath = std::string(kSandboxParent) + "\\" + std::to_string(::GetCurrentProcessId()) + "-" +
              std::to_string(counter++);
  Redirect(HKEY_LOCAL_MACHINE, m_keyPath + "\\HKLM");
  Redirect(HKEY_CURRENT_USER, m_keyPath + "\\HKCU");
}

RegistrySandbox::~RegistrySandbox() {
  ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  EXPECT_EQ(::RegDeleteTreeA(HKEY_CURRENT_USER, m_keyPath.c_str()), ERROR_SUCCESS);
  ::RegDeleteKeyA(HKEY_CURRENT_USER, m_keyPath.c_str());
  // The parent goes with the last sandbox; it stays while others use it.
  ::RegDeleteKeyA(HKEY_CURRENT_USER, kSandboxParent);
}

}  // namespace orvane::testing
