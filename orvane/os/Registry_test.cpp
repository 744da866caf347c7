#include "orvane/os/Registry.h"

#include <gtest/gtest.h>

#include "orvane/os/Accounts.h"
#include "orvane/os/Files.h"
#include "orvane/testing/Emulation.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

using RegistryTest = test::MachineTest;

constexpr RegistryRoot kLM = RegistryRoot::kLocalMachine;

RegistryKey CreateKey(const std::string& subkey, const std::string& keyClass = "") {
  Expected<RegistryKey> key = RegistryKey::Create(kLM, subkey, keyClass, RegistryAccess::kAll);
  EXPECT_TRUE(key.ok()) << subkey << ": code " << key.status().code();
  return std::move(key.value());
}

std::vector<std::string> SubkeysOf(const RegistryKey& key) {
  std::vector<std::string> names;
  for (unsigned long index = 0;; ++index) {
    Expected<std::string> name = key.EnumerateSubkey(index);
    if (!name.ok()) {
      EXPECT_EQ(name.status().code(), kNoMoreItems);
      return names;
    }
    names.push_back(*name);
  }
}

std::vector<std::string> ValuesOf(const RegistryKey& key) {
  std::vector<std::string> names;
  for (unsigned long index = 0;; ++index) {
    Expected<std::string> name = key.EnumerateValue(index);
    if (!name.ok()) {
      EXPECT_EQ(name.status().code(), kNoMoreItems);
      return names;
    }
    names.push_back(*name);
  }
}

TEST_F(RegistryTest, CreateMakesEveryMissingKeyWithTheClassAndKeepsExistingOnes) {
  CreateKey("SOFTWARE\\Orvane Test\\Old", "first class");
  CreateKey("SOFTWARE\\Orvane Test\\Old\\New\\Newer", "second class");

  Expected<RegistryKey> old = RegistryKey::Open(kLM, "software\\ORVANE TEST\\old", RegistryAccess::kRead);
  ASSERT_TRUE(old.ok());
  EXPECT_EQ(*old->KeyClass(), "first class");
  Expected<RegistryKey> newer = old->OpenSubkey("new\\NEWER", RegistryAccess::kRead);
  ASSERT_TRUE(newer.ok());
  EXPECT_EQ(*newer->KeyClass(), "second class");
  EXPECT_TRUE(old->OpenSubkey("New", RegistryAccess::kRead).ok());
}

TEST_F(RegistryTest, OpeningAMissingKeyFailsWithFileNotFound) {
  CreateKey("SOFTWARE\\Orvane Test");
  Expected<RegistryKey> missing = RegistryKey::Open(kLM, "SOFTWARE\\Orvane Test\\Missing", RegistryAccess::kRead);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.status().code(), kFileNotFound);
  EXPECT_EQ(LastError(), kFileNotFound);

  Expected<RegistryKey> parent = RegistryKey::Open(kLM, "SOFTWARE\\Orvane Test", RegistryAccess::kRead);
  ASSERT_TRUE(parent.ok());
  Expected<RegistryKey> child = parent->OpenSubkey("Missing", RegistryAccess::kRead);
  EXPECT_EQ(child.status().code(), kFileNotFound);
}

TEST_F(RegistryTest, ValuesAreFoundIgnoringCaseAndKeepTheirTypeAndData) {
  RegistryKey key = CreateKey("SOFTWARE\\Orvane Test");
  ASSERT_TRUE(key.SetValue("TQ_INST_PATH", RegistryValue::String("C:\\Tessaly\\")).ok());
  ASSERT_TRUE(key.SetValue("Count", RegistryValue::Dword(0xfedcba98)).ok());
  ASSERT_TRUE(key.SetValue("", RegistryValue::String("default")).ok());
  RegistryValue binary;
  binary.type = ValueType::kBinary;
  binary.data = {0, 1, 0xff, '\n', 0};
  ASSERT_TRUE(key.SetValue("Blob", binary).ok());

  Expected<RegistryValue> path = key.QueryValue("tq_inst_path");
  ASSERT_TRUE(path.ok());
  EXPECT_EQ(path->type, ValueType::kString);
  EXPECT_EQ(path->AsString(), "C:\\Tessaly\\");
  EXPECT_EQ(path->data.size(), 12u) << "the terminating NUL is part of a string's data";
  EXPECT_EQ(key.QueryValue("COUNT")->AsDword(), 0xfedcba98ul);
  EXPECT_EQ(key.QueryValue("")->AsString(), "default");
  EXPECT_EQ(key.QueryValue("blob")->data, binary.data);
  EXPECT_EQ(key.QueryValue("blob")->type, ValueType::kBinary);

  Expected<RegistryValue> missing = key.QueryValue("Missing");
  EXPECT_EQ(missing.status().code(), kFileNotFound);
}

