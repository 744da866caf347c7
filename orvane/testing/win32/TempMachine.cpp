// The temporary machine on real Windows (and Wine): a registry sandbox, and
// drive C as it is, tidied afterwards.
//
// The registry: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of the test process
// are redirected into fresh keys for the machine's lifetime (see
// RegistrySandbox.h); m_folder holds the sandbox's key path. Registry text is
// imported by reg.exe, which sees the real roots, so its key paths are moved
// into the sandbox first.
//
// The drives are the machine's own: files are written where the test says.
// Every top-level entry of C:\ that the test adds is removed when the machine
// goes; m_previous lists the entries that were there before. The files of the
// Windows directory's system32\drivers\etc (the services file the library
// edits, its backup, the hosts file) are saved and put back as they were;
// the services file and its backup are removed for the test. Tests must
// therefore not run side by side on one Windows machine (the mingw test
// preset runs them one at a time). The virtual clock has no counterpart
// here, and host names and accounts are the machine's own.
#include "orvane/testing/TempMachine.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "orvane/os/Accounts.h"
#include "orvane/os/Network.h"
#include "orvane/os/win32/WindowsApi.h"
#include "orvane/testing/win32/RemoveTree.h"
#include "orvane/testing/win32/RegistrySandbox.h"

namespace orvane::test {
namespace {

constexpr char kFormatLine[] = "Windows Registry Editor Version 5.00";
constexpr char kDriveRoot[] = "C:\\";

// The sandbox of the machine alive in this process (there is one at a time).
std::unique_ptr<orvane::testing::RegistrySandbox>& Sandbox() {
  static std::unique_ptr<orvane::testing::RegistrySandbox> sandbox;
  return sandbox;
}

// The names in a folder (files only, or every entry).
std::set<std::string> FolderEntries(const std::string& folder, bool filesOnly) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0 &&
        !(filesOnly && isFolder)) {
      names.insert(found.cFileName);
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return names;
}

std::set<std::string> DriveRootEntries() { return FolderEntries(kDriveRoot, false); }

// The network databases' folder, where the services and hosts files are.
std::string NetworkFolder() {
  char windows[MAX_PATH + 1];
  ::GetWindowsDirectoryA(windows, sizeof windows);
  return std::string(windows) + "\\system32\\drivers\\etc\\";
}

// The files of the network folder as they were when the machine was made.
std::map<std::string, std::string>& SavedNetworkFiles() {
  static std::map<std::string, std::string> files;
  return files;
}

// Makes every missing directory of a path's parent.
void CreateParents(const std::string& path) {
  for (size_t slash = path.find_first_of("\\/", 3); slash != std::string::npos;
       slash = path.find_first_of("\\/", slash + 1)) {
    ::CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
  }
}

// A key line "[HKEY_...\...]" or "[-HKEY_...]" with its root moved into the
// sandbox; other lines unchanged.
std::string IntoSandbox(const std::string& line, const std::string& sandboxKey) {
  static const struct {
    const char* root;
    const char* redirected;
  } kRoots[] = {{"HKEY_LOCAL_MACHINE", "HKLM"}, {"HKEY_CURRENT_USER", "HKCU"}};
  size_t start = line.rfind("[-", 0) == 0 ? 2 : line.rfind('[', 0) == 0 ? 1 : 0;
  if (start == 0) return line;
  for (const auto& root : kRoots) {
    size_t length = std::strlen(root.root);
    if (line.compare(start, length, root.root) == 0) {
      return line.substr(0, start) + "HKEY_CURRENT_USER\\" + sandboxKey + "\\" +
             root.redirected + line.substr(start + length);
    }
  }
  return line;
}

std::string TempFilePath() {
  char folder[MAX_PATH + 1];
  char file[MAX_PATH + 1];
  ::GetTempPathA(sizeof folder, folder);
  ::GetTempFileNameA(folder, "orv", 0, file);
  return file;
}

std::string Joined(const std::vector<std::string>& addresses) {
  std::string joined;
  for (const std::string& address : addresses) joined += (joined.empty() ? "" : ", ") + address;
  return joined;
}

}  // namespace

TempMachine::TempMachine() {
  Sandbox() = std::make_unique<orvane::testing::RegistrySandbox>();
  m_folder = Sandbox()->keyPath();
  std::ostringstream entries;
  for (const std::string& name : DriveRootEntries()) entries << name << '\n';
  m_previous = entries.str();
  CreateParents("C:\\WINNT\\system32\\");
  SavedNetworkFiles().clear();
  for (const std::string& name : FolderEntries(NetworkFolder(), true)) {
    SavedNetworkFiles()[name] = ReadFile(NetworkFolder() + name);
  }
  // Like a new emulated machine, the test starts without a services file.
  ::DeleteFileA(ServicesFile().c_str());
  ::DeleteFileA((ServicesFile() + ".old").c_str());
}

