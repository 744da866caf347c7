// The service control manager part of the recording layer (ChangeRecorder.h).
//
// Under Recording::kPlan each service that the run creates, deletes,
// starts, stops or reconfigures has a pending state (its configuration, run
// state and deletion mark); a started service is running at once, a stopped
// one stopped, and the database lock is not taken; a service that the run
// has not changed is read from the backend once, at its first look-up, since
// nothing the plan does changes it there. Under kPassThrough every call
// reaches the backend. Both keep each service's state at its first
// change, and the change set compares it with the state seen now.
#ifndef ORVANE_OS_PLANNEDSERVICES_H_
#define ORVANE_OS_PLANNEDSERVICES_H_

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "orvane/os/ChangeRecorder.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {

// Owned by a shared pointer: its handles hold it weakly, so that one kept
// after the recorder has gone fails (kInvalidHandle).
class PlannedServices : public std::enable_shared_from_this<PlannedServices> {
 public:
  explicit PlannedServices(Recording mode);
  PlannedServices(const PlannedServices&) = delete;
  PlannedServices& operator=(const PlannedServices&) = delete;

  Expected<std::unique_ptr<ServiceManager::Impl>> OpenManager();
  void AppendChanges(ChangeSet* changes) const;

  // A service as the run sees it now.
  struct State {
    std::optional<ServiceConfig> config;  // nothing: no such service
    ServiceState state = ServiceState::kStopped;
    bool markedForDelete = false;
  };
  State Current(const std::string& name) const;
  // Records a service's state before its first change; under kPlan the
  // pending state to change.
  State& Change(const std::string& name);
  void Touch(const std::string& name);
  Recording mode() const { return m_mode; }

 private:
  struct Touched {
    std::string name;
    State before;
  };

  // The backend's state of a service; under kPlan as first read.
  State BackendStateOf(const std::string& name) const;

  Recording m_mode;
  std::unordered_map<std::string, State> m_pending;
  mutable std::unordered_map<std::string, State> m_backend;  // kPlan: as first read
  std::vector<Touched> m_touched;
  std::unordered_map<std::string, size_t> m_touchedIndex;
};

}  // namespace orvane::os

#endif  // ORVANE_OS_PLANNEDSERVICES_H_
