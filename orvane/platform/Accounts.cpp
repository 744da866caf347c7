#include "orvane/platform/Accounts.h"

#include <string>

#include "orvane/os/Accounts.h"

namespace {

// The user name buffer holds 8 characters and the terminator.
constexpr size_t kMaxUserNameChars = 8;

}  // namespace

int KelGetUserName(KelString& name) {
  const auto user = orvane::os::CurrentUserName();
  if (!user || user->size() > kMaxUserNameChars) return 0;
  name = user->c_str();
  return 1;
}

int KelIsUserExist(const char* account) {
  if (account == nullptr) return 0;
  const auto privilege = orvane::os::LookUpAccountPrivilege(account);
  return privilege && *privilege == orvane::os::AccountPrivilege::kAdministrator ? 1 : 0;
}

int KelCheckAccess() { return 1; }
