#include "orvane/lifecycle/InstanceDeletion.h"

#include <initializer_list>

#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/lifecycle/InstanceTcpServices.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/InstanceService.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

enum MessageId : unsigned int {
  kMsgDeleted = 49,
  kMsgDeletionFailed = 50,
};

// Moves configuration files of the instance directory to their backup
// names; a file that does not exist is not moved.
void MoveAside(const MSInfo& info, std::initializer_list<const char*> files) {
  const KelString directory(info.GetHtmlPath());
  for (const char* file : files) KelCreateBackup(directory ^ file, nullptr);
}

int Unregister(const MSInfo& info, TcpServiceGroup group) {
  return UnregisterTcpServices(InstanceTcpServices(info, group));
}

}  // namespace
}  // namespace orvane

int KelDeleteSingleInst(MSInfo& info) {
  using orvane::TcpServiceGroup;
  if (KelIsTQSvcActive(info)) orvane::StopInstanceService(info);
  int status = orvane::DeleteInstanceService(info) & 1;
  status &= orvane::Unregister(info, TcpServiceGroup::kController);
  status &= orvane::Unregister(info, TcpServiceGroup::kServers);
  orvane::MoveAside(info, {"srvrctrl.ini", "tessaly.ini", "velqwww.ini"});
  if (orvane::IsPayServerInstalled()) {
    orvane::MoveAside(info, {"pay_back.ini", "pay_cashet.ini"});
    status &= orvane::Unregister(info, TcpServiceGroup::kPayment);
  }
  orvane::MoveAside(info, {"pay_cyber.ini"});
  status &= orvane::Unregister(info, TcpServiceGroup::kHelpers);
  orvane::MoveAside(info, {"scheduler.ini"});

  if (status) {
    KelUpdateStatus(orvane::kMsgDeleted, info.GetName());
  } else {
    KelShowError(orvane::kMsgDeletionFailed, info.GetName());
  }
  return status;
}
