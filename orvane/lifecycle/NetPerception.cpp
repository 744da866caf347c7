#include "orvane/lifecycle/NetPerception.h"

#include <string>

#include "orvane/config/ConfigFile.h"
#include "orvane/config/KeywordLines.h"
#include "orvane/core/Keywords.h"
#include "orvane/lifecycle/InstanceTree.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/runtime/Messages.h"

namespace {

constexpr unsigned kMessageNoInstallation = 5;
constexpr int kFileMode = 0644;

// Adds the three keys; 0 when a rewrite of the file failed (reported as
// message 3). A file that cannot be read was reported by its writer.
int AddPersonalizationKeys(MSInfo& info) {
  const KelString serverFile = KelString(info.GetHtmlPath()) ^ "tessaly.ini";
  const bool readable = orvane::os::PathExists(std::string(serverFile));
  int added = orvane::AddIfMissing(orvane::keyword::kPersEnabled, serverFile, " ", "NO");
  added &= orvane::AddIfMissing(orvane::keyword::kGlHost, serverFile, " ", info.GetISHost());
  added &= orvane::AddIfMissing(orvane::keyword::kGlPort, serverFile, " ", "9000");
  // The file keeps the mode it was written with: it holds ciphers.
  orvane::SetFileOwner(serverFile, info.GetDBOwner());
  return readable ? added : 1;
}

void RefreshProductMacros(MSInfo& info) {
  const KelString source = KelString(info.GetMacroPath()) ^ "product";
  const KelString target = KelString(info.GetRootPath()) ^ "teditor" ^ "product";
  for (const char* macro : orvane::TemplateEditorProductMacros()) {
    const std::string copy(target ^ macro);
    // A macro the store lacks leaves the instance's copy in place.
    if (!orvane::CopyWithBackup(std::string(source ^ macro), copy,
                                orvane::DefaultBackupName(copy))) {
      continue;
    }
    orvane::SetFileOwner(copy.c_str(), info.GetDBOwner());
    orvane::SetFileMode(copy.c_str(), kFileMode);
  }
}

}  // namespace

int KelNetPerceptionConfig(MSInfo& info) {
  KelString installDir;
  if (!orvane::GetTQInstallPath(installDir, orvane::kCurrentProductVersion)) {
    KelShowError(kMessageNoInstallation);
    return 0;
  }
  const int added = AddPersonalizationKeys(info);
  RefreshProductMacros(info);
  return added;
}
