// The Win32 file services, in a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "orvane/os/Files.h"
#include "orvane/os/win32/WindowsApi.h"
// After windows.h:
#include <sddl.h>

#include "orvane/testing/win32/TempFolder.h"

namespace orvane::os {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(Win32FilesTest, ListingTellsAnEmptyMatchFromAMissingDirectory) {
  TempFolder folder;
  ASSERT_TRUE(CreateDirectory(folder / "empty").ok());
  EXPECT_EQ(ListDirectory(folder / "empty").status().code(), kFileNotFound);
  EXPECT_EQ(ListDirectory(folder.path(), "*.dat").status().code(), kFileNotFound);
  EXPECT_EQ(ListDirectory(folder / "missing").status().code(), kPathNotFound);
}

TEST(Win32FilesTest, ShortPathNamesNameTheSameFile) {
  TempFolder folder;
  ASSERT_TRUE(CreateDirectory(folder / "Program Files Long Name").ok());
  std::string file = folder / "Program Files Long Name\\configuration.data";
  ASSERT_TRUE(WriteBytes(file, "x"));
  Expected<std::string> shortPath = ShortPathName(file);
  ASSERT_TRUE(shortPath.ok());
  EXPECT_EQ(shortPath->find(' '), std::string::npos) << *shortPath;
  EXPECT_EQ(ReadBytes(*shortPath), "x");
  EXPECT_EQ(ShortPathName(folder / "missing.txt").status().code(), kFileNotFound);
}

TEST(Win32FilesTest, WindowsDirectoryHasNoTrailingBackslash) {
  std::string windows = WindowsDirectory();
  ASSERT_GE(windows.size(), 3u);
  EXPECT_NE(windows.back(), '\\');
  EXPECT_EQ(windows[1], ':');
  EXPECT_TRUE(DirectoryExists(windows + "\\system32"));
}

// The accounts that a file's access list lets in, as SID strings; empty
// when the file has no list (everyone may open it).
std::vector<std::string> AllowedAccounts(const std::string& path) {
  std::vector<std::string> accounts;
  DWORD size = 0;
  ::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<char> descriptor(size);
  BOOL present = FALSE, defaulted = FALSE;
  ACL* acl = nullptr;
  if (size == 0 ||
      !::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size) ||
      !::GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted) || !present ||
      acl == nullptr) {
    return accounts;
  }
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!::GetAce(acl, i, &ace)) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    char* sid = nullptr;
    if (::ConvertSidToStringSidA(&allowed->SidStart, &sid)) {
      accounts.push_back(sid);
      ::LocalFree(sid);
    }
  }
  return accounts;
}

bool LetsInOthers(const std::vector<std::string>& accounts) {
  for (const char* others : {"S-1-1-0", "S-1-5-32-545", "S-1-5-11"}) {  // everyone, users
    if (std::count(accounts.begin(), accounts.end(), others) != 0) return true;
  }
  return false;
}

// A file written with an owner-only mode, and its backup, let in only the
// user who wrote it and the Administrators (Wine shows the system's
// account in their place); one written for everyone lets others in.
TEST(Win32FilesTest, APrivateFileAndItsBackupAreClosedToOthers) {
  TempFolder folder;
  const std::string file = folder / "tessaly.ini";
  const std::string backup = folder / "tessaly.old.ini";
  const std::string shared = folder / "shared.ini";
  for (int round = 0; round < 2; ++round) {
    ReplacementFile replacement(file, "w", 0600, ReplacedFileMode::kReset);
    ASSERT_NE(replacement.stream(), nullptr);
    std::fputs("DBPASS x\n", replacement.stream());
    ASSERT_TRUE(replacement.Commit(backup).ok());
  }
  ReplacementFile open(shared, "w");
  ASSERT_TRUE(open.Commit().ok());
  const std::vector<std::string> sharedAccounts = AllowedAccounts(shared);
  if (!LetsInOthers(sharedAccounts)) GTEST_SKIP() << "this Windows shows no access list of a shared file";
  for (const std::string& path : {file, backup}) {
    const std::vector<std::string> accounts = AllowedAccounts(path);
    EXPECT_FALSE(accounts.empty()) << path;
    EXPECT_FALSE(LetsInOthers(accounts)) << path;
    EXPECT_LE(accounts.size(), 2u) << path;
  }
}

}  // namespace
}  // namespace orvane::os
