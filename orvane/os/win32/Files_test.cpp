// The Win32 file services, in a temporary folder.
#include <gtest/gtest.h>

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

// A file written with an owner-only mode, and its backup, let in only the
// user who wrote it and the Administrators.
TEST(Win32FilesTest, APrivateFileAndItsBackupAreTheOwnersAndTheAdministratorsOnly) {
  TempFolder folder;
  const std::string file = folder / "tessaly.ini";
  const std::string backup = folder / "tessaly.old.ini";
  for (int round = 0; round < 2; ++round) {
    ReplacementFile replacement(file, "w", 0600, ReplacedFileMode::kReset);
    ASSERT_NE(replacement.stream(), nullptr);
    std::fputs("DBPASS x\n", replacement.stream());
    ASSERT_TRUE(replacement.Commit(backup).ok());
  }
  for (const std::string& path : {file, backup}) {
    const std::vector<std::string> accounts = AllowedAccounts(path);
    if (accounts.empty()) GTEST_SKIP() << "this Windows keeps no access list for " << path;
    ASSERT_EQ(accounts.size(), 2u) << path;
    EXPECT_EQ(accounts[1], "S-1-5-32-544") << path;  // the Administrators
    EXPECT_NE(accounts[0], "S-1-1-0") << path;       // not everyone
  }
}

}  // namespace
}  // namespace orvane::os
