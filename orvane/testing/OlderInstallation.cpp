// Older-level installations laid out through the seam.
#include "orvane/testing/OlderInstallation.h"

#include <cstdio>

#include "orvane/config/InstallationLevels.h"
#include "orvane/core/KeywordParser.h"
#include "orvane/core/Keywords.h"
#include "orvane/os/Files.h"
#include "orvane/os/Registry.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/runtime/Cipher_testutil.h"
#include "orvane/testing/SampleInstallation.h"

namespace orvane::test {
namespace {

std::string Line(const char* keyword, const std::string& value) {
  return std::string(keyword) + " " + value + "\n";
}

std::string Line(const char* keyword, int value) { return Line(keyword, std::to_string(value)); }

std::string OlderSecret(const std::string& plain) {
  return plain.empty() ? std::string() : orvane::testing::EncodeLegacy(plain);
}

KeywordVariant VariantOf(const OlderInstallation& installation) {
  return KeywordVariantOfLevel(installation.level);
}

std::string WriteText(const std::string& path, const std::string& text) {
  return WriteTextFile(path, text) ? "" : "cannot write " + path;
}

std::string SetRegistryText(const std::string& key, const char* name, const std::string& value) {
  auto opened = os::RegistryKey::Create(os::RegistryRoot::kLocalMachine, key, "", os::RegistryAccess::kAll);
  if (!opened || !opened->SetValue(name, os::RegistryValue::String(value))) {
    return "cannot set registry value " + key + "\\" + name;
  }
  return "";
}

std::string WriteRegistry(const OlderInstallation& installation) {
  const std::string versionKey = ProductVersionKey(installation.level);
  std::string failure = SetRegistryText(versionKey + "\\Paths", "TQ_INST_PATH", installation.installDir);
  if (installation.level != 2) return failure;
  for (const OlderInstance& instance : installation.instances) {
    if (!failure.empty()) break;
    failure = SetRegistryText(versionKey + "\\" + kOlderInstancesSubkey + "\\" + instance.name,
                              kOlderInstanceDirValue, instance.directory);
  }
  return failure;
}

std::string BackEndPaymentText(const OlderInstallation& installation) {
  return Line(keyword::kBackgroundCycleTime, 45) + Line(keyword::kBackgroundInterJobTime, 20) +
         Line(GetKeywordSet(VariantOf(installation)).processes, 2);
}

std::string PaymentFrontEndText(const OlderInstance& instance) {
  const int base = instance.port > 0 ? instance.port : 16570;
  return Line(keyword::kCashetAdminPort, base + 100) + Line(keyword::kCashetPayPort, base + 101) +
         Line(keyword::kCashetEnableTrace, instance.trace ? 1 : 0) +
         Line(keyword::kCmsPass, OlderSecret(instance.cmsPassword));
}

std::string WriteInstance(const OlderInstallation& installation, const OlderInstance& instance) {
  const std::string mainFile = installation.level == 1
                                   ? os::WindowsDirectory() + "\\" + kOlderMainFile
                                   : instance.directory + "\\" + kOlderMainFile;
  const std::string& dir = instance.directory;
  const std::string files[][2] = {
      {mainFile, OlderMainFileText(installation, instance)},
      {dir + "\\" + kMacroProcessorFile, OlderMacroProcessorText(installation, instance)},
      {dir + "\\" + kBackEndPaymentFile, BackEndPaymentText(installation)},
      {dir + "\\" + kPaymentFrontEndFile, PaymentFrontEndText(instance)},
  };
  for (const auto& file : files) {
    const std::string failure = WriteText(file[0], file[1]);
    if (!failure.empty()) return failure;
  }
  return "";
}

OlderInstance SampleInstance(const std::string& name, int port) {
  OlderInstance instance;
  instance.name = name;
  // Older levels kept a store's pages in the web server's HTML directory.
  instance.directory = "C:\\WWW\\html\\" + name;
  instance.host = name + ".example.com";
  instance.dbName = "DB" + name;
  instance.dbUser = "velqadm";
  instance.dbPassword = "pw-" + name;
  instance.merchantKey = "0123456789abcdef";
  instance.cmsPassword = "cms-" + name;
  instance.svcPrefix = name;
  instance.port = port;
  instance.cache = true;
  instance.trace = true;
  return instance;
}

}  // namespace

std::string OlderMainFileText(const OlderInstallation& installation, const OlderInstance& instance) {
  const KeywordSet& keys = GetKeywordSet(VariantOf(installation));
  const std::string& old = installation.installDir;
  std::string text = Line(keyword::kServiceNamePrefix, instance.svcPrefix) + Line(keys.dbName, instance.dbName) +
                     Line(keys.dbUser, instance.dbUser) + Line(keys.dbPswd, OlderSecret(instance.dbPassword)) +
                     Line(keys.processes, instance.processes);
  if (instance.port > 0) text += Line(keys.serverPort, instance.port);
  if (!instance.merchantKey.empty()) text += Line(keyword::kMerchantKey, OlderSecret(instance.merchantKey));
  return text + Line(keyword::kMsHostname, instance.host) + Line(keyword::kMsLogPath, old + "\\log\\" + instance.name) +
         Line(keyword::kDbRetryLimit, 5) + Line(keyword::kMacroPath, old + "\\macro") +
         Line(keys.htmlPath, instance.directory) + Line(keys.cgiPath, old + "\\cgi-bin") +
         Line(keyword::kTqEnableCache, instance.cache ? 1 : 0);
}

std::string OlderMacroProcessorText(const OlderInstallation& installation, const OlderInstance& instance) {
  const std::string& old = installation.installDir;
  return Line(keyword::kEnvironment, instance.name + " VELQINSTANCE=" + instance.dbName) +
         Line(keyword::kMacroPath, old + "\\macro;" + instance.directory + "\\macro;" + old + "2\\macro") +
         Line(keyword::kIncludePath, old + "\\include;C:\\shared\\include") +
         Line(keyword::kExecPath, old + "\\bin") + "# kept as written\n";
}

std::string OlderWebServerText(const OlderInstallation& installation) {
  const std::string& old = installation.installDir;
  std::string section = "# VXR Tessaly\n";
  for (const OlderInstance& instance : installation.instances) {
    section += "Pass /" + instance.name + "/* " + instance.directory + "\\* " + instance.host + "\n" +
               "Exec /" + instance.name + "-bin/* " + old + "\\cgi-bin\\* " + instance.host + "\n";
    if (installation.level == 1) break;
  }
  return "ServerRoot C:\\WWW\n" + section + "Pass /olddocs/* " + old + "\\docs\\*\n" +
         "Map /tq/* " + old + "X\\tq\\*\n" + "AddType .mac text/plain 7bit 1.0\n" +
         "# END OF TESSALY\nHostname oldhost\nPass /* C:\\WWW\\HTML\\*\n";
}

OlderInstallation SampleOlderInstallation(int level, const std::string& webConfigDir) {
  OlderInstallation installation;
  installation.level = level;
  installation.installDir = "C:\\TQ" + std::to_string(level);
  installation.webConfigDir = webConfigDir;
  installation.instances.push_back(SampleInstance("shop", 17000));
  if (level == 2) installation.instances.push_back(SampleInstance("mall", 17100));
  return installation;
}

std::string WriteOlderInstallation(const OlderInstallation& installation) {
  if (installation.level != 1 && installation.level != 2) return "only levels 1 and 2 are older levels";
  std::string failure = WriteRegistry(installation);
  for (const OlderInstance& instance : installation.instances) {
    if (!failure.empty()) return failure;
    failure = WriteInstance(installation, instance);
    if (installation.level == 1) break;
  }
  if (failure.empty() && !installation.webConfigDir.empty()) {
    failure = WriteText(installation.webConfigDir + "\\" + kOlderWebServerFile, OlderWebServerText(installation));
  }
  return failure;
}

}  // namespace orvane::test
