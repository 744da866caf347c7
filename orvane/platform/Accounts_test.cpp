#include "orvane/platform/Accounts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "orvane/testing/TempMachine.h"

namespace {

class AccountUtilitiesTest : public orvane::test::MachineTest {
 protected:
  void SetUp() override {
    const char* user = std::getenv("USERNAME");
    m_hadUser = user != nullptr;
    if (m_hadUser) m_savedUser = user;
  }
  void TearDown() override {
    if (m_hadUser) {
      setenv("USERNAME", m_savedUser.c_str(), 1);
    } else {
      unsetenv("USERNAME");
    }
  }

 private:
  bool m_hadUser = false;
  std::string m_savedUser;
};

TEST_F(AccountUtilitiesTest, UserNameFitsEightCharacters) {
  KelString name("unchanged");
  setenv("USERNAME", "operator", 1);
  EXPECT_EQ(KelGetUserName(name), 1);
  EXPECT_STREQ(name, "operator");

  setenv("USERNAME", "administrator", 1);
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
