#include "tools/velqsim/Install.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "orvane/os/Files.h"
#include "orvane/os/Registry.h"
#include "tools/velqsim/HostSystem.h"
#include "tools/velqsim/SampleScripts.h"
#include "tools/velqsim/VelqStore.h"

namespace velqsim {
namespace os = orvane::os;
namespace {

constexpr char kDefaultVelqDirectory[] = "C:\\VELQ";
constexpr char kExtendersKey[] = "SOFTWARE\\VXR\\VELQ Extenders";
constexpr char kDriversKey[] = "SOFTWARE\\ODBC\\ODBCINST.INI";
constexpr char kProductPathsKey[] = "SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths";

// Writes a program (or library) beside its target and renames it in, so
// that a copy that is running meanwhile is not disturbed.
bool InstallFile(const std::string& hostFile, const std::string& windowsPath) {
  std::ifstream in(hostFile, std::ios::binary);
  if (!in) return false;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.empty()) return false;
  os::ReplacementFile file(windowsPath, "wb", 0755);
  return file.stream() != nullptr &&
         std::fwrite(bytes.data(), 1, bytes.size(), file.stream()) == bytes.size() &&
         file.Commit();
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

  const std::string programs = ProgramDirectory(velqDirectory);
  if (!MakeDirectories(programs)) return Failed(result, "cannot make " + programs);
  std::string installed;
  for (const char* name : {"velqcmd", "velq"}) {
    const std::string target = programs + "\\" + ProgramFileName(name);
    if (!InstallFile(options.program, target)) {
      return Failed(result, "cannot install " + options.program + " as " + target);
    }
    installed += (installed.empty() ? "" : ", ") + target;
  }
  result.report += "programs: " + installed + "\n";
  result.report += "Velq directory: " + velqDirectory + "\n";

  const std::string driverLibrary = velqDirectory + "\\BIN\\VELQCLI.DLL";
  if (!options.driverSetup.empty()) {
    if (!MakeDirectories(velqDirectory + "\\BIN") ||
        !InstallFile(options.driverSetup, driverLibrary)) {
      return Failed(result, "cannot install " + options.driverSetup + " as " + driverLibrary);
    }
    result.report += "ODBC driver set-up: " + driverLibrary + "\n";
  }

  if (options.extenders) {
    if (!SetString(kExtendersKey, "Version", "3.1")) {
      return Failed(result, "cannot register the text search extension");
    }
    result.report += "text search extension: registered\n";
  }

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
