// The seam's last error is the thread's Win32 last error.
#include "orvane/os/Status.h"

#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {

unsigned long LastError() { return ::GetLastError(); }

void SetLastError(unsigned long code) { ::SetLastError(code); }

}  // namespace orvane::os
