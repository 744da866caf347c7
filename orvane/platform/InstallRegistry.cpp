#include "orvane/platform/InstallRegistry.h"

#include <cstring>
#include <string>

#include "orvane/os/Accounts.h"
#include "orvane/os/Files.h"

namespace orvane {
namespace {

using os::Expected;
using os::RegistryAccess;
using os::RegistryKey;
using os::RegistryRoot;

// String values are read into a path buffer: 260 characters and the NUL.
constexpr size_t kValueBufferBytes = 261;

constexpr char kVelqKey[] = "SOFTWARE\\VXR\\VELQ";
constexpr char kHostingKey[] = "SOFTWARE\\VXR\\Tessaly Hosting Server";
constexpr char kHostingPathKey[] =
    "SOFTWARE\\VXR\\Tessaly Hosting Server\\Installation Directory";
constexpr char kPayServerPathKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\VXRPayServer.cmd";
constexpr char kPayServerKey[] = "SOFTWARE\\VXR\\VXR Payment Server";
constexpr char kCorbelleKey[] = "SOFTWARE\\VXR\\Corbelle Application Server";
constexpr char kOracleKey[] = "SOFTWARE\\ORACLE";
constexpr char kVelqExtendersKey[] = "SOFTWARE\\VXR\\VELQ Extenders";
constexpr char kPersonalizationKey[] = "SOFTWARE\\VXR\\Personalization";
constexpr char kWebServerKey[] = "SOFTWARE\\Brenlo\\Quenta Go Webserver";
constexpr char kWebServerVersion[] = "4.6";
constexpr char kEnvironmentKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char kHiveFileName[] = "TQ3";

Expected<RegistryKey> OpenForReading(const std::string& subkey) {
  return RegistryKey::Open(RegistryRoot::kLocalMachine, subkey, RegistryAccess::kRead);
}

int KeyExists(const std::string& subkey) { return OpenForReading(subkey).ok() ? 1 : 0; }

// The simple look-up: one value of one key into out.
int LookUpString(const std::string& subkey, const char* name, KelString& out) {
  const auto key = OpenForReading(subkey);
  std::string text;
  if (!key || !ReadRegistryPathValue(*key, name, text)) return 0;
  out = text.c_str();
  return 1;
}

// Reads a directory value into out, without a final backslash.
bool ReadDirectory(const RegistryKey& key, const char* name, KelString& out) {
  std::string text;
  if (!ReadRegistryPathValue(key, name, text)) return false;
  if (!text.empty() && text.back() == '\\') text.pop_back();
  out = text.c_str();
  return true;
}

// The application server's version key: the subkey that enumeration returns
// last.
Expected<RegistryKey> OpenCorbelleVersionKey() {
  const auto base = OpenForReading(kCorbelleKey);
  if (!base) return base.status();
  std::string last;
  for (unsigned long index = 0;; ++index) {
    const auto name = base->EnumerateSubkey(index);
    if (!name) break;
    last = *name;
  }
  if (last.empty()) return os::Status::Failure(os::kFileNotFound);
  return base->OpenSubkey(last, RegistryAccess::kRead);
}

int LookUpCorbelleString(const char* name, std::string& text) {
  const auto key = OpenCorbelleVersionKey();
  return key && ReadRegistryPathValue(*key, name, text) ? 1 : 0;
}

// Holds one privilege of the process token enabled; every privilege is
// disabled again when it goes, on every path.
class EnabledPrivilege {
 public:
  explicit EnabledPrivilege(const char* privilege) { os::EnableTokenPrivilege(privilege); }
  ~EnabledPrivilege() { os::DisableAllTokenPrivileges(); }
  EnabledPrivilege(const EnabledPrivilege&) = delete;
  EnabledPrivilege& operator=(const EnabledPrivilege&) = delete;
};

std::string VersionKeyOf(const char* versionName) {
  return std::string(kProductKey) + "\\" + versionName;
}

// Saves a version key with its subtree into the hive file in its
// installation directory; hivePath is set once the save has been tried.
bool SaveVersionKey(const char* versionName, std::string& hivePath) {
  EnabledPrivilege backup("SeBackupPrivilege");
  const auto source = OpenForReading(VersionKeyOf(versionName));
  if (!source) return false;
  const auto paths = source->OpenSubkey("Paths", RegistryAccess::kRead);
  std::string installDir;
  if (!paths || !ReadRegistryPathValue(*paths, "TQ_INST_PATH", installDir)) return false;
  hivePath = std::string(KelString(installDir.c_str()) ^ kHiveFileName);
  return source->SaveToFile(hivePath).ok();
}

bool RestoreVersionKey(const char* versionName, const std::string& hivePath) {
  EnabledPrivilege restore("SeRestorePrivilege");
  auto target = RegistryKey::Open(RegistryRoot::kLocalMachine, VersionKeyOf(versionName),
                                  RegistryAccess::kAll);
  return target && target->RestoreFromFile(hivePath).ok();
}

}  // namespace

bool ReadRegistryPathValue(const RegistryKey& key, const char* name, std::string& text) {
  const auto value = key.QueryValue(name);
  if (!value || value->data.size() > kValueBufferBytes) return false;
  text = value->AsString();
  return true;
}

const char* ProductVersionName(int versionIndex) {
  switch (versionIndex) {
    case 1:
      return "1.0.0";
    case 2:
      return "2.0.0";
    case 3:
      return "3.1.2.2";
    default:
      return nullptr;
  }
}

std::string ProductVersionKey(int versionIndex) {
  const char* name = ProductVersionName(versionIndex);
  return VersionKeyOf(name != nullptr ? name : ProductVersionName(kCurrentProductVersion));
}

int GetTQInstallPath(KelString& directory, int versionIndex) {
  return LookUpString(ProductVersionKey(versionIndex) + "\\Paths", "TQ_INST_PATH", directory);
}

int IsTQVersionInstalled(int versionIndex) {
  return ProductVersionName(versionIndex) != nullptr ? KeyExists(ProductVersionKey(versionIndex))
                                                     : 0;
}

int GetPayServerPath(KelString& directory) {
  return LookUpString(kPayServerPathKey, "Path", directory);
}

int IsPayServerInstalled() { return KeyExists(kPayServerKey); }

int IsJQInstalled() { return KeyExists(kHostingKey); }

int GetCorbelleRoot(KelString& directory) {
  std::string text;
  if (!LookUpCorbelleString("APPSERVER_ROOT", text)) return 0;
  directory = text.c_str();
  return 1;
}

int IsCorbelleInstalled() { return OpenCorbelleVersionKey().ok() ? 1 : 0; }

int GetOracleHome(KelString& directory) { return LookUpString(kOracleKey, "ORACLE_HOME", directory); }

int GetOracleSid(KelString& sid) { return LookUpString(kOracleKey, "ORACLE_SID", sid); }

int IsVelqExtendersInstalled() { return KeyExists(kVelqExtendersKey); }

int IsPersonalizationInstalled() { return KeyExists(kPersonalizationKey); }

Expected<RegistryKey> FindVersionSubkey(const RegistryKey& key, const char* name, bool prefix) {
  std::string best = name;
  // An exact search ends at the subkey of that name, so it opens name itself.
  if (prefix) {
    const size_t prefixLength = std::strlen(name);
    for (unsigned long index = 0;; ++index) {
      const auto subkey = key.EnumerateSubkey(index);
      if (!subkey) break;
      if (subkey->compare(0, prefixLength, name) == 0 && *subkey > best) best = *subkey;
    }
  }
  return key.OpenSubkey(best, RegistryAccess::kRead);
}

int GetWebServerDirs(WebServerDirs& dirs) {
  const auto base = OpenForReading(kWebServerKey);
  if (!base) return 0;
  const auto version = FindVersionSubkey(*base, kWebServerVersion, true);
  if (!version || !ReadDirectory(*version, "ETCpath", dirs.configDir)) return 0;
  const auto directories = FindVersionSubkey(*version, "Directories", false);
  if (!directories || !ReadDirectory(*directories, "Executables", dirs.execDir)) return 0;
  const KelString adminProgram = dirs.execDir ^ "htadm.exe";
  if (os::PathExists(std::string(adminProgram))) dirs.adminProgram = adminProgram;
  return ReadDirectory(*directories, "CGI Bin Scripts", dirs.cgiDir) &&
                 ReadDirectory(*directories, "HTML", dirs.htmlDir) &&
                 ReadDirectory(*directories, "Main Directory", dirs.mainDir)
             ? 1
             : 0;
}

int SetQVServerVariable(int count, char** args) {
  std::string value;
  // Arguments 3 and 10 are there only when the count passes 10.
  if (count > 10 && std::strcmp(args[9], "client") == 0) {
    value = std::string(args[10]) + "/TCP/" + args[3];
    if (count == 12) value += std::string("(") + args[11] + ")";
  }
  auto key = RegistryKey::Create(RegistryRoot::kLocalMachine, kEnvironmentKey,
                                 "Quivo client/server connection", RegistryAccess::kAll);
  return key && key->SetValue("QVSERVER", os::RegistryValue::String(value)).ok() ? 1 : 0;
}

}  // namespace orvane

int KelGetInstPath(KelString& directory) {
  return orvane::GetTQInstallPath(directory, orvane::kCurrentProductVersion);
}

int KelGetCSPInstPath(KelString& directory) {
  return orvane::LookUpString(orvane::kHostingPathKey, "JQ_INST_PATH", directory);
}

int KelGetDBVXRPath(KelString& directory) {
  return orvane::LookUpString(orvane::kVelqKey, "VELQ Path Name", directory);
}

int KelGetJREPath(KelString& path) {
  std::string text;
  if (!orvane::LookUpCorbelleString("ncf.jvm.classpath", text)) return 0;
  if (!text.empty() && (text.back() == '/' || text.back() == '\\')) text.pop_back();
  path = text.c_str();
  return 1;
}

int KelUpdateRegTQ(const char* sourceVersion, const char* targetVersion) {
  if (sourceVersion == nullptr || targetVersion == nullptr) return 0;
  std::string hivePath;
  if (!orvane::SaveVersionKey(sourceVersion, hivePath)) return 0;
  const bool restored = orvane::RestoreVersionKey(targetVersion, hivePath);
  // The hive file is only a carrier: a leftover one would make every later
  // save fail.
  orvane::os::DeleteFile(hivePath);
  return restored ? 1 : 0;
}
