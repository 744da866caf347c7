// Accounts of the emulated machine: HKLM\EMULATION\Accounts\<name>, with the
// account's privilege level in "Privilege" (0 guest, 1 user, 2
// administrator; an account without the value is an ordinary user).
#include "orvane/os/Accounts.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "orvane/os/Network.h"
#include "orvane/os/Backend.h"
#include "orvane/os/posix/AsciiCase.h"
#include "orvane/os/posix/RegistryUtil.h"

namespace orvane::os {
namespace {

constexpr char kAccountsKey[] = "EMULATION\\Accounts\\";

// The account part of a name; a "machine\account" name must name this
// machine, as local accounts can only be found under its name.
Expected<std::string> LocalAccountPart(const std::string& account) {
  std::string::size_type separator = account.find('\\');
  if (separator == std::string::npos) return account;
  std::string domain = account.substr(0, separator);
  Expected<std::string> localName = LocalHostName();
  if (!localName || !posix::EqualsIgnoringCase(domain, *localName)) {
    return Status::Failure(kNoneMapped);
  }
  return account.substr(separator + 1);
}

}  // namespace

Expected<AccountPrivilege> LookUpAccountPrivilege(const std::string& account) {
  Expected<std::string> name = LocalAccountPart(account);
  if (!name) return name.status();
  if (name->empty() || name->find_first_of("\\/") != std::string::npos) {
    return Status::Failure(kNoneMapped);
  }
  Expected<backend::RegistryKey> key = backend::RegistryKey::Open(
      RegistryRoot::kLocalMachine, kAccountsKey + *name, RegistryAccess::kRead);
  if (!key) return Status::Failure(kNoneMapped);
  unsigned long privilege = posix::QueryDwordOr(
      *key, "Privilege", static_cast<unsigned long>(AccountPrivilege::kUser));
  if (privilege > static_cast<unsigned long>(AccountPrivilege::kAdministrator)) {
    return Status::Failure(kBadConfiguration);
  }
  return static_cast<AccountPrivilege>(privilege);
}

Expected<std::string> CurrentUserName() {
  const char* userName = std::getenv("USERNAME");
  if (userName != nullptr && *userName != '\0') return std::string(userName);
  const passwd* entry = getpwuid(geteuid());
  if (entry == nullptr || entry->pw_name == nullptr) return Status::Failure(kNoneMapped);
  return std::string(entry->pw_name);
}

// The emulated process token has every privilege it asks for; nothing on the
// machine checks them.
Status EnableTokenPrivilege(const std::string& privilege) {
  if (privilege.empty()) return Status::Failure(kInvalidParameter);
  return Status();
}

Status DisableAllTokenPrivileges() { return Status(); }

}  // namespace orvane::os
