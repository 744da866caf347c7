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

std::string StartTypeOf(const orvane::os::Service& service) {
  unsigned long needed = 0;
  auto config = service.QueryConfig(kConfigBytes, &needed);
  if (!config && needed > kConfigBytes) config = service.QueryConfig(needed, &needed);
  return config ? StartTypeName(config->startType) : "unknown";
}

}  // namespace

std::string ServiceStartType(const std::string& service) {
  auto manager = orvane::os::ServiceManager::Open();
  if (!manager) return "";
  auto opened = manager->OpenService(service);
  return opened ? StartTypeOf(*opened) : "";
}

std::string InstanceServiceName(const std::string& name) { return "TQ" + name; }

std::string InstanceServiceName(const MSInfo& record) {
  return InstanceServiceName(std::string(record.GetName()));
}

InstanceState QueryInstanceState(MSInfo& record) {
  InstanceState state;
  // The service is opened once for its start type and its run state: each
  // opening and query reads the machine's service database again.
  if (auto manager = orvane::os::ServiceManager::Open()) {
    if (auto service = manager->OpenService(InstanceServiceName(record))) {
      state.startType = StartTypeOf(*service);
      const auto status = service->QueryStatus();
      state.running = status && status->state == orvane::os::ServiceState::kRunning;
    }
  }
  const std::string controllerEntry = std::string("tq") + record.GetName();
  state.created = !state.startType.empty() || KelGetTcpServicePort(controllerEntry.c_str()) > 0;
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
