// The message box: the one piece of user interface the library has of its own.
#ifndef ORVANE_OS_MESSAGEBOX_H_
#define ORVANE_OS_MESSAGEBOX_H_

namespace orvane::os {

enum class MessageBoxIcon { kError, kInformation };

// Shows text in a box with an OK button and the given icon, without an owner
// window, kept on top of other windows, and returns when it is dismissed. A
// null title gives the system's default title ("Error"). Without a windowing
// system the box is the line "title: text" on standard error.
void ShowMessageBox(const char* title, const char* text, MessageBoxIcon icon);

}  // namespace orvane::os

#endif  // ORVANE_OS_MESSAGEBOX_H_
