#include "orvane/os/posix/RegistryStore.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "orvane/os/posix/HostFile.h"
#include "orvane/os/posix/Machine.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os::posix {
namespace {

using RegistryStoreTest = test::MachineTest;

constexpr int kWriters = 2;
constexpr int kValuesPerWriter = 150;

// Sets kValuesPerWriter values of its own, one transaction each; the exit
// code counts the failures.
[[noreturn]] void RunWriter(int writer) {
  int failures = 0;
  Expected<RegistryKey> key = RegistryKey::Create(RegistryRoot::kLocalMachine, "SOFTWARE\\Shared",
                                                  "", RegistryAccess::kAll);
  for (int i = 0; i < kValuesPerWriter; ++i) {
    std::string name = "writer" + std::to_string(writer) + "-" + std::to_string(i);
    if (!key.ok() || !key->SetValue(name, RegistryValue::Dword(static_cast<unsigned long>(i))).ok()) {
      ++failures;
    }
  }
  _exit(failures > 100 ? 100 : failures);
}

TEST_F(RegistryStoreTest, ConcurrentWritersInTwoProcessesLoseNothing) {
  std::vector<pid_t> children;
  for (int writer = 0; writer < kWriters; ++writer) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) RunWriter(writer);
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  }
  Expected<RegistryNode> tree = ReadRegistry();
  ASSERT_TRUE(tree.ok());
  const RegistryNode* shared = tree->FindPath(HiveKeyPath(RegistryRoot::kLocalMachine, "SOFTWARE\\Shared"));
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared->values().size(), static_cast<size_t>(kWriters * kValuesPerWriter));
  for (int writer = 0; writer < kWriters; ++writer) {
    const RegistryValue* last =
        shared->FindValue("writer" + std::to_string(writer) + "-" + std::to_string(kValuesPerWriter - 1));
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->AsDword(), static_cast<unsigned long>(kValuesPerWriter - 1));
  }
}

TEST_F(RegistryStoreTest, TheFileIsWhatTheRegistryEditorImports) {
  Expected<RegistryKey> key = RegistryKey::Create(RegistryRoot::kLocalMachine, "SOFTWARE\\VXR",
                                                  "", RegistryAccess::kAll);
  ASSERT_TRUE(key.ok());
  ASSERT_TRUE(key->SetValue("Path", RegistryValue::String("C:\\VXR")).ok());
  Expected<std::string> text = ReadHostFile(RegistryFilePath());
  ASSERT_TRUE(text.ok());
  EXPECT_EQ(*text,
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR]\r\n"
            "\"Path\"=\"C:\\\\VXR\"\r\n\r\n");
}

TEST_F(RegistryStoreTest, ACorruptRegistryFailsAndIsLeftAsItIs) {
  const std::string corrupt =
      "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\X]\r\n\"v\"=dword:xyz\r\n";
  ASSERT_TRUE(ReplaceHostFile(RegistryFilePath(), corrupt).ok());
  testing::internal::CaptureStderr();
  Expected<RegistryKey> key = RegistryKey::Open(RegistryRoot::kLocalMachine, "X", RegistryAccess::kRead);
  Status changed = ChangeRegistry([](RegistryNode*, bool* changed) {
    *changed = true;
    return Status();
  });
  std::string diagnostics = testing::internal::GetCapturedStderr();
  EXPECT_EQ(key.status().code(), kRegistryCorrupt);
  EXPECT_EQ(changed.code(), kRegistryCorrupt);
  EXPECT_NE(diagnostics.find("registry.reg:3: dword: needs one to eight hex digits"), std::string::npos)
      << diagnostics;
  EXPECT_EQ(*ReadHostFile(RegistryFilePath()), corrupt);
}

TEST_F(RegistryStoreTest, AFailedChangeWritesNothingAndAMissingFileIsAnEmptyRegistry) {
  Expected<RegistryNode> empty = ReadRegistry();
  ASSERT_TRUE(empty.ok());
  EXPECT_EQ(empty->subkeys().size(), 2u) << "only the two hives";
  Status failed = ChangeRegistry([](RegistryNode* tree, bool* changed) {
    tree->AddSubkey("HKEY_LOCAL_MACHINE", "").AddSubkey("Half", "");
    *changed = true;
    return Status::Failure(kAccessDenied);
  });
  EXPECT_EQ(failed.code(), kAccessDenied);
  EXPECT_FALSE(ReadHostFile(RegistryFilePath()).ok());
}

TEST(RegistryStoreRootTest, AMissingMachineRootIsCreatedByTheFirstChange) {
  test::TempMachine machine;
  std::string root = MachineRoot() + "/nested/machine";
  setenv("ORVANE_MACHINE", root.c_str(), 1);
  EXPECT_TRUE(RegistryKey::Create(RegistryRoot::kCurrentUser, "Software", "", RegistryAccess::kAll).ok());
  EXPECT_TRUE(ReadHostFile(root + "/registry.reg").ok());
}

}  // namespace
}  // namespace orvane::os::posix
