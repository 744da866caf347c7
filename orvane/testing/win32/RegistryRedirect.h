// The redirection behind a test's private registry (RegistrySandbox.h),
// without GoogleTest, for the programs that a test starts as well: a test
// names its sandbox in the environment variable kRegistrySandboxVariable,
// and a helper program that the library starts (the Velq stand-in) redirects
// its own roots into the same keys, so both see one registry.
#ifndef ORVANE_TESTING_WIN32_REGISTRYREDIRECT_H_
#define ORVANE_TESTING_WIN32_REGISTRYREDIRECT_H_

#include <string>

#include "orvane/os/win32/WindowsApi.h"

namespace orvane::testing {

constexpr char kRegistrySandboxVariable[] = "ORVANE_REGISTRY_SANDBOX";

// Redirects one predefined root of this process to a key below the real
// HKEY_CURRENT_USER, made when missing. ERROR_SUCCESS, or the failing call's
// code.
inline LONG RedirectRoot(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  LONG code = ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (code != ERROR_SUCCESS) return code;
  code = ::RegOverridePredefKey(root, key);
  ::RegCloseKey(key);  // the override holds its own handle
  return code;
}

// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process become the keys
// "HKLM" and "HKCU" below keyPath (HKEY_CURRENT_USER last: the keys are made
// below the real one). The first failing code, or ERROR_SUCCESS.
inline LONG RedirectRegistryRoots(const std::string& keyPath) {
  const LONG machine = RedirectRoot(HKEY_LOCAL_MACHINE, keyPath + "\\HKLM");
  const LONG user = RedirectRoot(HKEY_CURRENT_USER, keyPath + "\\HKCU");
  return machine != ERROR_SUCCESS ? machine : user;
}

}  // namespace orvane::testing

#endif  // ORVANE_TESTING_WIN32_REGISTRYREDIRECT_H_
