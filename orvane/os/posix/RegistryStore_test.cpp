#include "orvane/os/posix/RegistryStore.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
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
  Expected<RegistrySnapshot> tree = ReadRegistry();
  ASSERT_TRUE(tree.ok());
  const RegistryNode* shared = (*tree)->FindPath(HiveKeyPath(RegistryRoot::kLocalMachine, "SOFTWARE\\Shared"));
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
  Expected<RegistrySnapshot> empty = ReadRegistry();
  ASSERT_TRUE(empty.ok());
  EXPECT_EQ((*empty)->subkeys().size(), 2u) << "only the two hives";
  Status failed = ChangeRegistry([](RegistryNode* tree, bool* changed) {
    tree->AddSubkey("HKEY_LOCAL_MACHINE", "").AddSubkey("Half", "");
    *changed = true;
    return Status::Failure(kAccessDenied);
  });
  EXPECT_EQ(failed.code(), kAccessDenied);
  EXPECT_FALSE(ReadHostFile(RegistryFilePath()).ok());
}

// --- The parsed registry kept in the process --------------------------------

Status SetDword(const std::string& name, unsigned long value) {
  return ChangeRegistry([&](RegistryNode* tree, bool* changed) {
    tree->FindSubkey("HKEY_LOCAL_MACHINE")->AddSubkey("SOFTWARE", "").SetValue(
        name, RegistryValue::Dword(value));
    *changed = true;
    return Status();
  });
}

unsigned long DwordOf(const std::string& name) {
  Expected<RegistrySnapshot> tree = ReadRegistry();
  const RegistryNode* key =
      tree.ok() ? (*tree)->FindPath(HiveKeyPath(RegistryRoot::kLocalMachine, "SOFTWARE")) : nullptr;
  const RegistryValue* value = key == nullptr ? nullptr : key->FindValue(name);
  return value == nullptr ? 0 : value->AsDword();
}

// The tree that a fresh parse of the file gives.
RegistryNode ParsedFile() {
  RegistryNode tree;
  std::string error;
  EXPECT_TRUE(ParseRegistryText(*ReadHostFile(RegistryFilePath()), "registry", &tree, &error));
  for (const char* hive : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"}) tree.AddSubkey(hive, "");
  return tree;
}

TEST_F(RegistryStoreTest, AnUnchangedFileIsParsedOnceAndOwnChangesUpdateTheKeptTree) {
  ASSERT_TRUE(SetDword("a", 1).ok());
  Expected<RegistrySnapshot> first = ReadRegistry();
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(ReadRegistry()->get(), first->get()) << "the same tree while nothing changes";
  EXPECT_EQ(**first, ParsedFile());

  // A change that changes nothing keeps the tree.
  ASSERT_TRUE(ChangeRegistry([](RegistryNode*, bool*) { return Status(); }).ok());
  EXPECT_EQ(ReadRegistry()->get(), first->get());

  // This process's change: a tree that equals the file's, while the reader
  // that held the old one keeps seeing it unchanged.
  ASSERT_TRUE(SetDword("b", 2).ok());
  Expected<RegistrySnapshot> second = ReadRegistry();
  ASSERT_TRUE(second.ok());
  EXPECT_NE(second->get(), first->get());
  EXPECT_EQ(**second, ParsedFile());
  EXPECT_EQ(DwordOf("b"), 2u);
  EXPECT_EQ((*first)->FindPath(HiveKeyPath(RegistryRoot::kLocalMachine, "SOFTWARE"))->FindValue("b"),
            nullptr);
}

TEST_F(RegistryStoreTest, AFailedChangeLeavesNeitherFileNorKeptTreeChanged) {
  ASSERT_TRUE(SetDword("a", 1).ok());
  const std::string before = *ReadHostFile(RegistryFilePath());
  Status failed = ChangeRegistry([](RegistryNode* tree, bool* changed) {
    tree->FindSubkey("HKEY_LOCAL_MACHINE")->AddSubkey("Half", "");
    *changed = true;
    return Status::Failure(kAccessDenied);
  });
  EXPECT_EQ(failed.code(), kAccessDenied);
  EXPECT_EQ(*ReadHostFile(RegistryFilePath()), before);
  Expected<RegistrySnapshot> tree = ReadRegistry();
  ASSERT_TRUE(tree.ok());
  EXPECT_EQ((*tree)->FindPath(HiveKeyPath(RegistryRoot::kLocalMachine, "Half")), nullptr);
  EXPECT_EQ(**tree, ParsedFile());
}

TEST_F(RegistryStoreTest, AnotherProcessesChangeIsSeenAtTheNextRead) {
  ASSERT_TRUE(SetDword("counter", 0).ok());
  for (unsigned long round = 1; round <= 3; ++round) {
    ASSERT_EQ(DwordOf("counter"), round - 1);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(SetDword("counter", round).ok() ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(DwordOf("counter"), round);
  }
}

TEST_F(RegistryStoreTest, AReplacementOfTheSameSizeAndTimeIsSeen) {
  // Two versions that differ in one digit, the second given the first's
  // modification time, as two writes within one tick of the clock leave
  // them: only the new inode tells them apart.
  ASSERT_TRUE(SetDword("v", 1).ok());
  ASSERT_EQ(DwordOf("v"), 1u);
  const std::string path = RegistryFilePath();
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  std::string text = *ReadHostFile(path);
  const size_t digit = text.find("dword:00000001");
  ASSERT_NE(digit, std::string::npos);
  text[digit + 13] = '7';
  ASSERT_TRUE(ReplaceHostFile(path, text).ok());
  const timespec times[2] = {info.st_mtim, info.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  EXPECT_EQ(DwordOf("v"), 7u);
}

TEST_F(RegistryStoreTest, SettingAValueToWhatItHoldsLeavesTheFileAlone) {
  Expected<RegistryKey> key = RegistryKey::Create(RegistryRoot::kLocalMachine, "SOFTWARE\\Same",
                                                  "", RegistryAccess::kAll);
  ASSERT_TRUE(key.ok());
  ASSERT_TRUE(key->SetValue("State", RegistryValue::Dword(4)).ok());
  struct stat before, after;
  ASSERT_EQ(stat(RegistryFilePath().c_str(), &before), 0);
  ASSERT_TRUE(key->SetValue("state", RegistryValue::Dword(4)).ok());
  ASSERT_EQ(stat(RegistryFilePath().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "not rewritten";
  // Another type or other data is a change.
  ASSERT_TRUE(key->SetValue("State", RegistryValue::String("4")).ok());
  EXPECT_EQ(key->QueryValue("State")->AsString(), "4");
  ASSERT_EQ(stat(RegistryFilePath().c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
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
