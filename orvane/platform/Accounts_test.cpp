#include "orvane/platform/Accounts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "orvane/os/Accounts.h"
#include "orvane/os/Process.h"
#include "orvane/testing/TempMachine.h"

namespace {

// On Windows the user name is the process's own, whatever USERNAME says, and
// the accounts are the machine's own: the tests take both from the machine.
class AccountUtilitiesTest : public orvane::test::MachineTest {
 protected:
  void SetUp() override {
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

  // The names the test runs as, one after the other (set through USERNAME).
  static std::vector<std::string> UserNames() {
#if defined(_WIN32)
    const auto user = orvane::os::CurrentUserName();
    EXPECT_TRUE(user.ok());
    return {user.ok() ? *user : std::string()};
#else
    return {"operator", "administrator"};
#endif
  }

 private:
  bool m_hadUser = false;
  std::string m_savedUser;
};

TEST_F(AccountUtilitiesTest, UserNameFitsEightCharacters) {
  KelString name("unchanged");
  std::string lastFitting = "unchanged";
  for (const std::string& user : UserNames()) {
    orvane::os::SetEnvironmentVariable("USERNAME", user);
    const bool fits = user.size() <= 8;
    EXPECT_EQ(KelGetUserName(name), fits ? 1 : 0) << user;
    if (fits) lastFitting = user;
    EXPECT_EQ(std::string(name), lastFitting) << user;  // a refused name changes nothing
  }
}

TEST_F(AccountUtilitiesTest, OnlyAdministratorsCountAsExisting) {
  for (const auto& account : machine.AddAccounts()) {
    EXPECT_EQ(KelIsUserExist(account.name.c_str()), account.privilege == 2 ? 1 : 0) << account.name;
  }
  EXPECT_EQ(KelIsUserExist("nobody"), 0);
  EXPECT_EQ(KelIsUserExist(nullptr), 0);
}

}  // namespace
