// The instance record: defaults, copying, setters, secrets, directive lists,
// the port test and the process count. The validation rules are in
// MSInfoRules.cpp, the data file lines in MSInfoFile.cpp.
#include "orvane/core/MSInfo.h"

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>

#include "orvane/core/AsciiCase.h"
#include "orvane/os/FileSnapshot.h"
#include "orvane/os/Network.h"
#include "orvane/platform/ServicesDatabase.h"
#include "orvane/platform/ServicesFile.h"
#include "orvane/runtime/Cipher.h"

namespace {

// Buffer sizes of the cipher calls: a password of up to 16 characters
// enciphers to at most 32 printable characters.
constexpr int kPswdCipherBuffer = 33;
constexpr int kPswdPlainBuffer = 17;
constexpr int kKeyCipherBuffer = 33;
constexpr int kKeyPlainBuffer = 17;

int StoreIfValid(KelString& field, const char* text, int (*rule)(const char*)) {
  if (!rule(text)) return 0;
  field = text;
  return 1;
}

int StoreIfValid(int& field, int value, int (*rule)(int)) {
  if (!rule(value)) return 0;
  field = value;
  return 1;
}

void AddPair(ParmList<NameValue>& list, const char* name, const char* value) {
  NameValue pair{name, value};
  list.AddTailUnique(pair);
}

}  // namespace

MSInfo::MSInfo()
    : m_ISType(eISGoWebserver),
      m_DBType(eDBVelq),
      m_MSProc(-1),
      m_MSPort(-1),
      m_DBPort(-1),
      m_MSOption(0),
      m_ZKCycle(30),
      m_ZKIntvl(30),
      m_ZKTmout(3600),
      m_ReservedNum1(0),
      m_ZKAdminPort(-1),
      m_ZKPayPort(-1),
      m_ZKErrorPort(-1),
      m_ZKSetPayPort(-1),
      m_ZKSetInqPort(-1),
      m_JdbcPort(-1),
      m_TransCount(-1),
      m_HtmlMax(-1),
      m_LogLevel(-1),
      m_DBRetryLimit(-1),
      m_DBRetryIntvl(-1),
      m_BckCycleTime(-1),
      m_BckInterJobTime(-1),
      m_DmnCache(-1),
      m_DmnSynch(-1),
      m_DmnSleep(-1),
      m_TotalProcesses(-1),
      m_PaySysController(1),
      m_StagingFlag(0),
      m_CacheFlag(0),
      m_ReservedNum2(0),
      m_PBProc(-1),
      m_ZKTraceFlag(0) {}

// Every member is a value with deep copy semantics, so member-wise copying
// copies texts and list elements.
MSInfo::MSInfo(const MSInfo& other) = default;
MSInfo& MSInfo::operator=(const MSInfo& other) = default;
MSInfo::~MSInfo() = default;

void MSInfo::CopyCoreFields(const MSInfo& source) {
  m_Name = source.m_Name;
  m_MerKey = source.m_MerKey;
  m_RootPath = source.m_RootPath;
  m_MacroPath = source.m_MacroPath;
  m_CgiPath = source.m_CgiPath;
  m_HtmlPath = source.m_HtmlPath;
  m_IPAddr = source.m_IPAddr;
  m_ISHost = source.m_ISHost;
  m_DBName = source.m_DBName;
  m_DBUser = source.m_DBUser;
  m_DBOwner = source.m_DBOwner;
  m_DBPswd = source.m_DBPswd;
  m_DBHost = source.m_DBHost;
  m_DBSvc = source.m_DBSvc;
  m_ZKHost = source.m_ZKHost;
  m_CMSPswd = source.m_CMSPswd;
  m_ISType = source.m_ISType;
  m_DBType = source.m_DBType;
  m_MSProc = source.m_MSProc;
  m_MSPort = source.m_MSPort;
  m_DBPort = source.m_DBPort;
  m_MSOption = source.m_MSOption;
  m_ZKCycle = source.m_ZKCycle;
  m_ZKIntvl = source.m_ZKIntvl;
  m_ZKTmout = source.m_ZKTmout;
}

// --- Text fields -------------------------------------------------------------

const char* MSInfo::GetName() const { return m_Name; }
const char* MSInfo::GetRootPath() const { return m_RootPath; }
const char* MSInfo::GetMacroPath() const { return m_MacroPath; }
const char* MSInfo::GetCgiPath() const { return m_CgiPath; }
const char* MSInfo::GetHtmlPath() const { return m_HtmlPath; }
const char* MSInfo::GetIPAddr() const { return m_IPAddr; }
const char* MSInfo::GetISHost() const { return m_ISHost; }
const char* MSInfo::GetDBName() const { return m_DBName; }
const char* MSInfo::GetDBUser() const { return m_DBUser; }
const char* MSInfo::GetDBOwner() const { return m_DBOwner; }
const char* MSInfo::GetDBHost() const { return m_DBHost; }
const char* MSInfo::GetDBSvc() const { return m_DBSvc; }
const char* MSInfo::GetZKHost() const { return m_ZKHost; }

