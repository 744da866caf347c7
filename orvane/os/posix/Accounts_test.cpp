// Accounts of the emulated machine and who the current user is.
#include "orvane/os/Accounts.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

class EmulatedAccountsTest : public orvane::test::MachineTest {
 protected:
  void SetUp() override {
    const char* userName = std::getenv("USERNAME");
    if (userName != nullptr) m_savedUserName = userName;
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n"
        "\"Hostname\"=\"SHOPHOST\"\r\n"
        "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\velqadm]\r\n"
        "\"Privilege\"=dword:00000002\r\n"
        "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\clerk]\r\n"
        "\"Privilege\"=dword:00000001\r\n"
        "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\visitor]\r\n"
        "\"Privilege\"=dword:00000000\r\n"
        "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\plain]\r\n"
        "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\odd]\r\n"
        "\"Privilege\"=dword:00000007\r\n");
  }

  void TearDown() override {
    if (m_savedUserName) {
      setenv("USERNAME", m_savedUserName->c_str(), 1);
    } else {
      unsetenv("USERNAME");
    }
  }

  static AccountPrivilege PrivilegeOf(const std::string& account) {
    Expected<AccountPrivilege> privilege = LookUpAccountPrivilege(account);
    EXPECT_TRUE(privilege) << account << ": " << privilege.status().code();
    return privilege ? *privilege : AccountPrivilege::kGuest;
  }

  std::optional<std::string> m_savedUserName;
};

TEST_F(EmulatedAccountsTest, PrivilegeComesFromTheAccountsKey) {
  EXPECT_EQ(PrivilegeOf("velqadm"), AccountPrivilege::kAdministrator);
  EXPECT_EQ(PrivilegeOf("VELQADM"), AccountPrivilege::kAdministrator);
  EXPECT_EQ(PrivilegeOf("clerk"), AccountPrivilege::kUser);
  EXPECT_EQ(PrivilegeOf("visitor"), AccountPrivilege::kGuest);
  EXPECT_EQ(PrivilegeOf("plain"), AccountPrivilege::kUser);
  EXPECT_FALSE(LookUpAccountPrivilege("odd"));
}

TEST_F(EmulatedAccountsTest, MachineQualifiedNamesMustNameThisMachine) {
  EXPECT_EQ(PrivilegeOf("shophost\\velqadm"), AccountPrivilege::kAdministrator);
  EXPECT_EQ(LookUpAccountPrivilege("OTHERHOST\\velqadm").status().code(), kNoneMapped);
}

TEST_F(EmulatedAccountsTest, NamesThatAreNoAccountAreNotMapped) {
  EXPECT_EQ(LookUpAccountPrivilege("").status().code(), kNoneMapped);
  EXPECT_EQ(LookUpAccountPrivilege("shophost\\").status().code(), kNoneMapped);
  EXPECT_EQ(LookUpAccountPrivilege("nobody").status().code(), kNoneMapped);
}

TEST_F(EmulatedAccountsTest, CurrentUserIsUsernameWhenSet) {
  setenv("USERNAME", "tqadmin", 1);
  EXPECT_EQ(*CurrentUserName(), "tqadmin");
  unsetenv("USERNAME");
  Expected<std::string> hostLogin = CurrentUserName();
  ASSERT_TRUE(hostLogin);
  EXPECT_NE(*hostLogin, "tqadmin");
  EXPECT_FALSE(hostLogin->empty());
}

}  // namespace
}  // namespace orvane::os
