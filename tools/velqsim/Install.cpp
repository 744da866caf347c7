#include "tools/velqsim/Install.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "orvane/os/Files.h"
#include "orvane/os/Registry.h"
#include "orvane/os/posix/Machine.h"
#include "tools/velqsim/SampleScripts.h"
#include "tools/velqsim/VelqStore.h"

namespace velqsim {
namespace os = orvane::os;
namespace fs = std::filesystem;
namespace {

constexpr char kDefaultVelqDirectory[] = "C:\\VELQ";
constexpr char kExtendersKey[] = "SOFTWARE\\VXR\\VELQ Extenders";
constexpr char kDriversKey[] = "SOFTWARE\\ODBC\\ODBCINST.INI";
constexpr char kProductPathsKey[] = "SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths";

// Makes a directory and the missing ones above it.
bool MakeDirectories(const std::string& windowsPath) {
  os::Expected<std::string> hostPath = os::posix::HostPath(windowsPath);
  if (!hostPath) return false;
  std::error_code error;
  fs::create_directories(*hostPath, error);
  return fs::is_directory(*hostPath);
}

// Copies the program beside its target and renames it in, so that a copy
// that is running meanwhile is not disturbed.
bool InstallProgram(const std::string& program, const std::string& windowsPath) {
  os::Expected<std::string> target = os::posix::HostPath(windowsPath);
  if (!target) return false;
  const std::string temporary = *target + ".new" + std::to_string(getpid());
  std::error_code error;
  fs::copy_file(program, temporary, fs::copy_options::overwrite_existing, error);
  if (error || chmod(temporary.c_str(), 0755) != 0 ||
      rename(temporary.c_str(), target->c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool SetString(const std::string& key, const std::string& name, const std::string& value) {
  os::Expected<os::RegistryKey> opened =
      os::RegistryKey::Create(os::RegistryRoot::kLocalMachine, key, "", os::RegistryAccess::kAll);
  return opened && opened->SetValue(name, os::RegistryValue::String(value));
}

std::string ReadString(const std::string& key, const std::string& name) {
  os::Expected<os::RegistryKey> opened =
      os::RegistryKey::Open(os::RegistryRoot::kLocalMachine, key, os::RegistryAccess::kRead);
  if (!opened) return std::string();
  os::Expected<os::RegistryValue> value = opened->QueryValue(name);
  return value ? value->AsString() : std::string();
}

bool WriteTextFile(const std::string& windowsPath, const char* text) {
  FILE* file = os::OpenFile(windowsPath, "w");
  if (file == nullptr) return false;
  const bool written = std::fputs(text, file) >= 0;
  return std::fclose(file) == 0 && written;
}

InstallResult Failed(InstallResult result, const std::string& why) {
  result.ok = false;
  result.report += "failed: " + why + "\n";
  return result;
}

}  // namespace

InstallResult InstallIntoMachine(const InstallOptions& options) {
  InstallResult result;
  const std::string system32 = os::WindowsDirectory() + "\\system32";
  if (!MakeDirectories(system32)) return Failed(result, "cannot make " + system32);
  for (const char* name : {"velqcmd", "velq"}) {
    if (!InstallProgram(options.program, system32 + "\\" + name)) {
      return Failed(result, "cannot install " + options.program + " as " + system32 + "\\" + name);
    }
  }
  result.report += "programs: " + system32 + "\\velqcmd, " + system32 + "\\velq\n";

  std::string velqDirectory = ReadString(kVelqKey, kVelqPathValue);
  if (velqDirectory.empty() || !options.velqDirectory.empty()) {
    velqDirectory = options.velqDirectory.empty() ? kDefaultVelqDirectory : options.velqDirectory;
    if (!SetString(kVelqKey, kVelqPathValue, velqDirectory)) {
      return Failed(result, "cannot write the registry record of Velq");
    }
  }
  if (!MakeDirectories(velqDirectory) || !VelqStore::Open()) {
    return Failed(result, "cannot make the Velq directory " + velqDirectory);
  }
  result.report += "Velq directory: " + velqDirectory + "\n";

  if (options.extenders) {
    if (!SetString(kExtendersKey, "Version", "3.1")) {
      return Failed(result, "cannot register the text search extension");
    }
    result.report += "text search extension: registered\n";
  }

  const std::string driverLibrary = velqDirectory + "\\BIN\\VELQCLI.DLL";
  if (!SetString(std::string(kDriversKey) + "\\" + kOdbcDriver, "Driver", driverLibrary) ||
      !SetString(std::string(kDriversKey) + "\\" + kOdbcDriver, "Setup", driverLibrary) ||
      !SetString(std::string(kDriversKey) + "\\ODBC Drivers", kOdbcDriver, "Installed")) {
    return Failed(result, "cannot register the ODBC driver");
  }
  result.report += std::string("ODBC driver: ") + kOdbcDriver + "\n";

  std::string scripts = options.scriptsDirectory;
  if (scripts.empty()) {
    const std::string product = ReadString(kProductPathsKey, "TQ_INST_PATH");
    if (!product.empty()) scripts = product + "\\tq_schema\\VELQ";
  }
  if (scripts.empty()) {
    result.report += "scripts: not installed (no product installation directory)\n";
  } else {
    if (!MakeDirectories(scripts)) return Failed(result, "cannot make " + scripts);
    for (const SampleScript& script : SampleScripts()) {
      if (!WriteTextFile(scripts + "\\" + script.fileName, script.text)) {
        return Failed(result, "cannot write " + scripts + "\\" + script.fileName);
      }
    }
    result.report += "scripts: " + scripts + "\n";
  }
  result.ok = true;
  return result;
}

}  // namespace velqsim
