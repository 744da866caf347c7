#include "orvane/platform/WindowsServices.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "orvane/os/Process.h"
#include "orvane/os/Registry.h"
#include "orvane/core/AsciiCase.h"
#include "orvane/platform/InstallRegistry.h"

namespace orvane {
namespace {

using os::ServiceState;
using os::StartType;

// The product queries a service's configuration into a buffer of this size
// first; a larger configuration is queried again at the size it needs.
constexpr unsigned long kConfigBufferBytes = 260;

constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";
constexpr char kVelqServicePrefix[] = "VELQ";
constexpr char kVelqServiceImage[] = "velqsyscs.exe";

bool HasState(const char* name, ServiceState state) {
  const auto opened = OpenNamedService(name);
  if (!opened) return false;
  const auto status = opened->service.QueryStatus();
  return status && status->state == state;
}

int SetStartType(const char* name, StartType startType) {
  auto opened = OpenNamedService(name);
  if (!opened) return 0;
  const auto lock = opened->manager.LockDatabase();
  if (!lock) return 0;
  return opened->service.ChangeStartType(startType).ok() ? 1 : 0;
}

// Follows a pending start while the service reports progress.
bool WaitWhileStarting(const os::Service& service) {
  auto status = service.QueryStatus();
  while (status && status->state != ServiceState::kRunning) {
    const unsigned long lastCheckPoint = status->checkPoint;
    os::SleepMilliseconds(status->waitHintMs);
    status = service.QueryStatus();
    if (!status || status->checkPoint <= lastCheckPoint) break;
  }
  return status && status->state == ServiceState::kRunning;
}

// True when one of the components of an image path, split at "\" and "/",
// is the Velq system program.
bool RunsVelqImage(const std::string& imagePath) {
  size_t start = 0;
  while (start <= imagePath.size()) {
    const size_t end = std::min(imagePath.find_first_of("\\/", start), imagePath.size());
    if (EqualsIgnoringCase(imagePath.c_str() + start, end - start, kVelqServiceImage)) return true;
    start = end + 1;
  }
  return false;
}

bool IsVelqService(const os::RegistryKey& services, const std::string& name) {
  if (name.compare(0, std::strlen(kVelqServicePrefix), kVelqServicePrefix) != 0) return false;
  const auto key = services.OpenSubkey(name, os::RegistryAccess::kRead);
  if (!key) return false;
  std::string imagePath;
  return ReadRegistryPathValue(*key, "ImagePath", imagePath) && RunsVelqImage(imagePath);
}

}  // namespace

os::Expected<NamedService> OpenNamedService(const char* name) {
  if (name == nullptr) return os::Status::Failure(os::kInvalidParameter);
  auto manager = os::ServiceManager::Open();
  if (!manager) return manager.status();
  auto service = manager->OpenService(name);
  if (!service) return service.status();
  return NamedService{std::move(*manager), std::move(*service)};
}

os::Expected<os::ServiceConfig> QueryWholeConfig(const os::Service& service) {
  unsigned long bytesNeeded = 0;
  auto config = service.QueryConfig(kConfigBufferBytes, &bytesNeeded);
  if (!config && config.status().code() == os::kInsufficientBuffer) {
    config = service.QueryConfig(bytesNeeded, &bytesNeeded);
  }
  return config;
}

int IsNamedServiceStopped(const char* name) {
  return HasState(name, ServiceState::kStopped) ? 1 : 0;
}

}  // namespace orvane

int KelStartSvc(const char* name) {
  if (KelIsSvcActive(name)) return 1;
  auto opened = orvane::OpenNamedService(name);
  if (!opened || !opened->service.Start()) return 0;
  return orvane::WaitWhileStarting(opened->service) ? 1 : 0;
}

int KelStopSvc(const char* name) {
  if (!KelIsSvcActive(name)) return 1;
  auto opened = orvane::OpenNamedService(name);
  if (!opened) return 0;
  return opened->service.Stop().ok() ? 1 : 0;
}

int KelSetSvcAuto(const char* name) {
  return orvane::SetStartType(name, orvane::os::StartType::kAutomatic);
}

int KelSetSvcManual(const char* name) {
  return orvane::SetStartType(name, orvane::os::StartType::kDemand);
}

int KelIsSvcAuto(const char* name) {
  const auto opened = orvane::OpenNamedService(name);
  if (!opened) return 0;
  const auto config = orvane::QueryWholeConfig(opened->service);
  return config && config->startType == orvane::os::StartType::kAutomatic ? 1 : 0;
}

int KelIsSvcActive(const char* name) {
  return orvane::HasState(name, orvane::os::ServiceState::kRunning) ? 1 : 0;
}

unsigned long KelGetLastError() { return orvane::os::LastError(); }

int KelGetVelqService(char* buffer, int size) {
  const auto services = orvane::os::RegistryKey::Open(
      orvane::os::RegistryRoot::kLocalMachine, orvane::kServicesKey, orvane::os::RegistryAccess::kRead);
  if (!services) return 0;
  for (unsigned long index = 0;; ++index) {
    const auto name = services->EnumerateSubkey(index);
    if (!name) return 0;
    if (!orvane::IsVelqService(*services, *name) || !KelIsSvcActive(name->c_str())) continue;
    // A name that does not fit the caller's buffer is passed over.
    if (buffer != nullptr && size > 0 && name->size() < static_cast<size_t>(size)) {
      std::memcpy(buffer, name->c_str(), name->size() + 1);
      return 1;
    }
  }
}
