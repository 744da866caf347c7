// Accounts and token privileges on the Win32 API.
#include "orvane/os/Accounts.h"

#include <vector>

#include "orvane/os/win32/ApiStatus.h"
#include "orvane/os/win32/ScopedHandle.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {
namespace {

std::wstring ToWide(const std::string& text) {
  int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? length : 1, L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(wide.size() - 1);  // the terminator
  return wide;
}

// Fails like the Win32 call when the account is unknown on this machine.
Status LookUpAccount(const std::string& account) {
  std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
  DWORD sidSize = static_cast<DWORD>(sid.size());
  char domain[MAX_PATH];
  DWORD domainSize = sizeof domain;
  SID_NAME_USE use;
  if (!::LookupAccountNameA(nullptr, account.c_str(), sid.data(), &sidSize, domain, &domainSize,
                            &use)) {
    return LastErrorFailure();
  }
  return Status();
}

Expected<ScopedKernelHandle> OpenOwnToken() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return LastErrorFailure();
  }
  return ScopedKernelHandle(token);
}

}  // namespace

Expected<AccountPrivilege> LookUpAccountPrivilege(const std::string& account) {
  Status found = LookUpAccount(account);
  if (!found.ok()) return found;
  USER_INFO_1* info = nullptr;
  NET_API_STATUS code = ::NetUserGetInfo(nullptr, ToWide(account).c_str(), 1,
                                         reinterpret_cast<BYTE**>(&info));
  if (code != NERR_Success) return Status::Failure(code);
  auto privilege = static_cast<AccountPrivilege>(info->usri1_priv);
  ::NetApiBufferFree(info);
  return privilege;
}

Expected<std::string> CurrentUserName() {
  char name[UNLEN + 1];
  DWORD size = sizeof name;
  if (!::GetUserNameA(name, &size)) return LastErrorFailure();
  return std::string(name);
}

Status EnableTokenPrivilege(const std::string& privilege) {
  Expected<ScopedKernelHandle> token = OpenOwnToken();
  if (!token.ok()) return token.status();
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!::LookupPrivilegeValueA(nullptr, privilege.c_str(), &privileges.Privileges[0].Luid)) {
    return LastErrorFailure();
  }
  if (!::AdjustTokenPrivileges(token->get(), FALSE, &privileges, 0, nullptr, nullptr)) {
    return LastErrorFailure();
  }
  // The call succeeds also when the token does not hold the privilege at all;
  // then it says so in the last error.
  if (::GetLastError() == ERROR_NOT_ALL_ASSIGNED) return LastErrorFailure();
  return Status();
}

Status DisableAllTokenPrivileges() {
  Expected<ScopedKernelHandle> token = OpenOwnToken();
  if (!token.ok()) return token.status();
  if (!::AdjustTokenPrivileges(token->get(), TRUE, nullptr, 0, nullptr, nullptr)) {
    return LastErrorFailure();
  }
  return Status();
}

}  // namespace orvane::os
