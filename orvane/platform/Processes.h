// Outside programs, waiting, and the user's Startup folder.
#ifndef ORVANE_PLATFORM_PROCESSES_H_
#define ORVANE_PLATFORM_PROCESSES_H_

#include "orvane/export.h"

// Starts a command line with its main window hidden, inheriting handles and
// the caller's environment, in directory (null: the caller's). Does not wait
// and never reads the exit code; 1 when the process was started.
ORVANE_C_API int KelExecCmd(const char* commandLine, const char* directory);

// Deletes the first item of the current user's Startup folder whose display
// name equals name exactly (letter case counts). 1 when it was deleted; 0 when
// no item matched, the deletion failed or there is no Startup folder.
ORVANE_C_API int KelRemoveFromStartup(const char* name);

namespace orvane {

// Suspends the calling thread; on an emulated machine with a virtual clock
// the machine's clock advances instead.
void SleepSeconds(int seconds);

}  // namespace orvane

#endif  // ORVANE_PLATFORM_PROCESSES_H_
