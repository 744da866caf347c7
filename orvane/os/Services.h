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

#include "orvane/os/ServicesCalls.inc"

}  // namespace orvane::os

#endif  // ORVANE_OS_SERVICES_H_
