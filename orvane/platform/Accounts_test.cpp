#include "orvane/platform/Accounts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "orvane/os/Process.h"
#include "orvane/testing/Emulation.h"
#include "orvane/testing/TempMachine.h"

namespace {

class AccountUtilitiesTest : public orvane::test::MachineTest {
 protected:
  void SetUp() override {
    ORVANE_SKIP_WITHOUT_EMULATION("the user name from USERNAME, accounts under HKLM\\EMULATION");
    const char* user = std::getenv("USERNAME");
    m_hadUser = user != nullptr;
    if (m_hadUser) m_savedUser = user;
  }
  void TearDown() override {
    if (m_hadUser) orvane::os::SetEnvironmentVariable("USERNAME", m_savedUser);
#if !defined(_WIN32)
    if (!m_hadUser) unsetenv("USERNAME");
#endif
  }

 private:
  bool m_hadUser = false;
  std::string m_savedUser;
};

TEST_F(AccountUtilitiesTest, UserNameFitsEightCharacters) {
  KelString name("unchanged");
  orvane::os::SetEnvironmentVariable("USERNAME", "operator");
  EXPECT_EQ(KelGetUserName(name), 1);
  EXPECT_STREQ(name, "operator");

  orvane::os::SetEnvironmentVariable("USERNAME", "administrator");
  EXPECT_EQ(KelGetUserName(name), 0);
  EXPECT_STREQ(name, "operator");
}

TEST_F(AccountUtilitiesTest, OnlyAdministratorsCountAsExisting) {
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\visitor]\r\n\"Privilege\"=dword:00000000\r\n"
      "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\clerk]\r\n\"Privilege\"=dword:00000001\r\n"
      "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\dbadmin]\r\n\"Privilege\"=dword:00000002\r\n");
  EXPECT_EQ(KelIsUserExist("visitor"), 0);
  EXPECT_EQ(KelIsUserExist("clerk"), 0);
  EXPECT_EQ(KelIsUserExist("dbadmin"), 1);
  EXPECT_EQ(KelIsUserExist("nobody"), 0);
  EXPECT_EQ(KelIsUserExist(nullptr), 0);
}

}  // namespace
