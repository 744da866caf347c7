// Takes arbitrary bytes as httpd.cnf and rewrites it for one instance. A
// refused file stays as it was and held a section marker; a rewritten one
// holds one product section, keeps every line in front of the first old
// section in its order (the first Hostname line after the first line gives
// way to the instance's host, a default pass rule after the first line gets
// the host map in front of it), and a second run gives the same file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/config/HttpdConfig.h"
#include "orvane/config/WebServerLines.h"
#include "orvane/testing/FuzzMachine.h"

namespace {

namespace fuzz = orvane::fuzz;

constexpr char kConfigDir[] = "C:\\WWW\\conf";
constexpr char kHttpdCnf[] = "C:\\WWW\\conf\\httpd.cnf";
constexpr char kHost[] = "shophost";

// A run for one Go instance whose host resolves, made anew for each rewrite
// (a run keeps what it wrote).
orvane::WebServerRun OneInstanceRun() {
  orvane::WebServerRun run;
  run.installDir = "C:\\inst";
  run.dirs.configDir = kConfigDir;
  orvane::GoInstance instance;
  instance.info.SetName("shop1");
  instance.info.SetDBName("shop1");
  instance.info.SetMSProc(2);
  instance.info.SetMSPort(20000);
  instance.info.SetISHost(kHost);
  instance.info.SetRootPath("C:\\shop1");
  instance.info.SetHtmlPath("C:\\shop1\\html");
  instance.info.SetISType(eISGoWebserver);
  instance.resolved = true;
  instance.addresses = {"10.0.0.1"};
  run.last = instance.info;
  run.goInstances.push_back(instance);
  return run;
}

int Rewrite() {
  orvane::WebServerRun run = OneInstanceRun();
  return orvane::UpdateHttpdConfig(run);
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

size_t Count(std::string_view text, std::string_view part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

void CheckRewritten(const std::string& before, const std::string& after) {
  // Lines read as far as a NUL byte, as the rewrite reads them.
  size_t sectionBegins = 0;
  for (const std::string& line : fuzz::Lines(after)) {
    sectionBegins += Count(line.c_str(), "###### VXR Tessaly ###### (");
  }
  fuzz::Require(sectionBegins == 1);
  // The lines in front of the first old section.
  std::vector<std::string> kept;
  for (const std::string& line : fuzz::Lines(before)) {
    if (Contains(line.c_str(), orvane::kSectionTitle)) break;
    kept.push_back(line);
  }
  bool hostReplaced = false;
  bool passMapped = false;
  for (size_t i = 1; i < kept.size(); ++i) {
    if (!passMapped && orvane::IsDefaultPassLine(kept[i].c_str())) {
      passMapped = true;
      fuzz::Require(Contains(after, "###### End of VXR Tessaly (Pass) ######\n" + kept[i]));
    }
    if (!hostReplaced && orvane::IsKeywordLine(kept[i].c_str(), "Hostname")) {
      hostReplaced = true;
      kept.erase(kept.begin() + static_cast<long>(i--));
    }
  }
  if (hostReplaced) fuzz::Require(Contains(after, std::string("\nHostname ") + kHost + "\n"));
  fuzz::Require(fuzz::KeepsInOrder(fuzz::Lines(after), kept));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (fuzz::SilenceMessages(), fuzz::MakeDirectories(kConfigDir), true);
  fuzz::Require(ready);
  const std::string input(reinterpret_cast<const char*>(data), size);
  fuzz::WriteFile(kHttpdCnf, input);
  const std::string before = fuzz::ReadFile(kHttpdCnf, "r");
  if (Rewrite() != 1) {
    fuzz::Require(Contains(before, orvane::kSectionTitle));
    fuzz::Require(fuzz::ReadFile(kHttpdCnf) == input);
    return 0;
  }
  const std::string after = fuzz::ReadFile(kHttpdCnf, "r");
  CheckRewritten(before, after);
  fuzz::Require(Rewrite() == 1);
  fuzz::Require(fuzz::ReadFile(kHttpdCnf, "r") == after);
  return 0;
}
