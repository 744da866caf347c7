// VELQCLI.DLL for the Windows build: the set-up part of the Velq ODBC
// driver, which the system's ODBC installer loads for SQLConfigDataSource
// and calls as ConfigDSN. It keeps a data source where the installer keeps
// them, in the registry of the calling process (a test's sandbox, when it
// has one):
//
//   SOFTWARE\ODBC\ODBC.INI\<dsn>                 "Driver" (the driver's own
//       "Driver" value, or its name) and one string value per attribute
//   SOFTWARE\ODBC\ODBC.INI\ODBC Data Sources     "<dsn>"="<driver>"
//
// below HKEY_LOCAL_MACHINE for system data sources, HKEY_CURRENT_USER for a
// user's. Adding replaces an earlier data source of the name.
#include <windows.h>
#include <odbcinst.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char kDataSources[] = "SOFTWARE\\ODBC\\ODBC.INI";
constexpr char kDataSourceList[] = "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
constexpr char kDrivers[] = "SOFTWARE\\ODBC\\ODBCINST.INI\\";

using Attribute = std::pair<std::string, std::string>;

// The "KEY=value" texts of an attribute list, up to the empty one.
std::vector<Attribute> ParseAttributes(const char* attributes) {
  std::vector<Attribute> parsed;
  for (const char* text = attributes; text != nullptr && *text != '\0';
       text += std::strlen(text) + 1) {
    const char* equals = std::strchr(text, '=');
    if (equals != nullptr && equals != text) {
      parsed.emplace_back(std::string(text, equals), std::string(equals + 1));
    }
  }
  return parsed;
}

bool SetString(HKEY root, const std::string& key, const std::string& name,
               const std::string& value) {
  HKEY opened = nullptr;
  if (::RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &opened, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG code = ::RegSetValueExA(opened, name.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>(value.size() + 1));
  ::RegCloseKey(opened);
  return code == ERROR_SUCCESS;
}

// The driver's library as its registration names it, or the driver's name.
std::string DriverLibrary(const std::string& driver) {
  char library[MAX_PATH + 1] = {};
  DWORD size = sizeof library;
  if (::RegGetValueA(HKEY_LOCAL_MACHINE, (kDrivers + driver).c_str(), "Driver", RRF_RT_REG_SZ,
                     nullptr, library, &size) != ERROR_SUCCESS) {
    return driver;
  }
  return library;
}

void Remove(HKEY root, const std::string& dataSource) {
  ::RegDeleteTreeA(root, (std::string(kDataSources) + "\\" + dataSource).c_str());
  ::RegDeleteKeyValueA(root, kDataSourceList, dataSource.c_str());
}

bool Write(HKEY root, const std::string& dataSource, const std::vector<Attribute>& attributes) {
  const std::string key = std::string(kDataSources) + "\\" + dataSource;
  for (const Attribute& attribute : attributes) {
    if (::lstrcmpiA(attribute.first.c_str(), "DSN") == 0) continue;
    if (!SetString(root, key, attribute.first, attribute.second)) return false;
  }
  return true;
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI ConfigDSN(HWND, WORD request, LPCSTR driver,
                                                       LPCSTR attributes) {
  const std::vector<Attribute> parsed = ParseAttributes(attributes);
  std::string dataSource;
  for (const Attribute& attribute : parsed) {
    if (::lstrcmpiA(attribute.first.c_str(), "DSN") == 0) dataSource = attribute.second;
  }
  if (dataSource.empty() || driver == nullptr) return FALSE;
  UWORD mode = ODBC_SYSTEM_DSN;
  ::SQLGetConfigMode(&mode);
  HKEY root = mode == ODBC_USER_DSN ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  switch (request) {
    case ODBC_ADD_DSN:
      Remove(root, dataSource);
      return SetString(root, std::string(kDataSources) + "\\" + dataSource, "Driver",
                       DriverLibrary(driver)) &&
             Write(root, dataSource, parsed) &&
             SetString(root, kDataSourceList, dataSource, driver);
    case ODBC_CONFIG_DSN:
      return Write(root, dataSource, parsed);
    case ODBC_REMOVE_DSN:
      Remove(root, dataSource);
      return TRUE;
    default:
      return FALSE;
  }
}
