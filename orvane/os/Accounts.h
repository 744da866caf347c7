// Accounts and the process token's privileges, for the OS seam.
#ifndef ORVANE_OS_ACCOUNTS_H_
#define ORVANE_OS_ACCOUNTS_H_

#include <string>

#include "orvane/os/Status.h"

namespace orvane::os {

// The privilege levels of a local account, by their Win32 numbers.
enum class AccountPrivilege : unsigned long {
  kGuest = 0,
  kUser = 1,
  kAdministrator = 2,
};

// The privilege level of a local account: the account is looked up by name
// (kNoneMapped when unknown), then its user information is read. On the
// emulated machine accounts are HKLM\EMULATION\Accounts\<name>.
Expected<AccountPrivilege> LookUpAccountPrivilege(const std::string& account);

// The name of the user the process runs as. On the emulated machine: the
// environment's USERNAME when set, else the host login name.
Expected<std::string> CurrentUserName();

// Enables one privilege ("SeBackupPrivilege") on the process token.
Status EnableTokenPrivilege(const std::string& privilege);
// Disables every privilege of the process token.
Status DisableAllTokenPrivileges();

}  // namespace orvane::os

#endif  // ORVANE_OS_ACCOUNTS_H_
