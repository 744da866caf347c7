#include "orvane/testing/TempMachine.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "orvane/os/posix/HostFile.h"
#include "orvane/os/posix/Machine.h"
#include "orvane/os/posix/RegistryFile.h"
#include "orvane/os/posix/RegistryStore.h"

namespace orvane::test {

namespace {

constexpr char kMachineVariable[] = "ORVANE_MACHINE";
constexpr char kFormatLine[] = "Windows Registry Editor Version 5.00";
constexpr char kHostsFile[] = "C:\\WINNT\\system32\\drivers\\etc\\hosts";

std::string TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                        "/orvane-machine-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot create a temporary machine folder from " << pattern;
  }
  return pattern;
}

}  // namespace

TempMachine::TempMachine() : m_folder(TemporaryFolder()) {
  if (const char* previous = std::getenv(kMachineVariable)) {
    m_hadPrevious = true;
    m_previous = previous;
  }
  setenv(kMachineVariable, m_folder.c_str(), 1);
  std::error_code error;
  std::filesystem::create_directories(m_folder + "/drive_c/WINNT/system32", error);
  if (error) ADD_FAILURE() << "cannot lay out drive C in " << m_folder << ": " << error.message();
}

TempMachine::~TempMachine() {
  if (m_hadPrevious) {
    setenv(kMachineVariable, m_previous.c_str(), 1);
  } else {
    unsetenv(kMachineVariable);
  }
  // A program that the test started may still be writing into the machine;
  // what it adds while the folder goes is removed in a second pass.
  for (int attempt = 0; attempt < 3 && std::filesystem::exists(m_folder); ++attempt) {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }
}

void TempMachine::WriteRegistry(const std::string& regText) {
  std::string text = regText;
  if (text.find(kFormatLine) == std::string::npos && text.find("REGEDIT4") == std::string::npos) {
    text = std::string(kFormatLine) + "\r\n" + text;
  }
  std::string error;
  os::Status imported = os::posix::ChangeRegistry([&](os::posix::RegistryNode* tree, bool* changed) {
    if (!os::posix::ParseRegistryText(text, "WriteRegistry", tree, &error)) {
      return os::Status::Failure(os::kInvalidParameter);
    }
    *changed = true;
    return os::Status();
  });
  if (!imported.ok()) {
    ADD_FAILURE() << "WriteRegistry failed with code " << imported.code() << " " << error;
  }
}

void TempMachine::WriteFile(const std::string& windowsPath, const std::string& bytes) {
  std::string hostPath = HostPath(windowsPath);
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path(), error);
  os::Status written = os::posix::ReplaceHostFile(hostPath, bytes);
  if (error || !written.ok()) {
    ADD_FAILURE() << "cannot write " << windowsPath << " (" << hostPath << ")";
  }
}

std::string TempMachine::ReadFile(const std::string& windowsPath) const {
  os::Expected<std::string> bytes = os::posix::ReadHostFile(HostPath(windowsPath));
  if (!bytes.ok()) {
    ADD_FAILURE() << "cannot read " << windowsPath << ": code " << bytes.status().code();
    return std::string();
  }
  return *bytes;
}

bool TempMachine::FileExists(const std::string& windowsPath) const {
  struct stat info;
  return stat(HostPath(windowsPath).c_str(), &info) == 0;
}

void TempMachine::AddHost(const std::string& name, const std::vector<std::string>& addresses) {
  std::string hosts = FileExists(kHostsFile) ? ReadFile(kHostsFile) : std::string();
  for (const std::string& address : addresses) hosts += address + "\t" + name + "\r\n";
  WriteFile(kHostsFile, hosts);
}

std::vector<TempMachine::Account> TempMachine::AddAccounts() {
  const std::vector<Account> accounts = {{"dbadmin", 2}, {"clerk", 1}, {"visitor", 0}};
  std::string text;
  for (const Account& account : accounts) {
    char privilege[9];
    std::snprintf(privilege, sizeof privilege, "%08lx", account.privilege);
    text += "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\" + account.name + "]\r\n\"Privilege\"=dword:" +
            privilege + "\r\n";
  }
  WriteRegistry(text);
  return accounts;
}

void TempMachine::UseVirtualClock() {
  WriteRegistry("[HKEY_LOCAL_MACHINE\\EMULATION]\r\n\"VirtualClock\"=dword:00000001\r\n");
}

std::string TempMachine::HostPath(const std::string& windowsPath) const {
  os::Expected<std::string> hostPath = os::posix::HostPath(windowsPath);
  if (!hostPath.ok()) {
    ADD_FAILURE() << "not a path of the machine: " << windowsPath;
    return m_folder + "/invalid-path";
  }
  return *hostPath;
}

std::string TempMachine::ServicesFile() { return "C:\\WINNT\\system32\\drivers\\etc\\services"; }

}  // namespace orvane::test
