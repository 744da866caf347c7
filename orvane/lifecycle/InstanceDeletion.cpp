#include "orvane/lifecycle/InstanceDeletion.h"

#include <initializer_list>

#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/lifecycle/InstanceTcpServices.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/InstanceService.h"
#include "orvane/platform/ServicesFile.h"
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

// The queue bridge's file and entry. Only an instance with a bridge (its
// file is there) must have the entry; any other loses a stray one quietly.
int RemoveQueueBridge(const MSInfo& info) {
  const std::string bridgeFile(KelString(info.GetHtmlPath()) ^ "tqei_ece.ini");
  const bool hasBridge = os::PathExists(bridgeFile);
  MoveAside(info, {"tqei_ece.ini"});
  const int removed = KelUnregTcpService(BridgeTcpServiceName(info).c_str());
  return hasBridge ? removed : 1;
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
  status &= orvane::RemoveQueueBridge(info);

  if (status) {
    KelUpdateStatus(orvane::kMsgDeleted, info.GetName());
  } else {
    KelShowError(orvane::kMsgDeletionFailed, info.GetName());
  }
  return status;
}
