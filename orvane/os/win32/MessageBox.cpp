// The message box on the Win32 API: no owner window, kept above other windows.
#include "orvane/os/MessageBox.h"

#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {

void ShowMessageBox(const char* title, const char* text, MessageBoxIcon icon) {
  UINT style = MB_OK | MB_TOPMOST |
               (icon == MessageBoxIcon::kError ? MB_ICONERROR : MB_ICONINFORMATION);
  ::MessageBoxA(nullptr, text, title, style);
}

}  // namespace orvane::os
