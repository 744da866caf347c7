// The emulated machine's registry file against the registry editor itself:
// a file that the emulated machine writes is imported by "regedit /S", and
// an export of "regedit /E" is read back by the emulated machine's reader,
// every value equal both ways.
//
// The registry editor is another process and sees the real registry, not a
// test sandbox: the tests work in a key of their own below the real
// HKEY_CURRENT_USER and remove it again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/os/Registry.h"
#include "orvane/os/posix/RegistryFile.h"
#include "orvane/os/win32/WindowsApi.h"
#include "orvane/testing/win32/TempFolder.h"

namespace orvane::os {
namespace {

using posix::NamedValue;
using posix::RegistryNode;

RegistryValue Typed(ValueType type, const std::vector<unsigned char>& data) {
  RegistryValue value;
  value.type = type;
  value.data = data;
  return value;
}

// A value of every type and form that the writer knows. (A string without
// its final NUL is left out: Windows' ANSI interface does not keep one.)
std::vector<NamedValue> SampleValues() {
  std::vector<unsigned char> binary;
  for (int i = 0; i < 200; ++i) binary.push_back(static_cast<unsigned char>(i * 7));
  return {
      {"", RegistryValue::String("the default")},
      {"Path", RegistryValue::String("C:\\Quenta Go\\Bin\\")},
      {"Quoted \"name\"", RegistryValue::String("say \"x\"")},
      {"Empty", RegistryValue::String("")},
      {"Accented", RegistryValue::String("caf\xe9 \x80 na\xefve")},
      {"Lines", RegistryValue::String("one\r\ntwo\nthree\rfour")},
      {"Count", RegistryValue::Dword(0x1234abcd)},
      {"Zero", RegistryValue::Dword(0)},
      {"Blob", Typed(ValueType::kBinary, binary)},
      {"NoBytes", Typed(ValueType::kBinary, {})},
      {"Expand", Typed(ValueType::kExpandString, {'%', 'W', 'I', 'N', '%', '\\', 0xe9, 0})},
      {"Multi", Typed(ValueType::kMultiString, {'o', 'n', 'e', 0, 't', 0xfc, 0, 0})},
      {"Qword", Typed(static_cast<ValueType>(11), {1, 2, 3, 4, 5, 6, 7, 8})},
      {"None", Typed(ValueType::kNone, {9, 8})},
  };
}

// Runs the registry editor with arguments and waits; its exit code.
DWORD RunRegistryEditor(const std::string& arguments) {
  std::string commandLine = "regedit.exe " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    ADD_FAILURE() << "cannot start " << commandLine << ": " << ::GetLastError();
    return ~0ul;
  }
  DWORD code = ~0ul;
  if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(process.hProcess, &code);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

void ExpectSameValue(const RegistryValue& actual, const RegistryValue& expected,
                     const std::string& name) {
  EXPECT_EQ(actual.type, expected.type) << name;
  EXPECT_EQ(actual.data, expected.data) << name;
}

class RegistryEditorTest : public ::testing::Test {
 protected:
  RegistryEditorTest()
      : m_subkey("Software\\OrvaneRegistryEditor-" + std::to_string(::GetCurrentProcessId())) {}
  ~RegistryEditorTest() override {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_subkey.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, m_subkey.c_str());
  }

  std::vector<std::string> KeyPath(const std::string& below = "") const {
    std::vector<std::string> path = {"HKEY_CURRENT_USER", "Software",
                                     m_subkey.substr(m_subkey.find('\\') + 1)};
    if (!below.empty()) path.push_back(below);
    return path;
  }

  const std::string m_subkey;
  orvane::testing::TempFolder m_folder;
};

TEST_F(RegistryEditorTest, ImportsTheEmulatedMachinesFileValueForValue) {
  RegistryNode key(KeyPath().back(), "");
  for (const NamedValue& value : SampleValues()) key.SetValue(value.name, value.value);
  key.AddSubkey("Child", "").SetValue("Inner", RegistryValue::String("deep"));
  const std::string file = m_folder / "import.reg";
  ASSERT_TRUE(orvane::testing::WriteBytes(file, posix::WriteRegistryKeyText(key, KeyPath())));

  ASSERT_EQ(RunRegistryEditor("/S \"" + file + "\""), 0u);

  Expected<RegistryKey> imported = RegistryKey::Open(RegistryRoot::kCurrentUser, m_subkey,
                                                     RegistryAccess::kRead);
  ASSERT_TRUE(imported.ok()) << imported.status().code();
  for (const NamedValue& value : SampleValues()) {
    Expected<RegistryValue> actual = imported->QueryValue(value.name);
    ASSERT_TRUE(actual.ok()) << value.name;
    ExpectSameValue(*actual, value.value, value.name);
  }
  Expected<RegistryKey> child = imported->OpenSubkey("Child", RegistryAccess::kRead);
  ASSERT_TRUE(child.ok());
  EXPECT_EQ(child->QueryValue("Inner")->AsString(), "deep");
}

TEST_F(RegistryEditorTest, ExportIsReadBackValueForValue) {
  {
    Expected<RegistryKey> key =
        RegistryKey::Create(RegistryRoot::kCurrentUser, m_subkey + "\\Child", "", RegistryAccess::kAll);
    ASSERT_TRUE(key.ok());
    ASSERT_TRUE(key->SetValue("Inner", RegistryValue::String("deep")).ok());
    Expected<RegistryKey> parent =
        RegistryKey::Open(RegistryRoot::kCurrentUser, m_subkey, RegistryAccess::kAll);
    ASSERT_TRUE(parent.ok());
    for (const NamedValue& value : SampleValues()) {
      ASSERT_TRUE(parent->SetValue(value.name, value.value).ok()) << value.name;
    }
  }
  const std::string file = m_folder / "export.reg";
  ASSERT_EQ(RunRegistryEditor("/E \"" + file + "\" \"HKEY_CURRENT_USER\\" + m_subkey + "\""), 0u);

  RegistryNode tree;
  std::string error;
  ASSERT_TRUE(posix::ParseRegistryText(orvane::testing::ReadBytes(file), "export.reg", &tree, &error)) << error;
  const RegistryNode* exported = tree.FindPath(KeyPath());
  ASSERT_NE(exported, nullptr);
  EXPECT_EQ(exported->values().size(), SampleValues().size());
  for (const NamedValue& value : SampleValues()) {
    const RegistryValue* actual = exported->FindValue(value.name);
    ASSERT_NE(actual, nullptr) << value.name;
    ExpectSameValue(*actual, value.value, value.name);
  }
  const RegistryNode* child = tree.FindPath(KeyPath("Child"));
  ASSERT_NE(child, nullptr);
  ASSERT_NE(child->FindValue("Inner"), nullptr);
  EXPECT_EQ(child->FindValue("Inner")->AsString(), "deep");
}

}  // namespace
}  // namespace orvane::os
