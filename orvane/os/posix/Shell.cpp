// The current user's Startup folder on the emulated machine:
// C:\WINNT\Profiles\<user>\Start Menu\Programs\Startup.
#include "orvane/os/Shell.h"
#include "orvane/os/Backend.h"

#include "orvane/os/Accounts.h"
#include "orvane/os/Files.h"
#include "orvane/os/posix/AsciiCase.h"

namespace orvane::os::backend {
namespace {

constexpr char kShortcutEnding[] = ".lnk";

struct StartupItem {
  std::string fileName;
  std::string displayName;
};

Expected<std::string> StartupFolder() {
  Expected<std::string> user = CurrentUserName();
  if (!user) return user.status();
  // A user name that is not one folder name would lead out of the profiles.
  if (user->find_first_of("\\/") != std::string::npos || *user == "." || *user == "..") {
    return Status::Failure(kInvalidName);
  }
  return WindowsDirectory() + "\\Profiles\\" + *user + "\\Start Menu\\Programs\\Startup";
}

// The folder's non-folder items; a folder that does not exist has none.
Expected<std::vector<StartupItem>> ReadStartupItems(const std::string& folder) {
  std::vector<StartupItem> items;
  Expected<std::vector<DirectoryEntry>> entries = ListDirectory(folder);
  if (!entries) {
    unsigned long code = entries.status().code();
    if (code == kFileNotFound || code == kPathNotFound) return items;
    return entries.status();
  }
  for (const DirectoryEntry& entry : *entries) {
    if (entry.isDirectory) continue;
    std::string displayName = entry.name;
    if (posix::EndsWithIgnoringCase(displayName, kShortcutEnding)) {
      displayName.resize(displayName.size() - (sizeof kShortcutEnding - 1));
    }
    items.push_back({entry.name, displayName});
  }
  return items;
}

}  // namespace

Expected<std::vector<std::string>> ListStartupItems() {
  Expected<std::string> folder = StartupFolder();
  if (!folder) return folder.status();
  Expected<std::vector<StartupItem>> items = ReadStartupItems(*folder);
  if (!items) return items.status();
  std::vector<std::string> names;
  for (const StartupItem& item : *items) names.push_back(item.displayName);
  return names;
}

Status DeleteStartupItem(const std::string& displayName) {
  Expected<std::string> folder = StartupFolder();
  if (!folder) return folder.status();
  Expected<std::vector<StartupItem>> items = ReadStartupItems(*folder);
  if (!items) return items.status();
  for (const StartupItem& item : *items) {
    if (item.displayName == displayName) return DeleteFile(*folder + "\\" + item.fileName);
  }
  return Status::Failure(kFileNotFound);
}

}  // namespace orvane::os::backend
