// Migration of an earlier installation's instances.
#include "orvane/lifecycle/Migration.h"

#include <string>

#include "orvane/config/InstallationLevels.h"
#include "orvane/config/InstalledConfig.h"
#include "orvane/config/WebServerConfig.h"
#include "orvane/core/MSInfo.h"
#include "orvane/core/MSList.h"
#include "orvane/lifecycle/InstanceCreation.h"
#include "orvane/os/Files.h"
#include "orvane/platform/InstallRegistry.h"

namespace orvane {

int InstalledProductLevel() {
  KelString current;
  if (IsTQVersionInstalled(3) && GetTQInstallPath(current, 3) &&
      os::PathExists(std::string(InstanceDataFile(current)))) {
    return 3;
  }
  for (int level : {2, 1}) {
    if (IsTQVersionInstalled(level)) return level;
  }
  return 0;
}

}  // namespace orvane

int KelMigrate() {
  const int level = orvane::InstalledProductLevel();
  MSList list;
  if (!orvane::ReadInstalledConfig(list, level)) return 0;
  // Without any installation there is nothing to migrate: the web server's
  // configuration is left alone.
  if (level == 0 && list.GetCount() == 0) return 0;
  if (!KelSetISConf(list)) return 0;
  for (int index = 0; index < list.GetCount(); ++index) {
    MSInfo info;
    list.SetIndex(index);
    list.GetCurrent(info);
    if (!KelCreateSingleInst(info)) return 0;
  }
  return 1;
}
