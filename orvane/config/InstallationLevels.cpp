// The instance lists of each product level.
#include "orvane/config/InstallationLevels.h"

#include <string>

#include "orvane/core/MSInfo.h"
#include "orvane/os/Registry.h"
#include "orvane/platform/InstallRegistry.h"

namespace orvane {
namespace {

// One record per subkey of the level's "Instances" key that names a valid
// instance name and directory.
void LoadRegisteredInstances(MSList& list, int level) {
  auto instances = os::RegistryKey::Open(os::RegistryRoot::kLocalMachine,
                                         ProductVersionKey(level) + "\\" + kOlderInstancesSubkey,
                                         os::RegistryAccess::kRead);
  if (!instances) return;
  for (unsigned long index = 0;; ++index) {
    auto name = instances->EnumerateSubkey(index);
    if (!name) return;
    auto instance = instances->OpenSubkey(*name, os::RegistryAccess::kRead);
    std::string directory;
    if (!instance || !ReadRegistryPathValue(*instance, kOlderInstanceDirValue, directory)) continue;
    MSInfo rec;
    if (rec.SetName(name->c_str()) && rec.SetHtmlPath(directory.c_str())) list.Add(rec, 0);
  }
}

}  // namespace

bool IsOlderLevel(int level) { return level == 1 || level == 2; }

KeywordVariant KeywordVariantOfLevel(int level) {
  if (level == 1) return KeywordVariant::kOldest;
  if (level == 2) return KeywordVariant::kOlder;
  return KeywordVariant::kCurrent;
}

KelString InstanceDataFile(const KelString& installation) {
  return installation ^ "server" ^ "admin" ^ "tqconfig.dat";
}

void LoadLevelInstances(MSList& list, int level) {
  if (level == 1) return;
  if (level == 2) {
    LoadRegisteredInstances(list, level);
    return;
  }
  KelString installation;
  if (GetTQInstallPath(installation, level)) list.Load(InstanceDataFile(installation));
}

}  // namespace orvane