TEST_F(RegistryTest, ASecondHandleSeesChangesMadeThroughTheFirst) {
  RegistryKey writer = CreateKey("SOFTWARE\\Orvane Test");
  Expected<RegistryKey> reader = RegistryKey::Open(kLM, "SOFTWARE\\Orvane Test", RegistryAccess::kRead);
  ASSERT_TRUE(reader.ok());
  ASSERT_TRUE(writer.SetValue("Value", RegistryValue::String("one")).ok());
  EXPECT_EQ(reader->QueryValue("Value")->AsString(), "one");
  ASSERT_TRUE(writer.SetValue("VALUE", RegistryValue::String("two")).ok());
  EXPECT_EQ(reader->QueryValue("value")->AsString(), "two");
  EXPECT_EQ(ValuesOf(*reader), std::vector<std::string>({"Value"}))
      << "setting a value again keeps its first spelling";
}

TEST_F(RegistryTest, SubkeysEnumerateAlphabeticallyIgnoringCaseAndValuesInTheOrderSet) {
  RegistryKey key = CreateKey("SOFTWARE\\Orvane Test");
  for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2", "Beta1"}) {
    CreateKey(std::string("SOFTWARE\\Orvane Test\\") + name);
  }
  EXPECT_EQ(SubkeysOf(key), std::vector<std::string>({"Alpha", "ALPHA2", "beta", "Beta1", "gamma"}));

  for (const char* name : {"zeta", "Alpha", "mu"}) {
    ASSERT_TRUE(key.SetValue(name, RegistryValue::Dword(1)).ok());
  }
  // Wine keeps values in name order.
  if (!orvane::test::RunningUnderWine()) {
    EXPECT_EQ(ValuesOf(key), std::vector<std::string>({"zeta", "Alpha", "mu"}));
  }
}

TEST_F(RegistryTest, DeleteValueRemovesOnlyThatValue) {
  RegistryKey key = CreateKey("SOFTWARE\\Orvane Test");
  ASSERT_TRUE(key.SetValue("Keep", RegistryValue::Dword(1)).ok());
  ASSERT_TRUE(key.SetValue("Drop", RegistryValue::Dword(2)).ok());
  ASSERT_TRUE(key.DeleteValue("DROP").ok());
  EXPECT_EQ(ValuesOf(key), std::vector<std::string>({"Keep"}));
  EXPECT_EQ(key.DeleteValue("Drop").code(), kFileNotFound);
}

TEST_F(RegistryTest, DeleteKeyRefusesAKeyWithSubkeys) {
  CreateKey("SOFTWARE\\Orvane Test\\Child");
  EXPECT_EQ(DeleteRegistryKey(kLM, "SOFTWARE\\Orvane Test").code(), kAccessDenied);
  EXPECT_TRUE(RegistryKey::Open(kLM, "SOFTWARE\\Orvane Test\\Child", RegistryAccess::kRead).ok());

  EXPECT_TRUE(DeleteRegistryKey(kLM, "SOFTWARE\\Orvane Test\\CHILD").ok());
  EXPECT_TRUE(DeleteRegistryKey(kLM, "SOFTWARE\\Orvane Test").ok());
  EXPECT_FALSE(RegistryKey::Open(kLM, "SOFTWARE\\Orvane Test", RegistryAccess::kRead).ok());
  EXPECT_EQ(DeleteRegistryKey(kLM, "SOFTWARE\\Orvane Test").code(), kFileNotFound);
}

TEST_F(RegistryTest, AnOpenKeyDeletedMeanwhileFailsCleanly) {
  RegistryKey key = CreateKey("SOFTWARE\\Orvane Test");
  ASSERT_TRUE(key.SetValue("Value", RegistryValue::Dword(1)).ok());
  ASSERT_TRUE(DeleteRegistryKey(kLM, "SOFTWARE\\Orvane Test").ok());

  EXPECT_EQ(key.QueryValue("Value").status().code(), kKeyDeleted);
  EXPECT_EQ(key.SetValue("Value", RegistryValue::Dword(2)).code(), kKeyDeleted);
  EXPECT_EQ(key.EnumerateSubkey(0).status().code(), kKeyDeleted);
  EXPECT_FALSE(RegistryKey::Open(kLM, "SOFTWARE\\Orvane Test", RegistryAccess::kRead).ok())
      << "a change through a stale handle must not bring the key back";
}

