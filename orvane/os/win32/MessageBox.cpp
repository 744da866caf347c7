// The message box on the Win32 API: no owner window, kept above other windows.
#include "orvane/os/MessageBox.h"

#include <cstdio>

#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {
namespace {

// The caption Windows gives a box without a title.
constexpr char kDefaultTitle[] = "Error";

}  // namespace

void ShowMessageBox(const char* title, const char* text, MessageBoxIcon icon) {
  UINT style = MB_OK | MB_TOPMOST |
               (icon == MessageBoxIcon::kError ? MB_ICONERROR : MB_ICONINFORMATION);
  // A box that was shown returns its button; Windows reports a failure as 0,
  // Wine as -1 (it cannot make the dialog without a display).
  if (::MessageBoxA(nullptr, text, title, style) > 0) return;
  // The message still reaches whoever reads the program's error output.
  std::fprintf(stderr, "%s: %s\n", title != nullptr ? title : kDefaultTitle,
               text != nullptr ? text : "");
  std::fflush(stderr);
}

}  // namespace orvane::os
