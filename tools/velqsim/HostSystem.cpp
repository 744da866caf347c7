#include "tools/velqsim/HostSystem.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "orvane/os/Files.h"

#if defined(_WIN32)
#include <cstdlib>

#include "orvane/os/win32/WindowsApi.h"
#include "orvane/testing/win32/RegistryRedirect.h"
#else
#include <unistd.h>

#include "orvane/os/posix/Machine.h"
#endif

namespace velqsim {
namespace os = orvane::os;

bool MakeDirectories(const std::string& windowsPath) {
  const std::string hostPath = HostPathOf(windowsPath);
  std::error_code error;
  std::filesystem::create_directories(hostPath, error);
  return !hostPath.empty() && std::filesystem::is_directory(hostPath, error);
}

std::string ProgramDirectory(const std::string& velqDirectory) {
#if defined(_WIN32)
  return velqDirectory + "\\BIN";
#else
  static_cast<void>(velqDirectory);
  return os::WindowsDirectory() + "\\system32";
#endif
}

#if defined(_WIN32)

std::string HostPathOf(const std::string& windowsPath) { return windowsPath; }

std::string CurrentDirectory() {
  std::vector<char> buffer(MAX_PATH + 1);
  const DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  return length > 0 && length < buffer.size() ? std::string(buffer.data(), length) : "C:\\";
}

bool ChangeDirectory(const std::string& windowsPath) {
  return ::SetCurrentDirectoryA(windowsPath.c_str()) != 0;
}

std::string ProgramFile() {
  std::vector<char> buffer(32768);
  const DWORD length =
      ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return length > 0 && length < buffer.size() ? std::string(buffer.data(), length) : "";
}

std::string ProgramFileName(const std::string& name) { return name + ".exe"; }

std::string DriverSetupLibrary() {
  const std::string program = ProgramFile();
  const std::string::size_type slash = program.find_last_of("\\/");
  return slash == std::string::npos ? "" : program.substr(0, slash + 1) + "velqcli.dll";
}

void JoinRegistrySandbox() {
  const char* sandbox = std::getenv(orvane::testing::kRegistrySandboxVariable);
  if (sandbox != nullptr && *sandbox != '\0') orvane::testing::RedirectRegistryRoots(sandbox);
}

#else

std::string HostPathOf(const std::string& windowsPath) {
  os::Expected<std::string> hostPath = os::posix::HostPath(windowsPath);
  return hostPath ? *hostPath : std::string();
}

std::string CurrentDirectory() { return os::posix::CurrentDirectory(); }

bool ChangeDirectory(const std::string& windowsPath) {
  const std::string hostPath = HostPathOf(windowsPath);
  return !hostPath.empty() && os::DirectoryExists(windowsPath) && chdir(hostPath.c_str()) == 0;
}

std::string ProgramFile() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
}

std::string ProgramFileName(const std::string& name) { return name; }

std::string DriverSetupLibrary() { return std::string(); }

void JoinRegistrySandbox() {}

#endif

}  // namespace velqsim
