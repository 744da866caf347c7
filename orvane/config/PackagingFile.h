// The installation's packaging setting, read from the store administration's
// config.js: a packaged installation has no catalog editor pages.
#ifndef ORVANE_CONFIG_PACKAGINGFILE_H_
#define ORVANE_CONFIG_PACKAGINGFILE_H_

#include "orvane/core/MSInfo.h"

namespace orvane {

enum class PackagingSetting {
  kMissingFile,  // config.js cannot be opened
  kUnset,        // no line names "gTQPackaging"
  kSet,          // the first such line also holds "kStrStart"
  kClear,        // it does not
};

// Reads installDir\html\en_US\tqadmin\common\config.js, whole lines of any
// length (each as far as a NUL byte).
PackagingSetting ReadPackagingSetting(const char* installDir);

// Sets or clears the record's packaging option bit as setting says; kUnset
// and kMissingFile leave it.
void ApplyPackagingSetting(PackagingSetting setting, MSInfo& info);

// Whether the record's packaging option bit is clear.
bool PackagingClear(const MSInfo& info);

}  // namespace orvane

#endif  // ORVANE_CONFIG_PACKAGINGFILE_H_
