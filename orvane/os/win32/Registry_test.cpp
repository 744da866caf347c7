// The Win32 registry, in a sandbox that redirects HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER of this process to fresh keys.
#include <gtest/gtest.h>

#include <cstdio>

#include "orvane/os/Accounts.h"
#include "orvane/os/Registry.h"
#include "orvane/os/win32/WindowsApi.h"
#include "orvane/testing/win32/RegistrySandbox.h"
#include "orvane/testing/win32/TempFolder.h"

namespace orvane::os {
namespace {

using testing::RegistrySandbox;
using testing::TempFolder;

constexpr unsigned long kPrivilegeNotHeld = ERROR_PRIVILEGE_NOT_HELD;
constexpr char kProductKey[] = "SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2";

TEST(Win32RegistryTest, TheSandboxHidesTheMachinesKeys) {
  RegistrySandbox sandbox;
  EXPECT_EQ(RegistryKey::Open(RegistryRoot::kLocalMachine, "SOFTWARE\\Microsoft",
                              RegistryAccess::kRead).status().code(),
            kFileNotFound);
  ASSERT_TRUE(RegistryKey::Create(RegistryRoot::kLocalMachine, kProductKey, "",
                                  RegistryAccess::kAll).ok());
  // The key was made under the sandbox, as the registry itself shows.
  HKEY key = nullptr;
  std::string real = sandbox.keyPath() + "\\HKLM\\" + kProductKey;
  ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  EXPECT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, real.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  ::RegCloseKey(key);
}

TEST(Win32RegistryTest, SavedSubtreesRestoreOntoAnotherKey) {
  RegistrySandbox sandbox;
  TempFolder folder;
  Expected<RegistryKey> source = RegistryKey::Create(
      RegistryRoot::kLocalMachine, "SOFTWARE\\VXR\\Tessaly Server\\2.0.0", "", RegistryAccess::kAll);
  ASSERT_TRUE(source.ok());
  Expected<RegistryKey> paths =
      RegistryKey::Create(RegistryRoot::kLocalMachine, "SOFTWARE\\VXR\\Tessaly Server\\2.0.0\\Paths",
                          "", RegistryAccess::kAll);
  ASSERT_TRUE(paths.ok());
  ASSERT_TRUE(paths->SetValue("TQ_INST_PATH", RegistryValue::String("C:\\Tessaly")).ok());
  Expected<RegistryKey> target = RegistryKey::Create(
      RegistryRoot::kLocalMachine, "SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2", "", RegistryAccess::kAll);
  ASSERT_TRUE(target.ok());
  ASSERT_TRUE(target->SetValue("Stale", RegistryValue::Dword(1)).ok());

  std::string hive = folder / "TQ3";
  ASSERT_TRUE(DisableAllTokenPrivileges().ok());
  EXPECT_EQ(source->SaveToFile(hive).code(), kPrivilegeNotHeld);
  ASSERT_TRUE(EnableTokenPrivilege("SeBackupPrivilege").ok());
  ASSERT_TRUE(source->SaveToFile(hive).ok());
  EXPECT_EQ(source->SaveToFile(hive).code(), kAlreadyExists);
  ASSERT_TRUE(DisableAllTokenPrivileges().ok());
  ASSERT_TRUE(EnableTokenPrivilege("SeRestorePrivilege").ok());
  Status restored = target->RestoreFromFile(hive);
  ASSERT_TRUE(DisableAllTokenPrivileges().ok());
  ASSERT_TRUE(restored.ok()) << restored.code();

  Expected<RegistryKey> copied = RegistryKey::Open(
      RegistryRoot::kLocalMachine, "SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths",
      RegistryAccess::kRead);
  ASSERT_TRUE(copied.ok());
  EXPECT_EQ(copied->QueryValue("TQ_INST_PATH")->AsString(), "C:\\Tessaly");
  EXPECT_EQ(target->QueryValue("Stale").status().code(), kFileNotFound);
}

// Another process sees what the seam writes: reg.exe reads the real registry.
TEST(Win32RegistryTest, RegExeSeesTheValueWritten) {
  std::string keyPath = "Software\\OrvaneTests\\reg-" + std::to_string(::GetCurrentProcessId());
  {
    Expected<RegistryKey> key =
        RegistryKey::Create(RegistryRoot::kCurrentUser, keyPath, "", RegistryAccess::kAll);
    ASSERT_TRUE(key.ok());
    ASSERT_TRUE(key->SetValue("QVSERVER", RegistryValue::String("chan/TCP/host(1414)")).ok());
  }
  std::string command = "reg query \"HKCU\\" + keyPath + "\" /v QVSERVER";
  FILE* output = ::_popen(command.c_str(), "r");
  ASSERT_NE(output, nullptr);
  std::string text;
  char line[512];
  while (std::fgets(line, sizeof line, output) != nullptr) text += line;
  int exitCode = ::_pclose(output);
  ::RegDeleteTreeA(HKEY_CURRENT_USER, keyPath.c_str());
  ::RegDeleteKeyA(HKEY_CURRENT_USER, keyPath.c_str());
  ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\OrvaneTests");
  EXPECT_EQ(exitCode, 0) << text;
  EXPECT_NE(text.find("QVSERVER"), std::string::npos) << text;
  EXPECT_NE(text.find("REG_SZ"), std::string::npos) << text;
  EXPECT_NE(text.find("chan/TCP/host(1414)"), std::string::npos) << text;
}

}  // namespace
}  // namespace orvane::os