TEST_F(RegistryTest, AKeyOpenedForReadingRefusesChanges) {
  CreateKey("SOFTWARE\\Orvane Test");
  Expected<RegistryKey> key = RegistryKey::Open(kLM, "SOFTWARE\\Orvane Test", RegistryAccess::kRead);
  ASSERT_TRUE(key.ok());
  EXPECT_EQ(key->SetValue("Value", RegistryValue::Dword(1)).code(), kAccessDenied);
  EXPECT_EQ(key->QueryValue("Value").status().code(), kFileNotFound);
}

TEST_F(RegistryTest, SavedSubtreeRestoresOntoAnotherKeyReplacingItsContent) {
  RegistryKey source = CreateKey("SOFTWARE\\Orvane Test\\1.0.0");
  ASSERT_TRUE(source.SetValue("Top", RegistryValue::String("top")).ok());
  RegistryKey paths = CreateKey("SOFTWARE\\Orvane Test\\1.0.0\\Paths", "paths class");
  ASSERT_TRUE(paths.SetValue("TQ_INST_PATH", RegistryValue::String("C:\\Old")).ok());
  RegistryKey target = CreateKey("SOFTWARE\\Orvane Test\\3.1.2.2");
  ASSERT_TRUE(target.SetValue("Stale", RegistryValue::Dword(7)).ok());
  CreateKey("SOFTWARE\\Orvane Test\\3.1.2.2\\StaleKey");

  ASSERT_TRUE(EnableTokenPrivilege("SeBackupPrivilege").ok());
  const std::string hive = "C:\\WINNT\\TQ3";
  ASSERT_TRUE(source.SaveToFile(hive).ok());
  EXPECT_EQ(source.SaveToFile(hive).code(), kAlreadyExists);
  ASSERT_TRUE(EnableTokenPrivilege("SeRestorePrivilege").ok());
  ASSERT_TRUE(target.RestoreFromFile(hive).ok());
  DisableAllTokenPrivileges();

  EXPECT_EQ(ValuesOf(target), std::vector<std::string>({"Top"}));
  EXPECT_EQ(SubkeysOf(target), std::vector<std::string>({"Paths"}));
  Expected<RegistryKey> restored = target.OpenSubkey("Paths", RegistryAccess::kRead);
  ASSERT_TRUE(restored.ok());
  EXPECT_EQ(restored->QueryValue("TQ_INST_PATH")->AsString(), "C:\\Old");
  EXPECT_EQ(source.QueryValue("Top")->AsString(), "top") << "the source stays";
  EXPECT_TRUE(DeleteFile(hive).ok());
}

TEST_F(RegistryTest, ImportedRegistryTextIsSeenThroughTheSeam) {
  machine.WriteRegistry(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane Test]\r\n"
      "@=\"default text\"\r\n"
      "\"Quoted\"=\"say \\\"hi\\\" in C:\\\\x\"\r\n"
      "\"Number\"=dword:0000000a\r\n"
      "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
      "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n");
  Expected<RegistryKey> key = RegistryKey::Open(kLM, "SOFTWARE\\Orvane Test", RegistryAccess::kRead);
  ASSERT_TRUE(key.ok());
  EXPECT_EQ(key->QueryValue("")->AsString(), "default text");
  EXPECT_EQ(key->QueryValue("Quoted")->AsString(), "say \"hi\" in C:\\x");
  EXPECT_EQ(key->QueryValue("Number")->AsDword(), 10ul);
  Expected<RegistryValue> expand = key->QueryValue("Expand");
  EXPECT_EQ(expand->type, ValueType::kExpandString);
  EXPECT_EQ(expand->AsString(), "%A%");
  Expected<RegistryValue> multi = key->QueryValue("Multi");
  EXPECT_EQ(multi->type, ValueType::kMultiString);
  EXPECT_EQ(multi->data, std::vector<unsigned char>({'a', 0, 'b', 0, 0}));
}

}  // namespace
}  // namespace orvane::os
