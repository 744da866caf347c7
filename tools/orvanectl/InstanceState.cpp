#include "InstanceState.h"

#include "orvane/os/Registry.h"
#include "orvane/os/Services.h"

namespace orvanectl {

namespace {

constexpr char kDataSourcesKey[] = "SOFTWARE\\ODBC\\ODBC.INI\\";
// Enough for any service's configuration; a larger one is still read.
constexpr unsigned long kConfigBytes = 8192;

const char* StartTypeName(orvane::os::StartType type) {
  switch (type) {
    case orvane::os::StartType::kAutomatic:
      return "automatic";
    case orvane::os::StartType::kDemand:
      return "demand";
    case orvane::os::StartType::kDisabled:
      return "disabled";
    default:
      return "system";
  }
}

}  // namespace

std::string ServiceStartType(const std::string& service) {
  auto manager = orvane::os::ServiceManager::Open();
  if (!manager) return "";
  auto opened = manager->OpenService(service);
  if (!opened) return "";
  unsigned long needed = 0;
  auto config = opened->QueryConfig(kConfigBytes, &needed);
  if (!config && needed > kConfigBytes) config = opened->QueryConfig(needed, &needed);
  return config ? StartTypeName(config->startType) : "unknown";
}

std::string InstanceServiceName(const std::string& name) { return "TQ" + name; }

std::string InstanceServiceName(const MSInfo& record) {
  return InstanceServiceName(std::string(record.GetName()));
}

InstanceState QueryInstanceState(MSInfo& record) {
  InstanceState state;
  state.startType = ServiceStartType(InstanceServiceName(record));
  const std::string controllerEntry = std::string("tq") + record.GetName();
  state.created = !state.startType.empty() || KelGetTcpServicePort(controllerEntry.c_str()) > 0;
  state.running = KelIsTQSvcActive(record) != 0;
  // Data source names are matched without regard to letter case.
  state.database = *record.GetDBName() != '\0' &&
                   orvane::os::RegistryKey::Open(orvane::os::RegistryRoot::kLocalMachine,
                                                 kDataSourcesKey + std::string(record.GetDBName()),
                                                 orvane::os::RegistryAccess::kRead)
                       .ok();
  return state;
}

nlohmann::json StateJson(const InstanceState& state) {
  return {{"created", state.created},
          {"startType", state.startType.empty() ? nlohmann::json(nullptr)
                                                : nlohmann::json(state.startType)},
          {"database", state.database},
          {"running", state.running}};
}

}  // namespace orvanectl
