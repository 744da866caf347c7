#include "DatabasePurge.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "Host.h"
#include "InstanceState.h"
#include "orvane/os/Files.h"
#include "orvane/os/Odbc.h"
#include "orvane/os/Registry.h"

namespace orvanectl {

namespace {

constexpr char kDataSourcesKey[] = "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";

// The name reaches a command file: letters, digits and "_" only.
bool IsPlainName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (!std::isalnum(c) && c != '_') return false;
  }
  return true;
}

// Runs "velq drop database" in the command environment, from a command file
// in the instance's log directory.
bool DropDatabase(MSInfo& record) {
  const std::string logs = std::string(record.GetRootPath()) + "\\logs";
  const std::string commands = logs + "\\" + record.GetDBName() + "_drop.cmd";
  {
    orvane::os::ReplacementFile file(commands, "w");
    if (file.stream() == nullptr) return false;
    std::fprintf(file.stream(), "velq drop database %s\n", record.GetDBName());
    if (!file.Commit().ok()) return false;
  }
  const bool ran = KelMigrateDB(commands.c_str(), record, logs.c_str(), 0) != 0;
  orvane::os::DeleteFile(commands);
  return ran && !IsExistDBVXR(record);
}

// The data source's own registration names its driver.
bool RemoveDataSource(const std::string& name) {
  auto sources = orvane::os::RegistryKey::Open(orvane::os::RegistryRoot::kLocalMachine,
                                               kDataSourcesKey, orvane::os::RegistryAccess::kRead);
  if (!sources) return false;
  auto driver = sources->QueryValue(name);
  if (!driver) return false;
  const std::string attributes = "DSN=" + name + '\0' + '\0';
  return orvane::os::ConfigureDataSource(orvane::os::DataSourceRequest::kRemoveSystem,
                                         driver->AsString(), attributes.c_str())
      .ok();
}

}  // namespace

bool PurgeDatabase(MSInfo& record) {
  Host& host = Host::Get();
  const std::string name = record.GetDBName();
  if (!IsPlainName(name)) {
    host.ErrorText("the database name '" + name + "' is not dropped: it must be letters, digits "
                   "and _ only");
    return false;
  }
  bool purged = true;
  if (IsExistDBVXR(record)) {
    if (DropDatabase(record)) {
      host.Note("database " + name + " dropped");
      host.Result()["purged"]["database"] = name;
    } else {
      host.ErrorText("cannot drop the database " + name + "; see the logs in " +
                     record.GetRootPath() + "\\logs");
      purged = false;
    }
  }
  if (QueryInstanceState(record).database) {
    if (RemoveDataSource(name)) {
      host.Note("ODBC data source " + name + " removed");
      host.Result()["purged"]["dataSource"] = name;
    } else {
      host.ErrorText("cannot remove the ODBC data source " + name);
      purged = false;
    }
  }
  return purged;
}

}  // namespace orvanectl
