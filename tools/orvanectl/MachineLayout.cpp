#include "MachineLayout.h"

#include <filesystem>
#include <iterator>
#include <system_error>
#include <vector>

#include "orvane/os/Status.h"
#include "orvane/os/posix/HostFile.h"
#include "orvane/os/posix/Machine.h"
#include "orvane/os/posix/RegistryFile.h"
#include "orvane/os/posix/RegistryStore.h"
#include "orvane/testing/OlderInstallation.h"
#include "orvane/testing/SampleInstallation.h"

namespace orvanectl {

namespace {

namespace posix = orvane::os::posix;

// What Windows brings: the host name and the virtual clock.
constexpr char kWindowsRegistry[] =
    "Windows Registry Editor Version 5.00\r\n"
    "[HKEY_LOCAL_MACHINE\\EMULATION]\r\n"
    "\"VirtualClock\"=dword:00000001\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n"
    "\"Hostname\"=\"tessaly.example\"\r\n";

// The web server as it runs around the sample installation: its
// configuration in C:\WINNT, where the port switch tools look for it, its
// administration programs, and its service, running.
constexpr char kWebServerRegistry[] =
    "Windows Registry Editor Version 5.00\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6]\r\n"
    "\"ETCpath\"=\"C:\\\\WINNT\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6\\Directories]\r\n"
    "\"Administration\"=\"C:\\\\WWW\\\\admin\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\BrenloQuentaGoWebserver]\r\n"
    "\"Type\"=dword:00000010\r\n"
    "\"Start\"=dword:00000002\r\n"
    "\"ErrorControl\"=dword:00000001\r\n"
    "\"ImagePath\"=\"C:\\\\WWW\\\\bin\\\\httpd.exe\"\r\n"
    "\"DisplayName\"=\"Quenta Go Webserver\"\r\n"
    "\"ObjectName\"=\"LocalSystem\"\r\n"
    "[HKEY_LOCAL_MACHINE\\EMULATION\\Services\\BrenloQuentaGoWebserver]\r\n"
    "\"State\"=dword:00000004\r\n";

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

const MachineFile kWindowsFiles[] = {
    {"C:\\WINNT\\system32\\drivers\\etc\\services",
     "echo\t\t7/tcp\r\nftp\t\t21/tcp\r\ntelnet\t\t23/tcp\r\nsmtp\t\t25/tcp\tmail\r\n"
     "http\t\t80/tcp\twww\r\nhttps\t\t443/tcp\r\n"},
    {"C:\\WINNT\\system32\\drivers\\etc\\hosts",
     "127.0.0.1\tlocalhost\r\n10.1.0.10\ttessaly.example\r\n10.1.0.11\tshop1.example\r\n"
     "10.1.0.12\tshop2.example\r\n10.1.0.13\tshop3.example\r\n"},
};

const MachineFile kWebServerFiles[] = {
    {"C:\\WINNT\\httpd.cnf",
     "# Quenta Go Webserver configuration\r\nServerRoot     C:\\WWW\r\n"
     "Port     80\r\n\r\nPass /* C:\\WWW\\html\\*\r\n"},
    {"C:\\WINNT\\servlet.cnf",
     "# Servlet engine\r\nJavaLibPath C:\\WWW\\bin\\java\r\n"
     "JavaClassPath C:\\WWW\\bin\\java\\lib\\classes.zip\r\n"},
    {"C:\\WWW\\admin\\sctyout.exe", kAdministrationProgram},
    {"C:\\WWW\\admin\\sctyin.exe", kAdministrationProgram},
    {"C:\\WWW\\bin\\httpd.exe", "program httpd.exe\n"},
    {"C:\\WWW\\html\\index.html", "<html><body>Quenta Go Webserver</body></html>\r\n"},
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

bool WriteFiles(const MachineFile* begin, const MachineFile* end, std::string* error) {
  for (const MachineFile* file = begin; file != end; ++file) {
    if (!WriteMachineFile(*file, error)) return false;
  }
  return true;
}

bool LaySample(const MachineOptions& options, std::string* error) {
  orvane::test::SampleInstallation installation;
  installation.dbOwner = kDatabaseOwner;
  installation.payServer = options.payment;
  installation.hosting = options.hosting;
  installation.personalization = options.personalization;
  if (!installation.LayOut()) {
    *error = installation.error();
    return false;
  }
  if (!ImportRegistry(kWebServerRegistry, error) ||
      !WriteFiles(std::begin(kWebServerFiles), std::end(kWebServerFiles), error)) {
    return false;
  }
  if (options.level == 1 || options.level == 2) {
    const std::string older = orvane::test::WriteOlderInstallation(
        orvane::test::SampleOlderInstallation(options.level, "C:\\WINNT"));
    if (!older.empty()) {
      *error = older;
      return false;
    }
  }
  return true;
}

}  // namespace

bool LayOutMachine(const MachineOptions& options, std::string* error) {
  if (!MakeDirectory("C:\\WINNT\\system32", error) || !ImportRegistry(kWindowsRegistry, error) ||
      !WriteFiles(std::begin(kWindowsFiles), std::end(kWindowsFiles), error)) {
    return false;
  }
  return !options.sample || LaySample(options, error);
}

}  // namespace orvanectl
