// Accounts and token privileges of the process's own user.
#include <gtest/gtest.h>

#include "orvane/os/Accounts.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {
namespace {

TEST(Win32AccountsTest, TheCurrentUserIsTheLoggedOnUser) {
  Expected<std::string> user = CurrentUserName();
  ASSERT_TRUE(user.ok());
  EXPECT_FALSE(user->empty());
  char fromEnvironment[256];
  if (::GetEnvironmentVariableA("USERNAME", fromEnvironment, sizeof fromEnvironment) > 0) {
    EXPECT_STREQ(user->c_str(), fromEnvironment);
  }
}

// The level itself is the machine's business (Wine reports 0 for its user).
TEST(Win32AccountsTest, TheCurrentUsersInformationIsFound) {
  Expected<std::string> user = CurrentUserName();
  ASSERT_TRUE(user.ok());
  Expected<AccountPrivilege> privilege = LookUpAccountPrivilege(*user);
  EXPECT_TRUE(privilege.ok()) << privilege.status().code();
}

}  // namespace
}  // namespace orvane::os
