// The current user's Startup folder on the emulated machine.
#include "orvane/os/Shell.h"

#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

using Names = std::vector<std::string>;

constexpr char kStartup[] = "C:\\WINNT\\Profiles\\tqadmin\\Start Menu\\Programs\\Startup\\";

class StartupFolderTest : public orvane::test::MachineTest {
 protected:
  void SetUp() override {
    const char* userName = std::getenv("USERNAME");
    if (userName != nullptr) m_savedUserName = userName;
    setenv("USERNAME", "tqadmin", 1);
  }

  void TearDown() override {
    if (m_savedUserName) {
      setenv("USERNAME", m_savedUserName->c_str(), 1);
    } else {
      unsetenv("USERNAME");
    }
  }

  static Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
  }

  std::optional<std::string> m_savedUserName;
};

TEST_F(StartupFolderTest, ListsItemsByDisplayNameAndSkipsFolders) {
  machine.WriteFile(std::string(kStartup) + "Velq Monitor.lnk", "shortcut");
  machine.WriteFile(std::string(kStartup) + "Notes.LNK", "shortcut");
  machine.WriteFile(std::string(kStartup) + "readme.txt", "text");
  machine.WriteFile(std::string(kStartup) + "Tools\\inner.lnk", "shortcut");
  Expected<Names> items = ListStartupItems();
  ASSERT_TRUE(items) << items.status().code();
  EXPECT_EQ(Sorted(*items), Names({"Notes", "Velq Monitor", "readme.txt"}));
}

TEST_F(StartupFolderTest, DeletesTheItemOfExactlyThatDisplayName) {
  machine.WriteFile(std::string(kStartup) + "Velq Monitor.lnk", "shortcut");
  machine.WriteFile(std::string(kStartup) + "Tools\\inner.lnk", "shortcut");
  EXPECT_EQ(DeleteStartupItem("velq monitor").code(), kFileNotFound);
  EXPECT_EQ(DeleteStartupItem("Tools").code(), kFileNotFound);
  EXPECT_EQ(DeleteStartupItem("Velq Monitor.lnk").code(), kFileNotFound);
  ASSERT_TRUE(DeleteStartupItem("Velq Monitor"));
  EXPECT_FALSE(machine.FileExists(std::string(kStartup) + "Velq Monitor.lnk"));
  EXPECT_TRUE(machine.FileExists(std::string(kStartup) + "Tools\\inner.lnk"));
  EXPECT_EQ(Sorted(*ListStartupItems()), Names());
}

TEST_F(StartupFolderTest, MissingFolderHasNoItems) {
  Expected<Names> items = ListStartupItems();
  ASSERT_TRUE(items) << items.status().code();
  EXPECT_TRUE(items->empty());
  EXPECT_EQ(DeleteStartupItem("Anything").code(), kFileNotFound);
}

TEST_F(StartupFolderTest, UserNameThatIsNoFolderNameIsRefused) {
  machine.WriteFile("C:\\WINNT\\Start Menu\\Programs\\Startup\\victim.lnk", "shortcut");
  setenv("USERNAME", "..", 1);
  EXPECT_FALSE(ListStartupItems());
  EXPECT_FALSE(DeleteStartupItem("victim"));
  setenv("USERNAME", "x\\..\\..", 1);
  EXPECT_FALSE(DeleteStartupItem("victim"));
  EXPECT_TRUE(machine.FileExists("C:\\WINNT\\Start Menu\\Programs\\Startup\\victim.lnk"));
}

}  // namespace
}  // namespace orvane::os
