// Whether this process runs under Wine, where a few calls of the Win32 API
// are stubs that report success without doing their work.
#ifndef ORVANE_OS_WIN32_WINE_H_
#define ORVANE_OS_WIN32_WINE_H_

#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace orvane::os

#endif  // ORVANE_OS_WIN32_WINE_H_
