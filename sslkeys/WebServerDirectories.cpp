#include "sslkeys/WebServerDirectories.h"

#include <cstring>
#include <string>

#include "orvane/os/Registry.h"

namespace {

namespace os = orvane::os;

constexpr char kWebServerKey[] = "SOFTWARE\\Brenlo\\Quenta Go Webserver";
constexpr char kSupportedLevel[] = "4.6";
// The registry calls read into buffers of the Windows path size, terminator
// included: longer texts do not fit and count as not read.
constexpr std::size_t kPathBufferSize = 261;

}  // namespace

int ReadRegistryString(const char* subkey, const char* valueName, KelString& result) {
  os::Expected<os::RegistryKey> key =
      os::RegistryKey::Open(os::RegistryRoot::kLocalMachine, subkey, os::RegistryAccess::kRead);
  if (!key) return 0;
  os::Expected<os::RegistryValue> value = key->QueryValue(valueName);
  if (!value || value->data.size() > kPathBufferSize) return 0;
  result = value->AsString().c_str();
  return 1;
}

int GetWebServerDirectories(KelString& executablesDirectory, KelString& configurationFile,
                            KelString& administrationDirectory) {
  os::Expected<os::RegistryKey> baseKey = os::RegistryKey::Open(
      os::RegistryRoot::kLocalMachine, kWebServerKey, os::RegistryAccess::kRead);
  if (!baseKey) return 0;

  // The first version key names the installed level; a name that cannot be
  // read counts as a level we do not know.
  os::Expected<std::string> version = baseKey->EnumerateSubkey(0);
  if (!version || version->size() >= kPathBufferSize ||
      version->compare(0, std::strlen(kSupportedLevel), kSupportedLevel) != 0) {
    return 0;
  }

  const std::string versionKey = std::string(kWebServerKey) + "\\" + *version;
  const std::string directoriesKey = versionKey + "\\Directories";
  KelString etcPath;
  const int etcRead = ReadRegistryString(versionKey.c_str(), "ETCPath", etcPath);
  configurationFile = etcPath ^ "httpd.cnf";
  const int executablesRead =
      ReadRegistryString(directoriesKey.c_str(), "Executables", executablesDirectory);
  const int administrationRead =
      ReadRegistryString(directoriesKey.c_str(), "Administration", administrationDirectory);
  return etcRead && executablesRead && administrationRead;
}
