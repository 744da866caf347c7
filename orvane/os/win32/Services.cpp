// The service control manager on the Win32 API.
#include "orvane/os/Services.h"
#include "orvane/os/Backend.h"

#include <memory>

#include "orvane/os/win32/ApiStatus.h"
#include "orvane/os/win32/ScopedHandle.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os::backend {

class Service::Impl {
 public:
  Impl(SC_HANDLE handle, std::string name) : m_handle(handle), m_name(std::move(name)) {}
  SC_HANDLE get() const { return m_handle.get(); }
  const std::string& name() const { return m_name; }

 private:
  ScopedServiceHandle m_handle;
  std::string m_name;
};

class ServiceDatabaseLock::Impl {
 public:
  explicit Impl(SC_LOCK lock) : m_lock(lock) {}

 private:
  ScopedServiceLock m_lock;
};

class ServiceManager::Impl {
 public:
  explicit Impl(SC_HANDLE manager) : m_manager(manager) {}
  SC_HANDLE get() const { return m_manager.get(); }

 private:
  ScopedServiceHandle m_manager;
};

namespace {

Status StatusOfCall(BOOL succeeded) { return succeeded ? Status() : LastErrorFailure(); }

const char* NullWhenEmpty(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

std::string TextOrEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

// Service

Service::Service(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
Service::Service(Service&&) noexcept = default;
Service& Service::operator=(Service&&) noexcept = default;
Service::~Service() = default;

const std::string& Service::name() const { return m_impl->name(); }

Status Service::Start() { return StatusOfCall(::StartServiceA(m_impl->get(), 0, nullptr)); }

Status Service::Stop() {
  SERVICE_STATUS status;
  return StatusOfCall(::ControlService(m_impl->get(), SERVICE_CONTROL_STOP, &status));
}

Expected<ServiceStatus> Service::QueryStatus() const {
  SERVICE_STATUS status;
  if (!::QueryServiceStatus(m_impl->get(), &status)) return LastErrorFailure();
  ServiceStatus result;
  result.state = static_cast<ServiceState>(status.dwCurrentState);
  result.checkPoint = status.dwCheckPoint;
  result.waitHintMs = status.dwWaitHint;
  return result;
}

Expected<ServiceConfig> Service::QueryConfig(unsigned long bufferBytes,
                                             unsigned long* bytesNeeded) const {
  // new[] storage is aligned for the structure at the buffer's start.
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[bufferBytes > 0 ? bufferBytes : 1]);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.get());
  DWORD needed = 0;
  if (!::QueryServiceConfigA(m_impl->get(), bufferBytes > 0 ? config : nullptr,
                             static_cast<DWORD>(bufferBytes), &needed)) {
    Status failure = LastErrorFailure();
    if (failure.code() == kInsufficientBuffer && bytesNeeded != nullptr) *bytesNeeded = needed;
    return failure;
  }
  ServiceConfig result;
  result.serviceType = config->dwServiceType;
  result.startType = static_cast<StartType>(config->dwStartType);
  result.errorControl = config->dwErrorControl;
  result.binaryPath = TextOrEmpty(config->lpBinaryPathName);
  result.displayName = TextOrEmpty(config->lpDisplayName);
  result.account = TextOrEmpty(config->lpServiceStartName);
  return result;
}

Status Service::ChangeStartType(StartType startType) {
  return StatusOfCall(::ChangeServiceConfigA(m_impl->get(), SERVICE_NO_CHANGE,
                                             static_cast<DWORD>(startType), SERVICE_NO_CHANGE,
                                             nullptr, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr));
}

Status Service::Delete() { return StatusOfCall(::DeleteService(m_impl->get())); }

// ServiceDatabaseLock

ServiceDatabaseLock::ServiceDatabaseLock(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ServiceDatabaseLock::ServiceDatabaseLock(ServiceDatabaseLock&&) noexcept = default;
ServiceDatabaseLock& ServiceDatabaseLock::operator=(ServiceDatabaseLock&&) noexcept = default;
ServiceDatabaseLock::~ServiceDatabaseLock() = default;

// ServiceManager

ServiceManager::ServiceManager(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ServiceManager::ServiceManager(ServiceManager&&) noexcept = default;
ServiceManager& ServiceManager::operator=(ServiceManager&&) noexcept = default;
ServiceManager::~ServiceManager() = default;

Expected<ServiceManager> ServiceManager::Open() {
  SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) return LastErrorFailure();
  return ServiceManager(std::make_unique<Impl>(manager));
}

Expected<Service> ServiceManager::OpenService(const std::string& name) const {
  SC_HANDLE service = ::OpenServiceA(m_impl->get(), name.c_str(), SERVICE_ALL_ACCESS);
  if (service == nullptr) return LastErrorFailure();
  return Service(std::make_unique<Service::Impl>(service, name));
}

Expected<Service> ServiceManager::CreateService(const std::string& name,
                                                const ServiceConfig& config) {
  SC_HANDLE service = ::CreateServiceA(
      m_impl->get(), name.c_str(), NullWhenEmpty(config.displayName), SERVICE_ALL_ACCESS,
      config.serviceType, static_cast<DWORD>(config.startType), config.errorControl,
      config.binaryPath.c_str(), nullptr, nullptr, nullptr, NullWhenEmpty(config.account),
      nullptr);
  if (service == nullptr) return LastErrorFailure();
  return Service(std::make_unique<Service::Impl>(service, name));
}

Expected<ServiceDatabaseLock> ServiceManager::LockDatabase() {
  SC_LOCK lock = ::LockServiceDatabase(m_impl->get());
  if (lock == nullptr) return LastErrorFailure();
  return ServiceDatabaseLock(std::make_unique<ServiceDatabaseLock::Impl>(lock));
}

}  // namespace orvane::os::backend
