#include "orvane/config/WebServerConfig.h"

#include "orvane/config/AppServerConfig.h"
#include "orvane/config/HttpdConfig.h"
#include "orvane/config/PluginFiles.h"
#include "orvane/config/ServletConfig.h"
#include "orvane/config/WebServerMessages.h"
#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/Processes.h"
#include "orvane/platform/WindowsServices.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

constexpr int kStopPolls = 180;

}  // namespace

int WriteGoWebServerConfig(MSList& list, const char* installDir) {
  WebServerRun run;
  // Without the administration pages' config.js the installation is not
  // whole: there is nothing to take the product section from.
  if (!SurveyInstances(list, installDir, run)) {
    KelShowError(kMsgNoInstallation);
    return 0;
  }
  if (!GetWebServerDirs(run.dirs)) {
    KelShowError(kMsgNoWebServer);
    return 0;
  }
  if (!UpdateHttpdConfig(run)) return 0;
  if (!WritePluginFiles(run.dirs.configDir, installDir)) {
    KelShowError(kMsgPluginConfigFailed);
    return 0;
  }
  // servlet.cnf serves the catalog editor only; a failure there still lets
  // the web server take up the new httpd.cnf.
  int result = 1;
  if (run.anyCatalogEditor) result = UpdateServletConfig(run.dirs.configDir, 1, list);
  // A run for instances read back from an earlier level (a migration) leaves
  // the web server running as it is.
  if (!run.anyOldLevel && !RestartWebServer(kWebServerService)) {
    KelShowError(kMsgRestartFailed);
    result = 0;
  }
  return result;
}

int WriteNetscapeConfig(MSList& /*list*/) { return 1; }

int RestartWebServer(const char* serviceName) {
  if (!KelIsSvcActive(serviceName)) return 1;
  if (!KelStopSvc(serviceName)) return 0;
  for (int poll = 0; poll < kStopPolls; ++poll) {
    if (IsNamedServiceStopped(serviceName)) return KelStartSvc(serviceName);
    SleepSeconds(1);
  }
  return 0;
}

}  // namespace orvane

int KelSetISConf(MSList& list) {
  KelString installDir;
  if (!KelGetInstPath(installDir)) {
    KelShowError(orvane::kMsgNoInstallation);
    return 0;
  }
  bool anyGo = false;
  bool anyNetscape = false;
  for (int i = 0; i < list.GetCount(); ++i) {
    MSInfo info;
    list.SetIndex(i);
    list.GetCurrent(info);
    if (info.GetMSOption() & MSInfo::kOptHosting) {
      if (!orvane::IsCorbelleInstalled()) {
        KelUpdateStatus(orvane::kMsgNoApplicationServer);
        return 0;
      }
      orvane::UpdateAppServerFiles(info, installDir);
    }
    anyGo = anyGo || info.GetISType() == eISGoWebserver;
    anyNetscape = anyNetscape || info.GetISType() == eISNetscape;
  }
  int result = 1;
  if (anyGo) result = orvane::WriteGoWebServerConfig(list, installDir);
  if (anyNetscape && !orvane::WriteNetscapeConfig(list)) result = 0;
  return result;
}

int KelSetISConf(const char* dataFile) {
  // Routes of instances missing from a partial list would be dropped.
  MSList list;
  if (dataFile == nullptr || !list.Load(dataFile) || list.GetRefusedCount() > 0) {
    KelShowError(orvane::kMsgDataFileNotLoaded);
    return 0;
  }
  return KelSetISConf(list);
}
