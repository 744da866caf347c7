// A test's private registry on Windows: while a RegistrySandbox lives, this
// process's HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are fresh, empty keys
// under the real HKEY_CURRENT_USER (RegOverridePredefKey), so that a test
// neither depends on nor changes the machine's own keys. Other processes (the
// service control manager, reg.exe) still see the real registry.
#ifndef ORVANE_TESTING_WIN32_REGISTRYSANDBOX_H_
#define ORVANE_TESTING_WIN32_REGISTRYSANDBOX_H_

#include <string>

namespace orvane::testing {

class RegistrySandbox {
 public:
  RegistrySandbox();
  ~RegistrySandbox();
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  // The sandbox's key below the real HKEY_CURRENT_USER; the redirected roots
  // are its subkeys "HKLM" and "HKCU".
  const std::string& keyPath() const { return m_keyPath; }

 private:
  std::string m_keyPath;
};

}  // namespace orvane::testing

#endif  // ORVANE_TESTING_WIN32_REGISTRYSANDBOX_H_
