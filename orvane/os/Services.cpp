// The public service control manager calls: a manager opened while a layer
// is active is the layer's, else the backend's.
#include "orvane/os/Services.h"

#include "orvane/os/Backend.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {
namespace {

class BackendService final : public Service::Impl {
 public:
  explicit BackendService(backend::Service service) : m_service(std::move(service)) {}

  const std::string& name() const override { return m_service.name(); }
  Status Start() override { return m_service.Start(); }
  Status Stop() override { return m_service.Stop(); }
  Expected<ServiceStatus> QueryStatus() const override { return m_service.QueryStatus(); }
  Expected<ServiceConfig> QueryConfig(unsigned long bufferBytes,
                                      unsigned long* bytesNeeded) const override {
    return m_service.QueryConfig(bufferBytes, bytesNeeded);
  }
  Status ChangeStartType(StartType startType) override {
    return m_service.ChangeStartType(startType);
  }
  Status Delete() override { return m_service.Delete(); }

 private:
  backend::Service m_service;
};

class BackendLock final : public ServiceDatabaseLock::Impl {
 public:
  explicit BackendLock(backend::ServiceDatabaseLock lock) : m_lock(std::move(lock)) {}

 private:
  backend::ServiceDatabaseLock m_lock;
};

Expected<std::unique_ptr<Service::Impl>> FromBackend(Expected<backend::Service> service) {
  if (!service.ok()) return service.status();
  return std::unique_ptr<Service::Impl>(std::make_unique<BackendService>(std::move(*service)));
}

class BackendManager final : public ServiceManager::Impl {
 public:
  explicit BackendManager(backend::ServiceManager manager) : m_manager(std::move(manager)) {}

  Expected<std::unique_ptr<Service::Impl>> OpenService(const std::string& name) const override {
    return FromBackend(m_manager.OpenService(name));
  }
  Expected<std::unique_ptr<Service::Impl>> CreateService(const std::string& name,
                                                         const ServiceConfig& config) override {
    return FromBackend(m_manager.CreateService(name, config));
  }
  Expected<std::unique_ptr<ServiceDatabaseLock::Impl>> LockDatabase() override {
    Expected<backend::ServiceDatabaseLock> lock = m_manager.LockDatabase();
    if (!lock.ok()) return lock.status();
    return BackendDatabaseLock(std::move(*lock));
  }

 private:
  mutable backend::ServiceManager m_manager;
};

}  // namespace

std::unique_ptr<ServiceDatabaseLock::Impl> BackendDatabaseLock(backend::ServiceDatabaseLock lock) {
  return std::make_unique<BackendLock>(std::move(lock));
}

Service::Service(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
Service::Service(Service&&) noexcept = default;
Service& Service::operator=(Service&&) noexcept = default;
Service::~Service() = default;

const std::string& Service::name() const { return m_impl->name(); }
Status Service::Start() { return m_impl->Start(); }
Status Service::Stop() { return m_impl->Stop(); }
Expected<ServiceStatus> Service::QueryStatus() const { return m_impl->QueryStatus(); }
Expected<ServiceConfig> Service::QueryConfig(unsigned long bufferBytes,
                                             unsigned long* bytesNeeded) const {
  return m_impl->QueryConfig(bufferBytes, bytesNeeded);
}
Status Service::ChangeStartType(StartType startType) { return m_impl->ChangeStartType(startType); }
Status Service::Delete() { return m_impl->Delete(); }

ServiceDatabaseLock::ServiceDatabaseLock(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ServiceDatabaseLock::ServiceDatabaseLock(ServiceDatabaseLock&&) noexcept = default;
ServiceDatabaseLock& ServiceDatabaseLock::operator=(ServiceDatabaseLock&&) noexcept = default;
ServiceDatabaseLock::~ServiceDatabaseLock() = default;

ServiceManager::ServiceManager(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ServiceManager::ServiceManager(ServiceManager&&) noexcept = default;
ServiceManager& ServiceManager::operator=(ServiceManager&&) noexcept = default;
ServiceManager::~ServiceManager() = default;

Expected<ServiceManager> ServiceManager::Open() {
  if (SeamLayer* layer = ActiveSeamLayer()) {
    Expected<std::unique_ptr<Impl>> impl = layer->OpenServiceManager();
    if (!impl.ok()) return impl.status();
    return ServiceManager(std::move(*impl));
  }
  Expected<backend::ServiceManager> manager = backend::ServiceManager::Open();
  if (!manager.ok()) return manager.status();
  return ServiceManager(std::make_unique<BackendManager>(std::move(*manager)));
}

Expected<Service> ServiceManager::OpenService(const std::string& name) const {
  Expected<std::unique_ptr<Service::Impl>> service = m_impl->OpenService(name);
  if (!service.ok()) return service.status();
  return Service(std::move(*service));
}

Expected<Service> ServiceManager::CreateService(const std::string& name,
                                                const ServiceConfig& config) {
  Expected<std::unique_ptr<Service::Impl>> service = m_impl->CreateService(name, config);
  if (!service.ok()) return service.status();
  return Service(std::move(*service));
}

Expected<ServiceDatabaseLock> ServiceManager::LockDatabase() {
  Expected<std::unique_ptr<ServiceDatabaseLock::Impl>> lock = m_impl->LockDatabase();
  if (!lock.ok()) return lock.status();
  return ServiceDatabaseLock(std::move(*lock));
}

}  // namespace orvane::os