int MSInfo::SetName(const char* name) { return StoreIfValid(m_Name, name, CheckName); }
int MSInfo::SetISHost(const char* host) { return StoreIfValid(m_ISHost, host, CheckISHost); }
int MSInfo::SetDBHost(const char* host) { return StoreIfValid(m_DBHost, host, CheckDBHost); }
int MSInfo::SetZKHost(const char* host) { return StoreIfValid(m_ZKHost, host, CheckZKHost); }
int MSInfo::SetDBName(const char* name) { return StoreIfValid(m_DBName, name, CheckDBName); }
int MSInfo::SetDBUser(const char* user) { return StoreIfValid(m_DBUser, user, CheckDBUser); }
int MSInfo::SetDBOwner(const char* owner) { return StoreIfValid(m_DBOwner, owner, CheckDBOwner); }
int MSInfo::SetIPAddr(const char* address) {
  return StoreIfValid(m_IPAddr, address, CheckIPAddr);
}
int MSInfo::SetRootPath(const char* path) {
  return StoreIfValid(m_RootPath, path, CheckRootPath);
}

int MSInfo::SetMacroPath(const char* path) {
  if (!StoreIfValid(m_MacroPath, path, CheckMacroPath)) return 0;
  PurifyPathStr(m_MacroPath);
  return 1;
}

int MSInfo::SetCgiPath(const char* path) {
  if (!StoreIfValid(m_CgiPath, path, CheckCgiPath)) return 0;
  PurifyPathStr(m_CgiPath);
  return 1;
}

int MSInfo::SetHtmlPath(const char* path) {
  if (!StoreIfValid(m_HtmlPath, path, CheckHtmlPath)) return 0;
  PurifyPathStr(m_HtmlPath);
  return 1;
}

int MSInfo::SetDBSvc(const char* service) { return StoreIfValid(m_DBSvc, service, CheckDBSvc); }

void MSInfo::PurifyPathStr(KelString& path) {
  const int length = path.GetLength();
  if (length > 0 && path.GetAt(length - 1) == '\\') path.Truncate(length - 1);
}

// --- Secrets -----------------------------------------------------------------

const char* MSInfo::GetDBPswdCipher() const { return m_DBPswd; }
const char* MSInfo::GetCMSPswdCipher() const { return m_CMSPswd; }
const char* MSInfo::GetMerKeyCipher() const { return m_MerKey; }

int MSInfo::SetPswdInternal(KelString& field, const char* password) {
  if (!CheckPswd(password)) return 0;
  char cipher[kPswdCipherBuffer];
  KelEncrypt(password == nullptr ? "" : password, cipher, kPswdCipherBuffer);
  field = cipher;
  return 1;
}

int MSInfo::GetPswdInternal(const KelString& field, KelString& out) {
  if (field.IsEmpty()) {
    out.Empty();
    return 1;
  }
  char plain[kPswdPlainBuffer];
  KelDecrypt(field, plain, kPswdPlainBuffer);
  out = plain;
  return 1;
}

int MSInfo::SetDBPswd(const char* password) {
  return CheckDBPswd(password) && SetPswdInternal(m_DBPswd, password);
}
int MSInfo::SetCMSPswd(const char* password) { return SetPswdInternal(m_CMSPswd, password); }
int MSInfo::GetDBPswd(KelString& out) const { return GetPswdInternal(m_DBPswd, out); }
int MSInfo::GetCMSPswd(KelString& out) const { return GetPswdInternal(m_CMSPswd, out); }

int MSInfo::SetMerKey(const char* key) {
  if (!CheckMerKey(key)) return 0;
  if (key == nullptr || *key == '\0') {
    m_MerKey = kNoKeyMarker;
    return 1;
  }
  // A key that is not hexadecimal cannot be enciphered; it is refused rather
  // than stored in a form that no one can decipher.
  char cipher[kKeyCipherBuffer];
  if (!KelEncKey(key, cipher)) return 0;
  m_MerKey = cipher;
  return 1;
}

int MSInfo::GetMerKey(KelString& out) const {
  char plain[kKeyPlainBuffer];
  if (orvane::EqualsIgnoringCase(m_MerKey, kNoKeyMarker) || !KelDecKey(m_MerKey, plain)) {
    out.Empty();
  } else {
    out = plain;
  }
  return 1;
}

// --- Numbers -----------------------------------------------------------------

eISType MSInfo::GetISType() const { return m_ISType; }
eDBType MSInfo::GetDBType() const { return m_DBType; }
int MSInfo::GetMSProc() const { return m_MSProc; }
int MSInfo::GetMSPort() const { return m_MSPort; }
int MSInfo::GetDBPort() const { return m_DBPort; }
int MSInfo::GetMSOption() const { return m_MSOption; }
int MSInfo::GetZKCycle() const { return m_ZKCycle; }
int MSInfo::GetZKIntvl() const { return m_ZKIntvl; }
int MSInfo::GetZKTmout() const { return m_ZKTmout; }

int MSInfo::SetISType(eISType type) {
  if (!CheckISType(type)) return 0;
  m_ISType = type;
  return 1;
}

