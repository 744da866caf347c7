// The message box of the OS seam: the library's last resort for showing a
// message when its host has set no callback.
#ifndef ORVANE_OS_MESSAGEBOX_H_
#define ORVANE_OS_MESSAGEBOX_H_

namespace orvane::os {

enum class MessageBoxIcon { kError, kInformation };

// Shows text in a modal box with an OK button and waits until it is closed.
// title null: the system's default title. On the emulated machine the message
// is written to standard error as "title: text".
void ShowMessageBox(const char* title, const char* text, MessageBoxIcon icon);

}  // namespace orvane::os

#endif  // ORVANE_OS_MESSAGEBOX_H_
