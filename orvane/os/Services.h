// The service control manager of the OS seam.
//
// On the emulated machine a service's configuration lives where Windows keeps
// it (HKLM\SYSTEM\CurrentControlSet\Services\<name>) and its run state under
// HKLM\EMULATION\Services\<name>; pending starts and stops complete on the
// machine clock.
#ifndef ORVANE_OS_SERVICES_H_
#define ORVANE_OS_SERVICES_H_

#include <memory>
#include <string>

#include "orvane/os/Status.h"

namespace orvane::os {

// Win32 service states, by their numbers.
enum class ServiceState : unsigned long {
  kStopped = 1,
  kStartPending = 2,
  kStopPending = 3,
  kRunning = 4,
  kContinuePending = 5,
  kPausePending = 6,
  kPaused = 7,
};

// Win32 start types, by their numbers.
enum class StartType : unsigned long {
  kBoot = 0,
  kSystem = 1,
  kAutomatic = 2,
  kDemand = 3,
  kDisabled = 4,
};

constexpr unsigned long kServiceWin32OwnProcess = 0x10;
constexpr unsigned long kServiceErrorNormal = 1;

struct ServiceStatus {
  ServiceState state = ServiceState::kStopped;
  unsigned long checkPoint = 0;
  unsigned long waitHintMs = 0;
};

struct ServiceConfig {
  unsigned long serviceType = kServiceWin32OwnProcess;
  StartType startType = StartType::kDemand;
  unsigned long errorControl = kServiceErrorNormal;
  std::string binaryPath;
  std::string displayName;
  std::string account;  // "" for the local system account when creating
};

class Service {
 public:
  class Impl;
  Service(Service&&) noexcept;
  Service& operator=(Service&&) noexcept;
  ~Service();

  const std::string& name() const;

  // Asks the service to start; kServiceAlreadyRunning when it is not stopped.
  Status Start();
  // Sends the stop control; kServiceNotActive when it is not running.
  Status Stop();
  Expected<ServiceStatus> QueryStatus() const;
  // The configuration as it would fill a caller's buffer of bufferBytes bytes;
  // when it does not fit, fails with kInsufficientBuffer and sets
  // *bytesNeeded to the size it needs.
  Expected<ServiceConfig> QueryConfig(unsigned long bufferBytes,
                                      unsigned long* bytesNeeded) const;
  // Changes the start type only, leaving every other setting.
  Status ChangeStartType(StartType startType);
  // Marks the service for deletion; it goes once it is stopped.
  Status Delete();

 private:
  friend class ServiceManager;
  explicit Service(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_impl;
};

// The lock on the service database, released when the object goes.
class ServiceDatabaseLock {
 public:
  class Impl;
  ServiceDatabaseLock(ServiceDatabaseLock&&) noexcept;
  ServiceDatabaseLock& operator=(ServiceDatabaseLock&&) noexcept;
  ~ServiceDatabaseLock();

 private:
  friend class ServiceManager;
  explicit ServiceDatabaseLock(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_impl;
};

// The local machine's service control manager, opened with full access.
class ServiceManager {
 public:
  class Impl;
  static Expected<ServiceManager> Open();

  ServiceManager(ServiceManager&&) noexcept;
  ServiceManager& operator=(ServiceManager&&) noexcept;
  ~ServiceManager();

  // kServiceDoesNotExist when there is no such service.
  Expected<Service> OpenService(const std::string& name) const;
  // Creates a service running as the local system account; kServiceExists
  // when the name is taken.
  Expected<Service> CreateService(const std::string& name, const ServiceConfig& config);
  // kServiceDatabaseLocked when another holder has it.
  Expected<ServiceDatabaseLock> LockDatabase();

 private:
  explicit ServiceManager(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_impl;
};

}  // namespace orvane::os

#endif  // ORVANE_OS_SERVICES_H_
