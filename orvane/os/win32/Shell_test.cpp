// The Startup folder, moved into a temporary folder through the registry's
// user shell folders, in a sandbox.
#include <gtest/gtest.h>

#include <algorithm>

#include "orvane/os/Files.h"
#include "orvane/os/Registry.h"
#include "orvane/os/Shell.h"
#include "orvane/os/win32/WindowsApi.h"
#include "orvane/testing/win32/RegistrySandbox.h"
#include "orvane/testing/win32/TempFolder.h"

namespace orvane::os {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

class Win32ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Expected<RegistryKey> folders = RegistryKey::Create(
        RegistryRoot::kCurrentUser,
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "",
        RegistryAccess::kAll);
    ASSERT_TRUE(folders.ok());
    ASSERT_TRUE(folders->SetValue("Startup", RegistryValue::String(m_startup.path())).ok());
  }

  std::vector<std::string> SortedItems() {
    Expected<std::vector<std::string>> items = ListStartupItems();
    EXPECT_TRUE(items.ok()) << items.status().code();
    if (!items.ok()) return {};
    std::sort(items->begin(), items->end());
    return *items;
  }

  testing::RegistrySandbox m_sandbox;
  TempFolder m_startup;
};

TEST_F(Win32ShellTest, ListsTheItemsTheShellShows) {
  ASSERT_TRUE(WriteBytes(m_startup / "Tessaly Setup.lnk", "shortcut"));
  ASSERT_TRUE(WriteBytes(m_startup / "notes.txt", "file"));
  ASSERT_TRUE(WriteBytes(m_startup / "desktop.ini", "hidden"));
  ::SetFileAttributesA((m_startup / "desktop.ini").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  ASSERT_TRUE(CreateDirectory(m_startup / "Folder").ok());
  EXPECT_EQ(SortedItems(), (std::vector<std::string>{"Tessaly Setup", "notes.txt"}));
}

TEST_F(Win32ShellTest, DeletesAnItemByItsExactDisplayName) {
  ASSERT_TRUE(WriteBytes(m_startup / "Tessaly Setup.lnk", "shortcut"));
  ASSERT_TRUE(WriteBytes(m_startup / "Other.lnk", "shortcut"));
  EXPECT_EQ(DeleteStartupItem("tessaly setup").code(), kFileNotFound);
  EXPECT_EQ(DeleteStartupItem("Tessaly Setup.lnk").code(), kFileNotFound);
  EXPECT_TRUE(DeleteStartupItem("Tessaly Setup").ok());
  EXPECT_FALSE(PathExists(m_startup / "Tessaly Setup.lnk"));
  EXPECT_EQ(SortedItems(), (std::vector<std::string>{"Other"}));
}

TEST_F(Win32ShellTest, AnEmptyFolderHasNoItems) {
  EXPECT_EQ(SortedItems(), std::vector<std::string>{});
  EXPECT_EQ(DeleteStartupItem("Anything").code(), kFileNotFound);
}

}  // namespace
}  // namespace orvane::os
