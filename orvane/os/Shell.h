// The current user's Startup folder, for the OS seam.
#ifndef ORVANE_OS_SHELL_H_
#define ORVANE_OS_SHELL_H_

#include <string>
#include <vector>

#include "orvane/os/Status.h"

namespace orvane::os {
#include "orvane/os/ShellCalls.inc"

}  // namespace orvane::os

#endif  // ORVANE_OS_SHELL_H_
