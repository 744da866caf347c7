#include "MachineLayout.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "orvane/os/Status.h"
#include "orvane/os/posix/HostFile.h"
#include "orvane/os/posix/Machine.h"
#include "orvane/os/posix/RegistryFile.h"
#include "orvane/os/posix/RegistryStore.h"

namespace orvanectl {

namespace {

namespace posix = orvane::os::posix;

// The machine's registry: host name, virtual clock (service waits cost no
// real time), the product, the web server and its running service, and the
// database owner's account.
constexpr char kBaseRegistry[] =
    "Windows Registry Editor Version 5.00\r\n"
    "[HKEY_LOCAL_MACHINE\\EMULATION]\r\n"
    "\"VirtualClock\"=dword:00000001\r\n"
    "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\tqadmin]\r\n"
    "\"Privilege\"=dword:00000002\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n"
    "\"Hostname\"=\"tessaly.example\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
    "\"TQ_INST_PATH\"=\"C:\\\\Tessaly\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6]\r\n"
    "\"ETCpath\"=\"C:\\\\WINNT\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6\\Directories]\r\n"
    "\"Executables\"=\"C:\\\\Quenta Go\\\\Bin\"\r\n"
    "\"CGI Bin Scripts\"=\"C:\\\\Quenta Go\\\\CGI-Bin\"\r\n"
    "\"HTML\"=\"C:\\\\Quenta Go\\\\HTML\"\r\n"
    "\"Main Directory\"=\"C:\\\\Quenta Go\"\r\n"
    "\"Administration\"=\"C:\\\\Quenta Go\\\\Admin\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\BrenloQuentaGoWebserver]\r\n"
    "\"Type\"=dword:00000010\r\n"
    "\"Start\"=dword:00000002\r\n"
    "\"ErrorControl\"=dword:00000001\r\n"
    "\"ImagePath\"=\"C:\\\\Quenta Go\\\\Bin\\\\httpd.exe\"\r\n"
    "\"DisplayName\"=\"Quenta Go Webserver\"\r\n"
    "\"ObjectName\"=\"LocalSystem\"\r\n"
    "[HKEY_LOCAL_MACHINE\\EMULATION\\Services\\BrenloQuentaGoWebserver]\r\n"
    "\"State\"=dword:00000004\r\n";

constexpr char kPaymentRegistry[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VXR Payment Server]\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App "
    "Paths\\VXRPayServer.cmd]\r\n"
    "\"Path\"=\"C:\\\\PayServer\"\r\n";
constexpr char kHostingRegistry[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Hosting Server\\Installation Directory]\r\n"
    "\"JQ_INST_PATH\"=\"C:\\\\Tessaly\\\\JQ\"\r\n";
constexpr char kPersonalizationRegistry[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Personalization]\r\n";

// A stand-in for the web server's security administration programs: takes
// its form, answers with a page.
constexpr char kAdministrationProgram[] =
    "#!/bin/sh\n"
    "cat > /dev/null\n"
    "printf 'Content-type: text/html\\r\\n\\r\\n<html><body>done</body></html>\\r\\n'\n";

struct MachineFile {
  const char* path;
  const char* content;
};

const MachineFile kBaseFiles[] = {
    {"C:\\WINNT\\system32\\drivers\\etc\\services",
     "echo\t\t7/tcp\r\nftp\t\t21/tcp\r\ntelnet\t\t23/tcp\r\nsmtp\t\t25/tcp\tmail\r\n"
     "http\t\t80/tcp\twww\r\nhttps\t\t443/tcp\r\n"},
    {"C:\\WINNT\\system32\\drivers\\etc\\hosts",
     "127.0.0.1\tlocalhost\r\n10.1.0.10\ttessaly.example\r\n10.1.0.11\tshop1.example\r\n"
     "10.1.0.12\tshop2.example\r\n10.1.0.13\tshop3.example\r\n"},
    {"C:\\WINNT\\httpd.cnf",
     "# Quenta Go Webserver configuration\r\nServerRoot     C:\\Quenta Go\r\n"
     "Port     80\r\nPass /* C:\\Quenta Go\\HTML\\*\r\n"},
    {"C:\\Quenta Go\\Admin\\sctyout.exe", kAdministrationProgram},
    {"C:\\Quenta Go\\Admin\\sctyin.exe", kAdministrationProgram},
    {"C:\\Quenta Go\\HTML\\index.html", "<html><body>Quenta Go Webserver</body></html>\r\n"},
};

const char* const kBaseDirectories[] = {
    "C:\\Tessaly\\server\\admin", "C:\\Tessaly\\bin",         "C:\\Tessaly\\instance",
    "C:\\Quenta Go\\Bin",         "C:\\Quenta Go\\CGI-Bin",   "C:\\WINNT\\system32",
};

bool ImportRegistry(const std::string& text, std::string* error) {
  orvane::os::Status imported = posix::ChangeRegistry([&](posix::RegistryNode* tree, bool* changed) {
    if (!posix::ParseRegistryText(text, "machine layout", tree, error)) {
      return orvane::os::Status::Failure(orvane::os::kInvalidParameter);
    }
    *changed = true;
    return orvane::os::Status();
  });
  if (!imported.ok() && error->empty()) *error = "cannot write the machine's registry";
  return imported.ok();
}

bool MakeDirectory(const std::string& windowsPath, std::string* error) {
  orvane::os::Expected<std::string> host = posix::HostPath(windowsPath);
  std::error_code failure;
  if (host.ok()) std::filesystem::create_directories(*host, failure);
  if (host.ok() && !failure) return true;
  *error = "cannot make the directory " + windowsPath;
  return false;
}

bool WriteMachineFile(const MachineFile& file, std::string* error) {
  std::string path = file.path;
  if (!MakeDirectory(path.substr(0, path.rfind('\\')), error)) return false;
  orvane::os::Expected<std::string> host = posix::HostPath(path);
  if (!host.ok() || !posix::ReplaceHostFile(*host, file.content).ok()) {
    *error = "cannot write " + path;
    return false;
  }
  // Programs on the machine must be host executables.
  if (std::string(file.content).rfind("#!", 0) == 0) {
    std::filesystem::permissions(*host, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
  }
  return true;
}

}  // namespace

bool LayOutMachine(const MachineOptions& options, std::string* error) {
  std::string registry = kBaseRegistry;
  if (options.payment) registry += kPaymentRegistry;
  if (options.hosting) registry += kHostingRegistry;
  if (options.personalization) registry += kPersonalizationRegistry;
  if (!ImportRegistry(registry, error)) return false;
  for (const char* directory : kBaseDirectories) {
    if (!MakeDirectory(directory, error)) return false;
  }
  for (const MachineFile& file : kBaseFiles) {
    if (!WriteMachineFile(file, error)) return false;
  }
  return true;
}

}  // namespace orvanectl
