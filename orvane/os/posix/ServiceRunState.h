// The emulated run state of a service and how it moves on the machine clock.
//
// A start or stop request puts the service into a pending state and notes the
// machine clock second at which it began; the pending state completes once
// the service's delay has passed on that clock, unless the service hangs.
// While pending, every status query reports progress by a higher check point,
// as a well-behaved Windows service does; a hanging service never does.
#ifndef ORVANE_OS_POSIX_SERVICERUNSTATE_H_
#define ORVANE_OS_POSIX_SERVICERUNSTATE_H_

#include "orvane/os/Services.h"

namespace orvane::os::posix {

// The knobs of an emulated service (HKLM\EMULATION\Services\<name>).
struct ServiceKnobs {
  unsigned long startDelaySeconds = 0;
  unsigned long stopDelaySeconds = 0;
  bool startFails = false;
  bool hangs = false;
};

struct ServiceRunState {
  ServiceState state = ServiceState::kStopped;
  unsigned long pendingSince = 0;  // machine clock second the transition began
  unsigned long checkPoint = 0;
};

// The wait hint a pending service reports, in milliseconds.
constexpr unsigned long kPendingWaitHintMs = 1000;

// The state right after a start (or stop) request at time now.
ServiceRunState BeginTransition(ServiceState pendingState, unsigned long now);

// The state at time now: a pending start or stop whose delay has passed is
// complete, unless the service hangs.
ServiceRunState CompleteDueTransition(const ServiceRunState& runState, const ServiceKnobs& knobs,
                                      unsigned long now);

// The state after one more status query: a pending, not hanging service
// advances its check point.
ServiceRunState CountStatusQuery(const ServiceRunState& runState, const ServiceKnobs& knobs);

// What a status query reports for a state.
ServiceStatus ReportedStatus(const ServiceRunState& runState);

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_SERVICERUNSTATE_H_
