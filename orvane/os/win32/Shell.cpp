// The current user's Startup folder through the shell.
#include "orvane/os/Shell.h"
#include "orvane/os/Backend.h"

#include <cstring>

#include "orvane/os/win32/ApiStatus.h"
#include "orvane/os/win32/ScopedHandle.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os::backend {
namespace {

struct StartupItem {
  std::string displayName;
  std::string fileName;
};

Expected<std::string> StartupFolder() {
  char folder[MAX_PATH];
  if (!::SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, FALSE)) {
    return Status::Failure(kPathNotFound);
  }
  return std::string(folder);
}

// The shell shows a shortcut without its ".lnk" ending.
std::string DisplayName(const std::string& fileName) {
  const std::string kShortcutEnding = ".lnk";
  if (fileName.size() > kShortcutEnding.size() &&
      ::_stricmp(fileName.c_str() + fileName.size() - kShortcutEnding.size(),
                 kShortcutEnding.c_str()) == 0) {
    return fileName.substr(0, fileName.size() - kShortcutEnding.size());
  }
  return fileName;
}

// The non-folder items that the shell shows: hidden and system files (the
// folder's desktop.ini) are not among them.
Expected<std::vector<StartupItem>> ListItems(const std::string& folder) {
  std::vector<StartupItem> items;
  WIN32_FIND_DATAA found;
  ScopedFindHandle search(::FindFirstFileA((folder + "\\*").c_str(), &found));
  if (!search.valid()) {
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return items;
    return LastErrorFailure();
  }
  const DWORD kNotShown = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if ((found.dwFileAttributes & kNotShown) != 0) continue;
    items.push_back({DisplayName(found.cFileName), found.cFileName});
  } while (::FindNextFileA(search.get(), &found));
  if (::GetLastError() != ERROR_NO_MORE_FILES) return LastErrorFailure();
  return items;
}

}  // namespace

Expected<std::vector<std::string>> ListStartupItems() {
  Expected<std::string> folder = StartupFolder();
  if (!folder.ok()) return folder.status();
  Expected<std::vector<StartupItem>> items = ListItems(*folder);
  if (!items.ok()) return items.status();
  std::vector<std::string> names;
  for (const StartupItem& item : *items) names.push_back(item.displayName);
  return names;
}

Status DeleteStartupItem(const std::string& displayName) {
  Expected<std::string> folder = StartupFolder();
  if (!folder.ok()) return folder.status();
  Expected<std::vector<StartupItem>> items = ListItems(*folder);
  if (!items.ok()) return items.status();
  for (const StartupItem& item : *items) {
    if (item.displayName != displayName) continue;
    // The shell takes a list of paths, each ended by a NUL, ended by a second.
    std::string paths = *folder + "\\" + item.fileName;
    paths.append(2, '\0');
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = paths.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    int result = ::SHFileOperationA(&operation);
    if (result != 0) return Status::Failure(static_cast<unsigned long>(result));
    if (operation.fAnyOperationsAborted) return Status::Failure(kAccessDenied);
    return Status();
  }
  return Status::Failure(kFileNotFound);
}

}  // namespace orvane::os::backend
