#include "orvane/lifecycle/InstanceCreation.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "orvane/config/InstanceFiles.h"
#include "orvane/config/MacroConfig.h"
#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/core/MSList.h"
#include "orvane/lifecycle/InstanceScripts.h"
#include "orvane/lifecycle/InstanceTcpServices.h"
#include "orvane/lifecycle/InstanceTree.h"
#include "orvane/lifecycle/NetPerception.h"
#include "orvane/os/Files.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/InstanceService.h"
#include "orvane/platform/TextFileRewrite.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

enum MessageId : unsigned int {
  kMsgCreationFailed = 19,
  kMsgNoInstallation = 5,
  kMsgCreated = 54,
  kMsgPortRangeConflict = 70,
};

// The controller's TCP service entry, the Windows service, then the entries
// of the other processes; each registration enters the status.
int RegisterInstance(MSInfo& info) {
  int status = RegisterTcpServices(InstanceTcpServices(info, TcpServiceGroup::kController)) & 1;
  status &= CreateInstanceService(info) ? 1 : 0;

  // The other processes' entries go into the services file in one rewrite.
  std::vector<TcpServiceEntry> entries = InstanceTcpServices(info, TcpServiceGroup::kServers);
  auto add = [&entries](const std::vector<TcpServiceEntry>& more) {
    entries.insert(entries.end(), more.begin(), more.end());
  };
  if (IsPayServerInstalled()) add(InstanceTcpServices(info, TcpServiceGroup::kPayment));
  const int helperBlock = FindHelperPortBlock(info);
  if (helperBlock < 0) {
    KelShowError(kMsgPortRangeConflict);
    status = 0;
  } else {
    add(InstanceTcpServices(info, TcpServiceGroup::kHelpers, helperBlock));
  }
  return status & RegisterTcpServices(entries);
}

// The payment server's files; only its scripts enter the status. Without
// the payment server a migration script left from an earlier creation is
// removed.
int SetUpPaymentServer(MSInfo& info, const char* installDir) {
  if (!IsPayServerInstalled()) {
    const std::string script = MigrateCashetScriptPath(info, installDir);
    if (os::PathExists(script)) os::DeleteFile(script);
    return 1;
  }
  int status = WritePayBackConfig(info, installDir);
  status &= WritePayCashetConfig(info, installDir);
  status &= WriteCashetScript(info, installDir);
  status &= WriteMigrateCashetScript(info, installDir);
  return status;
}

}  // namespace

int DetectPackaging(MSInfo& info, const char* installDir) {
  const KelString path =
      KelString(installDir) ^ "html" ^ "en_US" ^ "tqadmin" ^ "common" ^ "config.js";
  FILE* file = os::OpenFile(std::string(path), "r");
  if (file == nullptr) return 0;
  char line[kMaxLineChars + 1];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (std::strstr(line, "gTQPackaging") == nullptr) continue;
    const bool packaged = std::strstr(line, "kStrStart") != nullptr;
    info.SetMSOption(MSInfo::kOptPackaging, packaged ? MSInfo::kOptPackaging : 0);
    break;
  }
  std::fclose(file);
  return 1;
}

}  // namespace orvane

int KelCreateSingleInst(MSInfo& info) {
  // A record from an older file may hold a name that its rule refuses today;
  // as a folder, file and service name it would lead out of the instance.
  if (!MSInfo::CheckName(info.GetName())) {
    KelShowError(orvane::kMsgCreationFailed, info.GetName());
    return 1;
  }
  KelString installDir;
  if (!orvane::GetTQInstallPath(installDir, orvane::kCurrentProductVersion)) {
    KelShowError(orvane::kMsgNoInstallation);
    return 0;
  }
  if (!orvane::DetectPackaging(info, installDir)) return 0;
  // The servers must not run on files that are being replaced.
  if (KelIsTQSvcActive(info)) orvane::StopInstanceService(info);
  orvane::WriteControllerConfig(info);

  int status = orvane::RegisterInstance(info);
  // Each step below reports its own failure and creation goes on, but a file
  // that was not written fails the creation: the summary must not call it a
  // success.
  status &= orvane::BuildInstanceTree(info, installDir);
  if (info.GetMSOption() & MSInfo::kOptHosting) {
    status &= orvane::WriteSampleStoreScript(info, installDir);
  }
  status &= orvane::WriteServerConfig(info, installDir);
  status &= orvane::WriteMacroConfig(info, installDir);
  status &= orvane::WritePayCyberConfig(info, installDir);
  status &= orvane::WriteSchedulerConfig(info, installDir);
  status &= orvane::SetUpPaymentServer(info, installDir);
  if (orvane::IsPersonalizationInstalled()) status &= KelNetPerceptionConfig(info) ? 1 : 0;

  if (status) {
    KelUpdateStatus(orvane::kMsgCreated, info.GetName());
  } else {
    KelShowError(orvane::kMsgCreationFailed, info.GetName());
  }
  return 1;
}

int KelCreateInstance(const char* dataFile) {
  if (dataFile == nullptr) return 1;
  MSList list;
  list.Load(dataFile);  // what a failed load read is created all the same
  for (int index = 0; index < list.GetCount(); ++index) {
    MSInfo info;
    if (list.SetIndex(index) && list.GetCurrent(info)) KelCreateSingleInst(info);
  }
  return 1;
}
