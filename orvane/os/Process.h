// Processes, the environment and sleeping, for the OS seam.
#ifndef ORVANE_OS_PROCESS_H_
#define ORVANE_OS_PROCESS_H_

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "orvane/os/Status.h"

namespace orvane::os {

// Splits a command line into arguments as Windows programs do (quotes group,
// backslashes escape a quote only when they stand before one).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

#include "orvane/os/ProcessCalls.inc"

}  // namespace orvane::os

#endif  // ORVANE_OS_PROCESS_H_
