#include "orvane/config/PackagingFile.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "orvane/core/KelString.h"
#include "orvane/os/Files.h"
#include "orvane/platform/TextFileRewrite.h"

namespace orvane {

PackagingSetting ReadPackagingSetting(const char* installDir) {
  const KelString path =
      KelString(installDir) ^ "html" ^ "en_US" ^ "tqadmin" ^ "common" ^ "config.js";
  FILE* in = os::OpenFile(std::string(path), "r");
  if (in == nullptr) return PackagingSetting::kMissingFile;
  PackagingSetting setting = PackagingSetting::kUnset;
  // Whole lines: a long one (a script on one line) is not cut in pieces.
  std::string line;
  while (setting == PackagingSetting::kUnset && ReadLine(in, &line)) {
    if (std::strstr(line.c_str(), "gTQPackaging") == nullptr) continue;
    setting = std::strstr(line.c_str(), "kStrStart") != nullptr ? PackagingSetting::kSet
                                                                : PackagingSetting::kClear;
  }
  std::fclose(in);
  return setting;
}

void ApplyPackagingSetting(PackagingSetting setting, MSInfo& info) {
  if (setting == PackagingSetting::kSet)
    info.SetMSOption(MSInfo::kOptPackaging, MSInfo::kOptPackaging);
  if (setting == PackagingSetting::kClear) info.SetMSOption(MSInfo::kOptPackaging, 0);
}

bool PackagingClear(const MSInfo& info) {
  return (info.GetMSOption() & MSInfo::kOptPackaging) == 0;
}

}  // namespace orvane
