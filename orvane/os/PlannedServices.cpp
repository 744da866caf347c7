#include "orvane/os/PlannedServices.h"

#include <algorithm>

#include "orvane/os/Backend.h"
#include "orvane/os/WindowsNames.h"

namespace orvane::os {
namespace {

constexpr char kLocalSystemAccount[] = "LocalSystem";
// QUERY_SERVICE_CONFIGA without its strings.
constexpr unsigned long kServiceConfigFixedBytes = 36;
constexpr unsigned long kAnyBufferBytes = 1ul << 20;

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), UpperAscii);
  return text;
}

bool SameConfig(const std::optional<ServiceConfig>& a, const std::optional<ServiceConfig>& b) {
  if (!a || !b) return !a && !b;
  return a->serviceType == b->serviceType && a->startType == b->startType &&
         a->errorControl == b->errorControl && a->binaryPath == b->binaryPath &&
         a->displayName == b->displayName && a->account == b->account;
}

PlannedServices::State BackendState(const std::string& name) {
  PlannedServices::State state;
  Expected<backend::ServiceManager> manager = backend::ServiceManager::Open();
  if (!manager.ok()) return state;
  Expected<backend::Service> service = manager->OpenService(name);
  if (!service.ok()) return state;
  unsigned long needed = 0;
  if (Expected<ServiceConfig> config = service->QueryConfig(kAnyBufferBytes, &needed)) {
    state.config = *config;
  }
  if (Expected<ServiceStatus> status = service->QueryStatus()) state.state = status->state;
  return state;
}

// A service of the plan: every call reads and changes its pending state.
class PlannedService final : public Service::Impl {
 public:
  PlannedService(PlannedServices& services, std::string name)
      : m_services(services.weak_from_this()), m_name(std::move(name)) {}

  const std::string& name() const override { return m_name; }
  Status Start() override {
    std::shared_ptr<PlannedServices> services;
    Expected<PlannedServices::State> current = Current(&services);
    if (!current.ok()) return current.status();
    if (current->markedForDelete) return Status::Failure(kServiceMarkedForDelete);
    if (current->config->startType == StartType::kDisabled) {
      return Status::Failure(kServiceDisabled);
    }
    if (current->state != ServiceState::kStopped) return Status::Failure(kServiceAlreadyRunning);
    services->Change(m_name).state = ServiceState::kRunning;
    return Status();
  }
  Status Stop() override {
    std::shared_ptr<PlannedServices> services;
    Expected<PlannedServices::State> current = Current(&services);
    if (!current.ok()) return current.status();
    if (current->state == ServiceState::kStopped) return Status::Failure(kServiceNotActive);
    PlannedServices::State& changed = services->Change(m_name);
    changed.state = ServiceState::kStopped;
    if (changed.markedForDelete) changed = PlannedServices::State();
    return Status();
  }
  Expected<ServiceStatus> QueryStatus() const override {
    Expected<PlannedServices::State> current = Current(nullptr);
    if (!current.ok()) return current.status();
    ServiceStatus status;
    status.state = current->state;
    return status;
  }
  Expected<ServiceConfig> QueryConfig(unsigned long bufferBytes,
                                      unsigned long* bytesNeeded) const override {
    Expected<PlannedServices::State> current = Current(nullptr);
    if (!current.ok()) return current.status();
    const ServiceConfig& config = *current->config;
    // An empty load order group and dependency list take three NULs.
    const unsigned long needed = kServiceConfigFixedBytes + config.binaryPath.size() + 1 + 3 +
                                 config.account.size() + 1 + config.displayName.size() + 1;
    if (bytesNeeded != nullptr) *bytesNeeded = needed;
    if (needed > bufferBytes) return Status::Failure(kInsufficientBuffer);
    return config;
  }
  Status ChangeStartType(StartType startType) override {
    std::shared_ptr<PlannedServices> services;
    Expected<PlannedServices::State> current = Current(&services);
    if (!current.ok()) return current.status();
    services->Change(m_name).config->startType = startType;
    return Status();
  }
  Status Delete() override {
    std::shared_ptr<PlannedServices> services;
    Expected<PlannedServices::State> current = Current(&services);
    if (!current.ok()) return current.status();
    if (current->markedForDelete) return Status::Failure(kServiceMarkedForDelete);
    PlannedServices::State& changed = services->Change(m_name);
    // A stopped service goes at once; a running one when it has stopped.
    if (changed.state == ServiceState::kStopped) {
      changed = PlannedServices::State();
    } else {
      changed.markedForDelete = true;
    }
    return Status();
  }

 private:
  // The service as the plan has it now (and the layer, when asked); fails
  // when the recorder has gone or the service does not exist.
  Expected<PlannedServices::State> Current(std::shared_ptr<PlannedServices>* layer) const {
    std::shared_ptr<PlannedServices> services = m_services.lock();
    if (!services) return Status::Failure(kInvalidHandle);
    PlannedServices::State current = services->Current(m_name);
    if (!current.config) return Status::Failure(kServiceDoesNotExist);
    if (layer != nullptr) *layer = std::move(services);
    return current;
  }

  std::weak_ptr<PlannedServices> m_services;
  std::string m_name;
};

// A service of a pass-through run: recorded before each change.
class RecordedService final : public Service::Impl {
 public:
  RecordedService(PlannedServices& services, backend::Service service)
      : m_services(services.weak_from_this()), m_service(std::move(service)) {}

