// The service control manager of the emulated machine.
//
// A service's configuration is the key Windows keeps it in,
// HKLM\SYSTEM\CurrentControlSet\Services\<name>; a key counts as a service
// when it has a "Type" value (the key of a driver's parameters alone, such as
// Tcpip\Parameters, does not make a service). Its run state and the knobs of
// its emulation are in HKLM\EMULATION\Services\<name>: State, the machine
// clock second a pending transition began (PendingSince), the check point
// last reported (CheckPoint), and StartDelay, StopDelay, StartFails, Hangs.
//
// Every operation first settles the service on the machine clock: a pending
// start or stop that is due completes, and a service marked for deletion
// (DeleteFlag in its configuration, as Windows marks it) goes once stopped.
//
// The service database lock is an advisory lock (flock) on the file
// <root>/services.lock: it excludes every other holder, in this process or
// another, and a crashed holder's lock goes with its process.
#include "orvane/os/Services.h"
#include "orvane/os/Backend.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "orvane/os/Registry.h"
#include "orvane/os/posix/Clock.h"
#include "orvane/os/posix/ErrnoStatus.h"
#include "orvane/os/posix/Machine.h"
#include "orvane/os/posix/RegistryStore.h"
#include "orvane/os/posix/RegistryUtil.h"
#include "orvane/os/posix/ServiceRunState.h"

