#include "orvane/os/posix/ServiceRunState.h"

namespace orvane::os::posix {
namespace {

bool IsPending(ServiceState state) {
  return state == ServiceState::kStartPending || state == ServiceState::kStopPending;
}

}  // namespace

ServiceRunState BeginTransition(ServiceState pendingState, unsigned long now) {
  ServiceRunState runState;
  runState.state = pendingState;
  runState.pendingSince = now;
  return runState;
}

ServiceRunState CompleteDueTransition(const ServiceRunState& runState, const ServiceKnobs& knobs,
                                      unsigned long now) {
  if (!IsPending(runState.state) || knobs.hangs) return runState;
  bool starting = runState.state == ServiceState::kStartPending;
  unsigned long delay = starting ? knobs.startDelaySeconds : knobs.stopDelaySeconds;
  // A clock set back behind the start of the transition counts as no time passed.
  unsigned long elapsed = now >= runState.pendingSince ? now - runState.pendingSince : 0;
  if (elapsed < delay) return runState;
  ServiceRunState complete;
  complete.state = starting ? ServiceState::kRunning : ServiceState::kStopped;
  return complete;
}

ServiceRunState CountStatusQuery(const ServiceRunState& runState, const ServiceKnobs& knobs) {
  ServiceRunState counted = runState;
  if (IsPending(runState.state) && !knobs.hangs) ++counted.checkPoint;
  return counted;
}

ServiceStatus ReportedStatus(const ServiceRunState& runState) {
  ServiceStatus status;
  status.state = runState.state;
  if (IsPending(runState.state)) {
    status.checkPoint = runState.checkPoint;
    status.waitHintMs = kPendingWaitHintMs;
  }
  return status;
}

}  // namespace orvane::os::posix
