// Accounts and token privileges as every backend offers them.
#include "orvane/os/Accounts.h"

#include <gtest/gtest.h>

#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

class AccountsTest : public orvane::test::MachineTest {};

TEST_F(AccountsTest, UnknownAccountIsNotMapped) {
  Expected<AccountPrivilege> privilege = LookUpAccountPrivilege("orvane-no-such-account");
  EXPECT_EQ(privilege.status().code(), kNoneMapped);
  EXPECT_EQ(LastError(), kNoneMapped);
}

TEST_F(AccountsTest, CurrentUserHasAName) {
  Expected<std::string> name = CurrentUserName();
  ASSERT_TRUE(name) << name.status().code();
  EXPECT_FALSE(name->empty());
}

TEST_F(AccountsTest, BackupPrivilegeCanBeEnabledAndEverythingDisabled) {
  EXPECT_TRUE(EnableTokenPrivilege("SeBackupPrivilege"));
  EXPECT_TRUE(DisableAllTokenPrivileges());
}

}  // namespace
}  // namespace orvane::os
