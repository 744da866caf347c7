// The ODBC installer of the emulated machine, keeping drivers and system data
// sources where the Windows installer keeps them:
//
//   HKLM\SOFTWARE\ODBC\ODBCINST.INI\<driver>          a registered driver
//   HKLM\SOFTWARE\ODBC\ODBC.INI\<dsn>                 a system data source:
//       "Driver" (the driver's own "Driver" value, its library, or its name)
//       and one string value per attribute
//   HKLM\SOFTWARE\ODBC\ODBC.INI\ODBC Data Sources     "<dsn>"="<driver>"
#include "orvane/os/Odbc.h"
#include "orvane/os/Backend.h"

#include <cstring>
#include <utility>
#include <vector>

#include "orvane/os/Registry.h"
#include "orvane/os/posix/AsciiCase.h"
#include "orvane/os/posix/RegistryUtil.h"

namespace orvane::os::backend {
namespace {

constexpr char kDriversKey[] = "SOFTWARE\\ODBC\\ODBCINST.INI\\";
constexpr char kDataSourcesKey[] = "SOFTWARE\\ODBC\\ODBC.INI\\";
constexpr char kDataSourceListKey[] = "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
// SQL_MAX_DSN_LENGTH
constexpr std::string::size_type kMaxDataSourceName = 32;

using Attribute = std::pair<std::string, std::string>;

// The "KEY=value" texts of an installer attribute list, up to the empty text
// that ends it; texts without "=" carry nothing and are skipped.
std::vector<Attribute> ParseAttributes(const char* attributes) {
  std::vector<Attribute> parsed;
  if (attributes == nullptr) return parsed;
  for (const char* text = attributes; *text != '\0'; text += std::strlen(text) + 1) {
    const char* equals = std::strchr(text, '=');
    if (equals == nullptr || equals == text) continue;
    parsed.emplace_back(std::string(text, equals), std::string(equals + 1));
  }
  return parsed;
}

// The data source name as SQLValidDSN accepts it: not empty, at most 32
// characters, none of []{}(),;?*=!@ and no backslash.
bool IsValidDataSourceName(const std::string& name) {
  return !name.empty() && name.size() <= kMaxDataSourceName &&
         name.find_first_of("[]{}(),;?*=!@\\") == std::string::npos;
}

Status RemoveDataSource(const std::string& dataSource) {
  Status removed = posix::DeleteRegistryTree(RegistryRoot::kLocalMachine,
                                             kDataSourcesKey + dataSource);
  if (!removed) return removed;
  Expected<RegistryKey> list = RegistryKey::Open(RegistryRoot::kLocalMachine, kDataSourceListKey,
                                                 RegistryAccess::kAll);
  if (list) list->DeleteValue(dataSource);
  return Status();
}

Status AddDataSource(const std::string& dataSource, const std::string& driver,
                     const RegistryKey& driverKey, const std::vector<Attribute>& attributes) {
  // Adding replaces what an earlier data source of the name held.
  posix::DeleteRegistryTree(RegistryRoot::kLocalMachine, kDataSourcesKey + dataSource);
  Expected<RegistryKey> key = RegistryKey::Create(
      RegistryRoot::kLocalMachine, kDataSourcesKey + dataSource, "", RegistryAccess::kAll);
  if (!key) return key.status();
  Expected<RegistryValue> library = driverKey.QueryValue("Driver");
  Status written = key->SetValue(
      "Driver", RegistryValue::String(library ? library->AsString() : driver));
  if (!written) return written;
  for (const Attribute& attribute : attributes) {
    if (posix::EqualsIgnoringCase(attribute.first, "DSN")) continue;
    written = key->SetValue(attribute.first, RegistryValue::String(attribute.second));
    if (!written) return written;
  }
  Expected<RegistryKey> list = RegistryKey::Create(RegistryRoot::kLocalMachine, kDataSourceListKey,
                                                   "", RegistryAccess::kAll);
  if (!list) return list.status();
  return list->SetValue(dataSource, RegistryValue::String(driver));
}

}  // namespace

Status ConfigureDataSource(DataSourceRequest request, const std::string& driver,
                           const char* attributes) {
  if (request != DataSourceRequest::kAddSystem && request != DataSourceRequest::kRemoveSystem) {
    return Status::Failure(kInvalidParameter);
  }
  // Every request goes through the driver's set-up, so the driver must be
  // registered for a removal too.
  if (driver.empty() || driver.find('\\') != std::string::npos) {
    return Status::Failure(kInvalidName);
  }
  Expected<RegistryKey> driverKey =
      RegistryKey::Open(RegistryRoot::kLocalMachine, kDriversKey + driver, RegistryAccess::kRead);
  if (!driverKey) return Status::Failure(kInvalidName);

  std::vector<Attribute> parsed = ParseAttributes(attributes);
  std::string dataSource;
  for (const Attribute& attribute : parsed) {
    if (posix::EqualsIgnoringCase(attribute.first, "DSN")) dataSource = attribute.second;
  }
  if (!IsValidDataSourceName(dataSource)) return Status::Failure(kInvalidParameter);

  if (request == DataSourceRequest::kRemoveSystem) return RemoveDataSource(dataSource);
  return AddDataSource(dataSource, driver, *driverKey, parsed);
}

}  // namespace orvane::os::backend
