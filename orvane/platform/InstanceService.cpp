#include "orvane/platform/InstanceService.h"

#include <string>

#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/core/MSList.h"
#include "orvane/os/Registry.h"
#include "orvane/os/Services.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/Processes.h"
#include "orvane/platform/WindowsServices.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

constexpr int kStatePolls = 180;
constexpr char kParametersKeyClass[] = "Server Controller";

enum MessageId : unsigned int {
  kMsgStartingServers = 34,
  kMsgStarted = 42,
  kMsgStopped = 43,
  kMsgCannotStart = 44,
  kMsgCannotStop = 45,
  kMsgAlreadyActive = 46,
  kMsgAlreadyInactive = 47,
};

KelString ServiceNameOf(const MSInfo& info) { return KelString("TQ") + info.GetName(); }

// The key that holds every instance service's start parameters.
std::string ParametersKey() { return ProductVersionKey(kCurrentProductVersion); }

// Polls once a second, at most kStatePolls times, until reached() holds.
template <class Predicate>
bool PollUntil(Predicate reached) {
  if (reached()) return true;
  for (int poll = 0; poll < kStatePolls; ++poll) {
    SleepSeconds(1);
    if (reached()) return true;
  }
  return false;
}

// Removes the start parameters of a service; false when there are none.
bool DeleteStartParameters(const KelString& name) {
  auto key = os::RegistryKey::Open(os::RegistryRoot::kLocalMachine, ParametersKey(),
                                   os::RegistryAccess::kAll);
  return key && key->DeleteValue(std::string(name));
}

}  // namespace

int CreateInstanceService(MSInfo& info) {
  KelString installDir;
  if (!KelGetInstPath(installDir)) return 0;
  const KelString name = ServiceNameOf(info);
  {
    auto key = os::RegistryKey::Create(os::RegistryRoot::kLocalMachine, ParametersKey(),
                                       kParametersKeyClass, os::RegistryAccess::kAll);
    if (!key) return 0;
    const KelString parameters = "-i " + (KelString(info.GetHtmlPath()) ^ "srvrctrl.ini");
    if (!key->SetValue(std::string(name), os::RegistryValue::String(std::string(parameters)))) {
      return 0;
    }
  }
  os::ServiceConfig config;
  config.serviceType = os::kServiceWin32OwnProcess;
  config.startType = os::StartType::kDemand;
  config.errorControl = os::kServiceErrorNormal;
  config.binaryPath = std::string(installDir ^ "bin" ^ "srvrctrl.exe");
  config.displayName = std::string("Tessaly - ") + info.GetName();
  auto manager = os::ServiceManager::Open();
  if (manager) {
    if (auto existing = manager->OpenService(std::string(name))) {
      // Created again, the service keeps the start type it was given (the
      // database set-up makes it automatic).
      if (const auto previous = QueryWholeConfig(*existing)) config.startType = previous->startType;
      existing->Delete();
    }
    if (manager->CreateService(std::string(name), config).ok()) return 1;
  }
  // Parameters without their service would only mislead the next reader.
  DeleteStartParameters(name);
  return 0;
}

int DeleteInstanceService(MSInfo& info) {
  const KelString name = ServiceNameOf(info);
  // Missing parameters must not keep the service alive for ever.
  DeleteStartParameters(name);
  auto opened = OpenNamedService(name);
  return opened && opened->service.Delete().ok() ? 1 : 0;
}

int StartInstanceService(MSInfo& info) {
  const KelString name = ServiceNameOf(info);
  if (!IsNamedServiceStopped(name)) return 1;
  const int started = KelStartSvc(name);
  return PollUntil([&] { return KelIsSvcActive(name) != 0; }) ? started : 0;
}

int StopInstanceService(MSInfo& info) {
  const KelString name = ServiceNameOf(info);
  if (!KelIsSvcActive(name)) return 1;
  const int stopped = KelStopSvc(name);
  return PollUntil([&] { return IsNamedServiceStopped(name) != 0; }) ? stopped : 0;
}

int SetInstanceServiceAuto(MSInfo& info) {
  const KelString name = ServiceNameOf(info);
  return KelIsSvcAuto(name) ? 1 : KelSetSvcAuto(name);
}

}  // namespace orvane

int KelIsTQSvcActive(MSInfo& info) { return KelIsSvcActive(orvane::ServiceNameOf(info)); }

int KelStartTQSvc(MSInfo& info) {
  if (KelIsTQSvcActive(info)) {
    KelUpdateStatus(orvane::kMsgAlreadyActive, info.GetName());
    return 1;
  }
  const int started = orvane::StartInstanceService(info);
  KelUpdateStatus(started ? orvane::kMsgStarted : orvane::kMsgCannotStart, info.GetName());
  return started;
}

int KelStopTQSvc(MSInfo& info) {
  if (!KelIsTQSvcActive(info)) {
    KelUpdateStatus(orvane::kMsgAlreadyInactive, info.GetName());
    return 1;
  }
  const int stopped = orvane::StopInstanceService(info);
  KelUpdateStatus(stopped ? orvane::kMsgStopped : orvane::kMsgCannotStop, info.GetName());
  return stopped;
}

int KelStartTQServer(const char* dataFile) {
  MSList list;
  if (dataFile == nullptr || !list.Load(dataFile)) return 0;
  KelUpdateStatus(orvane::kMsgStartingServers);
  for (int index = 0; index < list.GetCount(); ++index) {
    MSInfo info;
    if (list.SetIndex(index) && list.GetCurrent(info)) orvane::StartInstanceService(info);
  }
  return 1;
}
