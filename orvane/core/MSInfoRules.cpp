// The validation rules of the instance record. A null text counts as empty.
//
// Beside its length, each text keeps to what its place in the command files
// and scripts can hold (orvane/core/CommandValues.h): host names and database
// names bare, paths and the database password in double quotes.
#include <cstring>

#include "orvane/core/CommandValues.h"
#include "orvane/core/MSInfo.h"
#include "orvane/platform/Accounts.h"

namespace {

constexpr int kMaxNameChars = 8;
constexpr int kMaxPathChars = 260;
constexpr int kMaxHostChars = 64;
constexpr int kMaxPswdChars = 16;
constexpr int kMerKeyChars = 16;
constexpr int kIPAddrParts = 4;
constexpr int kMaxIPAddrPart = 255;

int LengthOf(const char* text) { return text == nullptr ? 0 : static_cast<int>(std::strlen(text)); }

int LengthWithin(const char* text, int least, int most) {
  const int length = LengthOf(text);
  return length >= least && length <= most ? 1 : 0;
}

int NumberWithin(int value, int least, int most) { return value >= least && value <= most ? 1 : 0; }

}  // namespace

int MSInfo::CheckPath(const char* path) {
  return LengthWithin(path, 1, kMaxPathChars) && orvane::IsQuotableText(path);
}
int MSInfo::CheckHost(const char* host) {
  return LengthWithin(host, 1, kMaxHostChars) && orvane::IsHostNameText(host);
}
int MSInfo::CheckPswd(const char* password) { return LengthWithin(password, 0, kMaxPswdChars); }
int MSInfo::CheckPort(int port) { return NumberWithin(port, 1024, 65535) && port != kReservedPort; }

int MSInfo::CheckName(const char* name) {
  return LengthWithin(name, 1, kMaxNameChars) && orvane::IsInstanceNameText(name);
}
int MSInfo::CheckRootPath(const char* path) { return CheckPath(path); }
int MSInfo::CheckMacroPath(const char* path) { return CheckPath(path); }
int MSInfo::CheckCgiPath(const char* path) { return CheckPath(path); }
int MSInfo::CheckHtmlPath(const char* path) { return CheckPath(path); }
int MSInfo::CheckISHost(const char* host) { return CheckHost(host); }
int MSInfo::CheckDBHost(const char* host) { return CheckHost(host); }
int MSInfo::CheckZKHost(const char* host) { return CheckHost(host); }
int MSInfo::CheckDBName(const char* name) {
  return LengthWithin(name, 1, kMaxNameChars) && orvane::IsDatabaseWord(name);
}
int MSInfo::CheckDBUser(const char* user) {
  return LengthWithin(user, 1, kMaxNameChars) && orvane::IsDatabaseWord(user);
}
int MSInfo::CheckDBSvc(const char* service) { return orvane::IsDatabaseWord(service) ? 1 : 0; }
// The hosting data scripts get the password in double quotes.
int MSInfo::CheckDBPswd(const char* password) {
  return CheckPswd(password) && orvane::IsQuotableText(password);
}
int MSInfo::CheckCMSPswd(const char* password) { return CheckPswd(password); }

int MSInfo::CheckDBOwner(const char* owner) {
  return owner != nullptr && orvane::IsDatabaseWord(owner) && KelIsUserExist(owner) ? 1 : 0;
}

int MSInfo::CheckMerKey(const char* key) {
  const int length = LengthOf(key);
  return length == 0 || length == kMerKeyChars ? 1 : 0;
}

// Digits and dots only, exactly four parts, each at most 255. An empty part
// counts as 0 and leading zeros are allowed, so "10..1.2" and "010.0.0.1"
// pass. A part's value stops growing once past the limit, so a long run of
// digits cannot overflow.
int MSInfo::CheckIPAddr(const char* address) {
  if (address == nullptr) return 0;
  int parts = 1;
  int partValue = 0;
  for (const char* p = address; *p != '\0'; ++p) {
    if (*p == '.') {
      ++parts;
      partValue = 0;
    } else if (*p >= '0' && *p <= '9') {
      partValue = partValue * 10 + (*p - '0');
      if (partValue > kMaxIPAddrPart) return 0;
    } else {
      return 0;
    }
  }
  return parts == kIPAddrParts ? 1 : 0;
}

// The types are compared as unsigned values, so a negative type is refused
// with the too great ones.
// Only an upper bound, as documented: files of earlier tools hold -1 for a
// type that was never chosen, and they must load.
int MSInfo::CheckISType(eISType type) { return type <= eISQuenta ? 1 : 0; }
int MSInfo::CheckDBType(eDBType type) { return type <= eDBOracle ? 1 : 0; }

int MSInfo::CheckMSProc(int count) { return NumberWithin(count, 2, 99); }
int MSInfo::CheckMSPort(int port) { return CheckPort(port); }
int MSInfo::CheckZKCycle(int seconds) { return NumberWithin(seconds, 1, 65535); }
int MSInfo::CheckZKIntvl(int seconds) { return NumberWithin(seconds, 1, 65535); }
int MSInfo::CheckZKTmout(int seconds) { return NumberWithin(seconds, 60, 65535); }
