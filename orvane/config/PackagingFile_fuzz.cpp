// Takes arbitrary bytes as the store administration's config.js and reads
// the packaging setting. The answer follows the first line that names the
// setting, whatever the lines' length (each read as far as a NUL byte), and
// the record's packaging flag follows the answer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "orvane/config/PackagingFile.h"
#include "orvane/testing/FuzzMachine.h"

namespace {

namespace fuzz = orvane::fuzz;
using orvane::PackagingSetting;

constexpr char kFolder[] = "C:\\inst\\html\\en_US\\tqadmin\\common";
constexpr char kConfigJs[] = "C:\\inst\\html\\en_US\\tqadmin\\common\\config.js";

PackagingSetting ExpectedSetting(const std::string& text) {
  for (const std::string& line : fuzz::Lines(text)) {
    const std::string_view read = line.c_str();
    if (read.find("gTQPackaging") == std::string_view::npos) continue;
    return read.find("kStrStart") != std::string_view::npos ? PackagingSetting::kSet
                                                            : PackagingSetting::kClear;
  }
  return PackagingSetting::kUnset;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (fuzz::SilenceMessages(), fuzz::MakeDirectories(kFolder), true);
  fuzz::Require(ready);
  fuzz::WriteFile(kConfigJs, std::string_view(reinterpret_cast<const char*>(data), size));
  const PackagingSetting setting = orvane::ReadPackagingSetting("C:\\inst");
  fuzz::Require(setting == ExpectedSetting(fuzz::ReadFile(kConfigJs, "r")));

  for (const bool packagedBefore : {false, true}) {
    MSInfo info;
    info.SetMSOption(MSInfo::kOptPackaging, packagedBefore ? MSInfo::kOptPackaging : 0);
    orvane::ApplyPackagingSetting(setting, info);
    const bool packaged = setting == PackagingSetting::kSet ||
                          (setting == PackagingSetting::kUnset && packagedBefore);
    fuzz::Require(orvane::PackagingClear(info) == !packaged);
  }
  return 0;
}
