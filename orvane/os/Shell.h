// The current user's Startup folder, for the OS seam.
#ifndef ORVANE_OS_SHELL_H_
#define ORVANE_OS_SHELL_H_

#include <string>
#include <vector>

#include "orvane/os/Status.h"

namespace orvane::os {

// The display names of the non-folder items of the current user's Startup
// folder (a shortcut's name without ".lnk"), in the folder's order.
Expected<std::vector<std::string>> ListStartupItems();

// Deletes the item of that display name (compared exactly) through the
// shell's file operation, without confirmation or progress display.
// kFileNotFound when there is no such item.
Status DeleteStartupItem(const std::string& displayName);

}  // namespace orvane::os

#endif  // ORVANE_OS_SHELL_H_
