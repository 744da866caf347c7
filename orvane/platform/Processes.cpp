#include "orvane/platform/Processes.h"

#include <string>

#include "orvane/os/Process.h"
#include "orvane/os/Shell.h"

int KelExecCmd(const char* commandLine, const char* directory) {
  if (commandLine == nullptr) return 0;
  return orvane::os::StartProcess(commandLine, directory != nullptr ? directory : "").ok() ? 1
                                                                                          : 0;
}

int KelRemoveFromStartup(const char* name) {
  if (name == nullptr) return 0;
  const auto items = orvane::os::ListStartupItems();
  if (!items) return 0;
  for (const std::string& item : *items) {
    if (item == name) return orvane::os::DeleteStartupItem(item).ok() ? 1 : 0;
  }
  return 0;
}

namespace orvane {

void SleepSeconds(int seconds) {
  if (seconds > 0) os::SleepMilliseconds(static_cast<unsigned long>(seconds) * 1000UL);
}

}  // namespace orvane
