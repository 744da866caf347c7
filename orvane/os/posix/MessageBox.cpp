#include "orvane/os/MessageBox.h"

#include <cstdio>

namespace orvane::os {

namespace {
// What Windows puts in the caption of a message box that was given none.
constexpr char kDefaultTitle[] = "Error";
}  // namespace

// There is no window to show here: the box becomes one line on standard
// error, with the same title the real box would carry. The icon has no form
// in a line of text.
void ShowMessageBox(const char* title, const char* text, MessageBoxIcon /*icon*/) {
  std::fprintf(stderr, "%s: %s\n", title != nullptr ? title : kDefaultTitle,
               text != nullptr ? text : "");
  std::fflush(stderr);
}

}  // namespace orvane::os
