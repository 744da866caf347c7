#include "orvane/config/PasswordFile.h"

#include <string>

#include "orvane/config/ConfigFile.h"
#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"

namespace orvane {
namespace {

constexpr int kPasswordFileMode = 0644;

}  // namespace

int CreatePasswordFile(const char* dir, int webServerType, const char* installDir,
                       const char* owner) {
  if (webServerType != eISGoWebserver) return 1;
  const KelString path = KelString(dir) ^ "netc.pwd";
  const KelString templatePath = KelString(installDir) ^ "server" ^ "admin" ^ "kelsclt.pwd";
  // Without a template the instance keeps the password file it has.
  if (!os::PathExists(std::string(templatePath))) return 0;
  // Copied beside and renamed into place: a kill or a full disk on the way
  // leaves the present file, never none.
  const std::string target(path);
  if (!CopyWithBackup(std::string(templatePath), target, DefaultBackupName(target))) return 0;
  SetFileOwner(path, owner);
  SetFileMode(path, kPasswordFileMode);
  return 1;
}

}  // namespace orvane