namespace orvane::os::backend {
namespace {

using posix::DwordOr;
using posix::QueryDwordOr;
using posix::RegistryNode;
using posix::ServiceKnobs;
using posix::ServiceRunState;

constexpr char kConfigurationKey[] = "SYSTEM\\CurrentControlSet\\Services\\";
constexpr char kRunStateKey[] = "EMULATION\\Services\\";
constexpr char kLocalSystemAccount[] = "LocalSystem";
// The fixed part of QUERY_SERVICE_CONFIGA: nine 32-bit fields and pointers.
constexpr unsigned long kServiceConfigFixedBytes = 36;

std::string ConfigurationKeyOf(const std::string& name) { return kConfigurationKey + name; }
std::string RunStateKeyOf(const std::string& name) { return kRunStateKey + name; }

// Service names become key names: no separators, at most 256 characters.
bool IsValidServiceName(const std::string& name) {
  return !name.empty() && name.size() <= 256 && name.find_first_of("\\/") == std::string::npos;
}

Expected<RegistryKey> OpenConfiguration(const std::string& name, RegistryAccess access) {
  Expected<RegistryKey> key =
      RegistryKey::Open(RegistryRoot::kLocalMachine, ConfigurationKeyOf(name), access);
  if (!key || !key->QueryValue("Type")) return Status::Failure(kServiceDoesNotExist);
  return key;
}

bool IsMarkedForDeletion(const RegistryKey& configuration) {
  return QueryDwordOr(configuration, "DeleteFlag", 0) != 0;
}

// A service as one snapshot of the registry holds it: every query of one
// operation reads the same snapshot, which costs one stat of the registry
// file however many values it reads.
struct StoredService {
  posix::RegistrySnapshot tree;
  const RegistryNode* configuration = nullptr;  // a node of tree
  ServiceRunState runState;
  ServiceKnobs knobs;
};

bool IsMarkedForDeletion(const StoredService& service) {
  return DwordOr(service.configuration, "DeleteFlag", 0) != 0;
}

// A service's keys in a snapshot, null when absent. The paths of the keys
// above them are split once, not at every look-up of every service.
const RegistryNode* SubkeyOf(const RegistryNode* parent, const std::string& name) {
  return parent == nullptr ? nullptr : parent->FindSubkey(name);
}

const RegistryNode* ConfigurationNode(const RegistryNode& tree, const std::string& name) {
  // Never destroyed: a recording saved at exit may still look services up.
  static const std::vector<std::string>& kPath =
      *new std::vector<std::string>(posix::HiveKeyPath(RegistryRoot::kLocalMachine, kConfigurationKey));
  return SubkeyOf(tree.FindPath(kPath), name);
}

const RegistryNode* RunStateNode(const RegistryNode& tree, const std::string& name) {
  // Never destroyed: a recording saved at exit may still look services up.
  static const std::vector<std::string>& kPath =
      *new std::vector<std::string>(posix::HiveKeyPath(RegistryRoot::kLocalMachine, kRunStateKey));
  return SubkeyOf(tree.FindPath(kPath), name);
}

// A service without a run state has never been started: it is stopped.
ServiceRunState RunStateOf(const RegistryNode* key) {
  ServiceRunState runState;
  unsigned long state = DwordOr(key, "State", 1);
  bool known = state == 1 || state == 2 || state == 3 || state == 4;
  runState.state = known ? static_cast<ServiceState>(state) : ServiceState::kStopped;
  runState.pendingSince = DwordOr(key, "PendingSince", 0);
  runState.checkPoint = DwordOr(key, "CheckPoint", 0);
  return runState;
}

ServiceKnobs KnobsOf(const RegistryNode* key) {
  ServiceKnobs knobs;
  knobs.startDelaySeconds = DwordOr(key, "StartDelay", 0);
  knobs.stopDelaySeconds = DwordOr(key, "StopDelay", 0);
  knobs.startFails = DwordOr(key, "StartFails", 0) != 0;
  knobs.hangs = DwordOr(key, "Hangs", 0) != 0;
  return knobs;
}

// The service in the registry as it is now; kServiceDoesNotExist when it
// has no configuration (or the registry cannot be read).
Expected<StoredService> ReadService(const std::string& name) {
  Expected<posix::RegistrySnapshot> tree = posix::ReadRegistry();
  if (!tree.ok()) return Status::Failure(kServiceDoesNotExist);
  StoredService service;
  service.tree = std::move(*tree);
  service.configuration = ConfigurationNode(*service.tree, name);
  if (service.configuration == nullptr || service.configuration->FindValue("Type") == nullptr) {
    return Status::Failure(kServiceDoesNotExist);
  }
  const RegistryNode* runStateKey = RunStateNode(*service.tree, name);
  service.runState = RunStateOf(runStateKey);
  service.knobs = KnobsOf(runStateKey);
  return service;
}

// The key below HKEY_LOCAL_MACHINE in a registry being changed, created
// with the keys on the way when missing.
RegistryNode* MachineKeyIn(RegistryNode* tree, const std::string& subkey, bool* changed) {
  RegistryNode* key = tree;
  for (const std::string& keyName : posix::HiveKeyPath(RegistryRoot::kLocalMachine, subkey)) {
    bool added = false;
    key = &key->AddSubkey(keyName, "", &added);
    *changed = *changed || added;
  }
  return key;
}

void PutRunState(const std::string& name, const ServiceRunState& runState, RegistryNode* tree,
                 bool* changed) {
  RegistryNode* key = MachineKeyIn(tree, RunStateKeyOf(name), changed);
  const std::pair<const char*, unsigned long> values[] = {
      {"State", static_cast<unsigned long>(runState.state)},
      {"PendingSince", runState.pendingSince},
      {"CheckPoint", runState.checkPoint}};
  for (const auto& [valueName, number] : values) {
    if (key->ChangeValue(valueName, RegistryValue::Dword(number))) *changed = true;
  }
}

// One transaction, so that no reader (nor a crash) sees half a run state,
// and the file is written once at most.
Status WriteRunState(const std::string& name, const ServiceRunState& runState) {
  return posix::ChangeRegistry([&](RegistryNode* tree, bool* changed) {
    PutRunState(name, runState, tree, changed);
    return Status();
  });
}

bool SameRunState(const ServiceRunState& a, const ServiceRunState& b) {
  return a.state == b.state && a.pendingSince == b.pendingSince && a.checkPoint == b.checkPoint;
}

Status RemoveService(const std::string& name) {
  Status removed = posix::DeleteRegistryTree(RegistryRoot::kLocalMachine, ConfigurationKeyOf(name));
  if (!removed) return removed;
  posix::DeleteRegistryTree(RegistryRoot::kLocalMachine, RunStateKeyOf(name));
  return Status();
}

// Brings a service up to the machine clock: completes a due transition and
// removes a stopped service that is marked for deletion. Fails with
// kServiceDoesNotExist when the service is (or has just gone) away. The
// service comes back with its settled run state.
Expected<StoredService> Settle(const std::string& name) {
  Expected<StoredService> service = ReadService(name);
  if (!service) return service.status();
  ServiceRunState settled = posix::CompleteDueTransition(
      service->runState, service->knobs, posix::MachineClockSeconds(*service->tree));
  if (settled.state == ServiceState::kStopped && IsMarkedForDeletion(*service)) {
    RemoveService(name);
    return Status::Failure(kServiceDoesNotExist);
  }
  if (!SameRunState(service->runState, settled)) {
    Status written = WriteRunState(name, settled);
    if (!written) return written;
    service->runState = settled;
  }
  return service;
}

std::string StringOr(const RegistryNode& key, const std::string& name,
                     const std::string& fallback) {
  const RegistryValue* value = key.FindValue(name);
  if (value == nullptr || (value->type != ValueType::kString && value->type != ValueType::kExpandString)) {
    return fallback;
  }
  return value->AsString();
}

// The strings of a REG_MULTI_SZ value.
std::vector<std::string> MultiStringOf(const RegistryNode& key, const std::string& name) {
  std::vector<std::string> strings;
  const RegistryValue* value = key.FindValue(name);
  if (value == nullptr || value->type != ValueType::kMultiString) return strings;
  std::string current;
  for (unsigned char byte : value->data) {
    if (byte != '\0') {
      current += static_cast<char>(byte);
    } else if (current.empty()) {
      break;
    } else {
      strings.push_back(current);
      current.clear();
    }
  }
  if (!current.empty()) strings.push_back(current);
  return strings;
}

// The bytes of the dependency list of QUERY_SERVICE_CONFIGA: each service,
// then each group with its "+" mark, every one with its NUL, and the NUL
// that ends the list; an empty list is two NULs.
unsigned long DependencyListBytes(const RegistryNode& configuration) {
  unsigned long bytes = 1;
  for (const std::string& service : MultiStringOf(configuration, "DependOnService")) {
    bytes += service.size() + 1;
  }
  for (const std::string& group : MultiStringOf(configuration, "DependOnGroup")) {
    bytes += 1 + group.size() + 1;
  }
  return std::max(bytes, 2ul);
}

bool IsServiceStartType(StartType startType) {
  return startType == StartType::kAutomatic || startType == StartType::kDemand ||
         startType == StartType::kDisabled;
}

std::string ServicesLockPath() { return posix::MachineRoot() + "/services.lock"; }

// True when a holder has the service database lock.
bool IsDatabaseLocked() {
  int descriptor = open(ServicesLockPath().c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  bool locked = flock(descriptor, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(descriptor);
  return locked;
}

}  // namespace

class Service::Impl {
 public:
  explicit Impl(std::string name) : m_name(std::move(name)) {}
  const std::string& name() const { return m_name; }

 private:
  std::string m_name;
};

Service::Service(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
Service::Service(Service&&) noexcept = default;
Service& Service::operator=(Service&&) noexcept = default;
Service::~Service() = default;

const std::string& Service::name() const { return m_impl->name(); }

Status Service::Start() {
  Expected<StoredService> service = Settle(name());
  if (!service) return service.status();
  if (IsMarkedForDeletion(*service)) return Status::Failure(kServiceMarkedForDelete);
  if (DwordOr(service->configuration, "Start", 3) ==
      static_cast<unsigned long>(StartType::kDisabled)) {
    return Status::Failure(kServiceDisabled);
  }
  if (service->runState.state != ServiceState::kStopped) {
    return Status::Failure(kServiceAlreadyRunning);
  }
  if (IsDatabaseLocked()) return Status::Failure(kServiceDatabaseLocked);
  // A service program that fails to come up makes the start request time out.
  if (service->knobs.startFails) return Status::Failure(kServiceRequestTimeout);
  return WriteRunState(name(), posix::BeginTransition(ServiceState::kStartPending,
                                                      posix::MachineClockSeconds(*service->tree)));
}

Status Service::Stop() {
  Expected<StoredService> service = Settle(name());
  if (!service) return service.status();
  if (service->runState.state == ServiceState::kStopped) {
    return Status::Failure(kServiceNotActive);
  }
  // A service in the middle of a start or stop takes no stop control.
  if (service->runState.state != ServiceState::kRunning) {
    return Status::Failure(kServiceCannotAcceptControl);
  }
  return WriteRunState(name(), posix::BeginTransition(ServiceState::kStopPending,
                                                      posix::MachineClockSeconds(*service->tree)));
}

Expected<ServiceStatus> Service::QueryStatus() const {
  Expected<StoredService> service = Settle(name());
  if (!service) return service.status();
  const ServiceRunState& settled = service->runState;
  ServiceRunState queried = posix::CountStatusQuery(settled, service->knobs);
  if (!SameRunState(queried, settled)) {
    Status written = WriteRunState(name(), queried);
    if (!written) return written;
  }
  return posix::ReportedStatus(queried);
}

Expected<ServiceConfig> Service::QueryConfig(unsigned long bufferBytes,
                                             unsigned long* bytesNeeded) const {
  Expected<StoredService> service = ReadService(name());
  if (!service) return service.status();
  const RegistryNode& key = *service->configuration;
  ServiceConfig config;
  config.serviceType = DwordOr(&key, "Type", kServiceWin32OwnProcess);
  config.startType = static_cast<StartType>(DwordOr(&key, "Start", 3));
  config.errorControl = DwordOr(&key, "ErrorControl", kServiceErrorNormal);
  config.binaryPath = StringOr(key, "ImagePath", "");
  config.displayName = StringOr(key, "DisplayName", name());
  config.account = StringOr(key, "ObjectName", kLocalSystemAccount);
  std::string loadOrderGroup = StringOr(key, "Group", "");

  unsigned long needed = kServiceConfigFixedBytes + config.binaryPath.size() + 1 +
                         loadOrderGroup.size() + 1 + DependencyListBytes(key) +
                         config.account.size() + 1 + config.displayName.size() + 1;
  if (bytesNeeded != nullptr) *bytesNeeded = needed;
  if (needed > bufferBytes) return Status::Failure(kInsufficientBuffer);
  return config;
}

Status Service::ChangeStartType(StartType startType) {
  Expected<RegistryKey> key = OpenConfiguration(name(), RegistryAccess::kAll);
  if (!key) return key.status();
  if (IsMarkedForDeletion(*key)) return Status::Failure(kServiceMarkedForDelete);
  if (!IsServiceStartType(startType)) return Status::Failure(kInvalidParameter);
  return key->SetValue("Start", RegistryValue::Dword(static_cast<unsigned long>(startType)));
}

Status Service::Delete() {
  Expected<RegistryKey> key = OpenConfiguration(name(), RegistryAccess::kAll);
  if (!key) return key.status();
  if (IsMarkedForDeletion(*key)) return Status::Failure(kServiceMarkedForDelete);
  Status marked = key->SetValue("DeleteFlag", RegistryValue::Dword(1));
  if (!marked) return marked;
  // A stopped service goes at once; a running one when it has stopped.
  Expected<StoredService> settled = Settle(name());
  if (!settled && settled.status().code() != kServiceDoesNotExist) return settled.status();
  return Status();
}

class ServiceDatabaseLock::Impl {
 public:
  explicit Impl(int descriptor) : m_descriptor(descriptor) {}
  ~Impl() { close(m_descriptor); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

 private:
  int m_descriptor;
};

ServiceDatabaseLock::ServiceDatabaseLock(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ServiceDatabaseLock::ServiceDatabaseLock(ServiceDatabaseLock&&) noexcept = default;
ServiceDatabaseLock& ServiceDatabaseLock::operator=(ServiceDatabaseLock&&) noexcept = default;
ServiceDatabaseLock::~ServiceDatabaseLock() = default;

class ServiceManager::Impl {};

ServiceManager::ServiceManager(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ServiceManager::ServiceManager(ServiceManager&&) noexcept = default;
ServiceManager& ServiceManager::operator=(ServiceManager&&) noexcept = default;
ServiceManager::~ServiceManager() = default;

Expected<ServiceManager> ServiceManager::Open() {
  return ServiceManager(std::make_unique<Impl>());
}

Expected<Service> ServiceManager::OpenService(const std::string& name) const {
  if (!IsValidServiceName(name)) return Status::Failure(kInvalidName);
  Expected<StoredService> settled = Settle(name);
  if (!settled) return settled.status();
  return Service(std::make_unique<Service::Impl>(name));
}

Expected<Service> ServiceManager::CreateService(const std::string& name,
                                                const ServiceConfig& config) {
  if (!IsValidServiceName(name)) return Status::Failure(kInvalidName);
  if (config.binaryPath.empty() || !IsServiceStartType(config.startType)) {
    return Status::Failure(kInvalidParameter);
  }
  if (Expected<StoredService> existing = Settle(name)) {
    return Status::Failure(IsMarkedForDeletion(*existing) ? kServiceMarkedForDelete
                                                          : kServiceExists);
  }
  RegistryValue imagePath = RegistryValue::String(config.binaryPath);
  imagePath.type = ValueType::kExpandString;  // as Windows keeps ImagePath
  const std::pair<const char*, RegistryValue> values[] = {
      {"Type", RegistryValue::Dword(config.serviceType)},
      {"Start", RegistryValue::Dword(static_cast<unsigned long>(config.startType))},
      {"ErrorControl", RegistryValue::Dword(config.errorControl)},
      {"ImagePath", imagePath},
      {"DisplayName", RegistryValue::String(config.displayName.empty() ? name : config.displayName)},
      {"ObjectName",
       RegistryValue::String(config.account.empty() ? kLocalSystemAccount : config.account)},
  };
  // The configuration and the stopped run state in one transaction: one
  // rewrite of the registry, and no reader sees half a service.
  Status created = posix::ChangeRegistry([&](RegistryNode* tree, bool* changed) {
    RegistryNode* key = MachineKeyIn(tree, ConfigurationKeyOf(name), changed);
    for (const auto& [valueName, value] : values) {
      if (key->ChangeValue(valueName, value)) *changed = true;
    }
    PutRunState(name, ServiceRunState(), tree, changed);
    return Status();
  });
  if (!created) return created;
  return Service(std::make_unique<Service::Impl>(name));
}

Expected<ServiceDatabaseLock> ServiceManager::LockDatabase() {
  // A machine that has never been written to has no root folder yet.
  std::error_code ignored;
  std::filesystem::create_directories(posix::MachineRoot(), ignored);
  int descriptor = open(ServicesLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (descriptor < 0) return posix::FailureFromErrno(errno);
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    close(descriptor);
    return error == EWOULDBLOCK ? Status::Failure(kServiceDatabaseLocked)
                                : posix::FailureFromErrno(error);
  }
  return ServiceDatabaseLock(std::make_unique<ServiceDatabaseLock::Impl>(descriptor));
}

}  // namespace orvane::os::backend