int MSInfo::SetDBType(eDBType type) {
  if (!CheckDBType(type)) return 0;
  m_DBType = type;
  return 1;
}

int MSInfo::SetMSProc(int count) { return StoreIfValid(m_MSProc, count, CheckMSProc); }
int MSInfo::SetMSPort(int port) { return StoreIfValid(m_MSPort, port, CheckMSPort); }
int MSInfo::SetZKCycle(int seconds) { return StoreIfValid(m_ZKCycle, seconds, CheckZKCycle); }
int MSInfo::SetZKIntvl(int seconds) { return StoreIfValid(m_ZKIntvl, seconds, CheckZKIntvl); }
int MSInfo::SetZKTmout(int seconds) { return StoreIfValid(m_ZKTmout, seconds, CheckZKTmout); }

int MSInfo::SetDBPort(int port) {
  m_DBPort = port;
  return 1;
}

int MSInfo::SetMSOption(int mask, int value) {
  m_MSOption = (m_MSOption & ~mask) | (value & mask);
  return 1;
}

int MSInfo::SetTotalProcesses(int n) {
  m_TotalProcesses = n < 1 ? 0 : n;
  return 1;
}

// --- Directive lists -----------------------------------------------------------

void MSInfo::InsertTEditorPath(KelString& path) { m_TEditorPaths.AddHeadUnique(path); }

void MSInfo::InsertNDMacroPath(const char* path) { InsertNDMacroPath(KelString(path)); }
void MSInfo::InsertNDMacroPath(KelString path) { m_NDMacroPaths.AddTailUnique(path); }
void MSInfo::InsertNDMacroPathHead(const char* path) { InsertNDMacroPathHead(KelString(path)); }
void MSInfo::InsertNDMacroPathHead(KelString path) { m_NDMacroPaths.AddHeadUnique(path); }

void MSInfo::InsertNDIncPath(const char* path) { InsertNDIncPath(KelString(path)); }
void MSInfo::InsertNDIncPath(KelString path) { m_NDIncPaths.AddTailUnique(path); }
void MSInfo::InsertNDIncPathHead(const char* path) { InsertNDIncPathHead(KelString(path)); }
void MSInfo::InsertNDIncPathHead(KelString path) { m_NDIncPaths.AddHeadUnique(path); }

void MSInfo::SetNDEnv(const char* name, const char* value) { AddPair(m_NDEnv, name, value); }
void MSInfo::SetISPass(const char* name, const char* value) { AddPair(m_ISPass, name, value); }
void MSInfo::SetISMap(const char* name, const char* value) { AddPair(m_ISMap, name, value); }
void MSInfo::SetISExec(const char* name, const char* value) { AddPair(m_ISExec, name, value); }
void MSInfo::SetISCommonPass(const char* name, const char* value) {
  AddPair(m_ISCommonPass, name, value);
}
void MSInfo::SetISCommonMap(const char* name, const char* value) {
  AddPair(m_ISCommonMap, name, value);
}
void MSInfo::SetISCommonExec(const char* name, const char* value) {
  AddPair(m_ISCommonExec, name, value);
}
void MSInfo::SetISCommonAddType(const char* name, const char* value) {
  AddPair(m_ISCommonAddType, name, value);
}

// --- Ports and processes -------------------------------------------------------

int MSInfo::TestPort(int first, int count) const {
  const auto services = orvane::ServicesDatabase::Current();
  for (int i = 0; i < count; ++i) {
    const long long port = static_cast<long long>(first) + i;
    if (port > 65535 || !CheckPort(static_cast<int>(port))) return 0;
    // The socket layer is held only for the one look-up, as the product
    // does, so that a failing start or stop fails the test at this port.
    if (!orvane::os::StartSocketLayer().ok()) return 0;
    const bool listed = services != nullptr && !services->NamesAt(static_cast<int>(port)).empty();
    if (!orvane::os::StopSocketLayer().ok() || listed) return 0;
  }
  return 1;
}

int MSInfo::GetTotalProcesses() const {
  KelString path;
  orvane::GetServicesFilePath(path);
  const auto services = orvane::os::FileSnapshot::Take(static_cast<const char*>(path));
  if (!services.ok()) return 0;
  // The entry's text is searched for in the whole file, and only the lines
  // that hold it are looked at: a services file has many lines, few of them
  // this instance's.
  const std::string_view text = services->bytes();
  const std::string entryText = "tq" + std::string(m_Name) + "_";
  const std::boyer_moore_horspool_searcher searcher(entryText.begin(), entryText.end());
  int count = 0;
  for (auto at = text.begin(); (at = std::search(at, text.end(), searcher)) != text.end();) {
    const size_t found = static_cast<size_t>(at - text.begin());
    const size_t before = text.rfind('\n', found);
    const size_t lineStart = before == std::string_view::npos ? 0 : before + 1;
    const size_t lineEnd = std::min(text.find('\n', found), text.size());
    if (text.substr(lineStart, lineEnd - lineStart).find("Server Controller") ==
        std::string_view::npos) {
      ++count;
    }
    at = text.begin() + static_cast<std::ptrdiff_t>(lineEnd);
  }
  return count;
}
