// Sleeping on the Win32 API.
//
// Alone in its file, so that a program linking the static archive may bring
// its own definition (the test program does, to shorten the library's
// one-second polls): an archive member is only taken for a symbol that no
// object of the program defines.
#include "orvane/os/Process.h"
#include "orvane/os/Backend.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os::backend {

void SleepMilliseconds(unsigned long milliseconds) { ::Sleep(milliseconds); }

}  // namespace orvane::os::backend