  const std::string& name() const override { return m_service.name(); }
  Status Start() override {
    Touch();
    return m_service.Start();
  }
  Status Stop() override {
    Touch();
    return m_service.Stop();
  }
  Expected<ServiceStatus> QueryStatus() const override { return m_service.QueryStatus(); }
  Expected<ServiceConfig> QueryConfig(unsigned long bufferBytes,
                                      unsigned long* bytesNeeded) const override {
    return m_service.QueryConfig(bufferBytes, bytesNeeded);
  }
  Status ChangeStartType(StartType startType) override {
    Touch();
    return m_service.ChangeStartType(startType);
  }
  Status Delete() override {
    Touch();
    return m_service.Delete();
  }

 private:
  void Touch() {
    if (std::shared_ptr<PlannedServices> services = m_services.lock()) services->Touch(name());
  }

  std::weak_ptr<PlannedServices> m_services;
  backend::Service m_service;
};

class PlannedLock final : public ServiceDatabaseLock::Impl {};

class LayerManager final : public ServiceManager::Impl {
 public:
  LayerManager(PlannedServices& services, std::optional<backend::ServiceManager> manager)
      : m_services(services.weak_from_this()), m_manager(std::move(manager)) {}

  Expected<std::unique_ptr<Service::Impl>> OpenService(const std::string& name) const override {
    std::shared_ptr<PlannedServices> services = m_services.lock();
    if (!services) return Status::Failure(kInvalidHandle);
    if (!m_manager) {
      if (!services->Current(name).config) return Status::Failure(kServiceDoesNotExist);
      return std::unique_ptr<Service::Impl>(std::make_unique<PlannedService>(*services, name));
    }
    return Recorded(*services, m_manager->OpenService(name));
  }
  Expected<std::unique_ptr<Service::Impl>> CreateService(const std::string& name,
                                                         const ServiceConfig& config) override {
    std::shared_ptr<PlannedServices> services = m_services.lock();
    if (!services) return Status::Failure(kInvalidHandle);
    if (m_manager) {
      services->Touch(name);
      return Recorded(*services, m_manager->CreateService(name, config));
    }
    PlannedServices::State current = services->Current(name);
    if (current.config) {
      return Status::Failure(current.markedForDelete ? kServiceMarkedForDelete : kServiceExists);
    }
    if (name.empty() || name.find_first_of("\\/") != std::string::npos) {
      return Status::Failure(kInvalidName);
    }
    if (config.binaryPath.empty()) return Status::Failure(kInvalidParameter);
    ServiceConfig created = config;
    if (created.displayName.empty()) created.displayName = name;
    if (created.account.empty()) created.account = kLocalSystemAccount;
    services->Change(name) = PlannedServices::State{created, ServiceState::kStopped, false};
    return std::unique_ptr<Service::Impl>(std::make_unique<PlannedService>(*services, name));
  }
  Expected<std::unique_ptr<ServiceDatabaseLock::Impl>> LockDatabase() override {
    if (!m_manager) {
      return std::unique_ptr<ServiceDatabaseLock::Impl>(std::make_unique<PlannedLock>());
    }
    Expected<backend::ServiceDatabaseLock> lock = m_manager->LockDatabase();
    if (!lock.ok()) return lock.status();
    return BackendDatabaseLock(std::move(*lock));
  }

 private:
  static Expected<std::unique_ptr<Service::Impl>> Recorded(PlannedServices& services,
                                                           Expected<backend::Service> service) {
    if (!service.ok()) return service.status();
    return std::unique_ptr<Service::Impl>(
        std::make_unique<RecordedService>(services, std::move(*service)));
  }

  std::weak_ptr<PlannedServices> m_services;
  // Null under kPlan: the plan's manager has no backend's behind it.
  mutable std::optional<backend::ServiceManager> m_manager;
};

}  // namespace

PlannedServices::PlannedServices(Recording mode) : m_mode(mode) {}

PlannedServices::State PlannedServices::Current(const std::string& name) const {
  if (!m_pending.empty()) {
    auto found = m_pending.find(Upper(name));
    if (found != m_pending.end()) return found->second;
  }
  return BackendStateOf(name);
}

PlannedServices::State PlannedServices::BackendStateOf(const std::string& name) const {
  if (m_mode == Recording::kPassThrough) return BackendState(name);
  auto [found, added] = m_backend.try_emplace(Upper(name));
  if (added) found->second = BackendState(name);
  return found->second;
}

void PlannedServices::Touch(const std::string& name) {
  const std::string key = Upper(name);
  if (m_touchedIndex.count(key) != 0) return;
  m_touchedIndex.emplace(key, m_touched.size());
  m_touched.push_back({name, Current(name)});
}

PlannedServices::State& PlannedServices::Change(const std::string& name) {
  Touch(name);
  const std::string key = Upper(name);
  auto found = m_pending.find(key);
  if (found == m_pending.end()) found = m_pending.emplace(key, BackendStateOf(name)).first;
  return found->second;
}

Expected<std::unique_ptr<ServiceManager::Impl>> PlannedServices::OpenManager() {
  if (m_mode == Recording::kPlan) {
    return std::unique_ptr<ServiceManager::Impl>(
        std::make_unique<LayerManager>(*this, std::nullopt));
  }
  Expected<backend::ServiceManager> manager = backend::ServiceManager::Open();
  if (!manager.ok()) return manager.status();
  return std::unique_ptr<ServiceManager::Impl>(
      std::make_unique<LayerManager>(*this, std::move(*manager)));
}

void PlannedServices::AppendChanges(ChangeSet* changes) const {
  for (const Touched& touched : m_touched) {
    State now = Current(touched.name);
    if (SameConfig(touched.before.config, now.config) && touched.before.state == now.state) {
      continue;
    }
    changes->services.push_back(
        {touched.name, touched.before.config, now.config, touched.before.state, now.state});
  }
}

}  // namespace orvane::os