TempMachine::~TempMachine() {
  Sandbox().reset();
  std::set<std::string> before;
  std::istringstream entries(m_previous);
  for (std::string name; std::getline(entries, name);) before.insert(name);
  for (const std::string& name : DriveRootEntries()) {
    if (before.count(name) == 0) orvane::testing::RemoveTree(kDriveRoot + name);
  }
  const std::string network = NetworkFolder();
  for (const std::string& name : FolderEntries(network, true)) {
    if (SavedNetworkFiles().count(name) == 0) ::DeleteFileA((network + name).c_str());
  }
  for (const auto& [name, bytes] : SavedNetworkFiles()) {
    if (!FileExists(network + name) || ReadFile(network + name) != bytes) WriteFile(network + name, bytes);
  }
}

void TempMachine::WriteRegistry(const std::string& regText) {
  std::string text;
  if (regText.find(kFormatLine) == std::string::npos && regText.find("REGEDIT4") == std::string::npos) {
    text = std::string(kFormatLine) + "\r\n\r\n";
  }
  std::istringstream lines(regText);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text += IntoSandbox(line, m_folder) + "\r\n";
  }
  // The registry editor's 5.00 format is UTF-16: hex(2) and hex(7) data are
  // UTF-16 text in it.
  int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0);
  std::wstring wide(length, L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  std::string file = TempFilePath();
  WriteFile(file, "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()),
                                           wide.size() * sizeof(wchar_t)));
  FILE* output = ::_popen(("reg import \"" + file + "\" 2>&1").c_str(), "r");
  std::string said;
  char buffer[256];
  while (output != nullptr && std::fgets(buffer, sizeof buffer, output) != nullptr) said += buffer;
  int exitCode = output != nullptr ? ::_pclose(output) : -1;
  ::DeleteFileA(file.c_str());
  if (exitCode != 0) ADD_FAILURE() << "reg import failed (" << exitCode << "): " << said << text;
}

void TempMachine::WriteFile(const std::string& windowsPath, const std::string& bytes) {
  CreateParents(windowsPath);
  FILE* file = std::fopen(windowsPath.c_str(), "wb");
  bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file != nullptr && std::fclose(file) != 0) written = false;
  if (!written) ADD_FAILURE() << "cannot write " << windowsPath;
}

std::string TempMachine::ReadFile(const std::string& windowsPath) const {
  FILE* file = std::fopen(windowsPath.c_str(), "rb");
  if (file == nullptr) {
    ADD_FAILURE() << "cannot read " << windowsPath;
    return std::string();
  }
  std::string bytes;
  char buffer[4096];
  for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    bytes.append(buffer, count);
  }
  std::fclose(file);
  return bytes;
}

bool TempMachine::FileExists(const std::string& windowsPath) const {
  return ::GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void TempMachine::AddHost(const std::string& name, const std::vector<std::string>& addresses) {
  const os::Expected<os::HostEntry> resolved = os::ResolveHost(name);
  if (resolved && resolved->addresses == addresses) return;
  GTEST_SKIP() << "needs the emulated machine: the host name " << name << " resolving to "
               << Joined(addresses) << " (here "
               << (resolved ? Joined(resolved->addresses) : "unresolved") << ")";
}

std::vector<TempMachine::Account> TempMachine::AddAccounts() {
  const os::Expected<std::string> user = os::CurrentUserName();
  if (!user) {
    ADD_FAILURE() << "no current user: code " << user.status().code();
    return {};
  }
  const os::Expected<os::AccountPrivilege> privilege = os::LookUpAccountPrivilege(*user);
  if (!privilege) {
    ADD_FAILURE() << "no account information for " << *user << ": code "
                  << privilege.status().code();
    return {};
  }
  return {{*user, static_cast<unsigned long>(*privilege)}};
}

// Windows has no virtual clock. Tests whose waits rest on it skip on Windows;
// one that does not is stopped by the test preset's time-out.
void TempMachine::UseVirtualClock() {}

std::string TempMachine::ServicesFile() { return NetworkFolder() + "services"; }

std::string TempMachine::HostPath(const std::string& windowsPath) const { return windowsPath; }

}  // namespace orvane::test
