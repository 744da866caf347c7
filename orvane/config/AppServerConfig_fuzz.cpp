// Takes arbitrary bytes (two pieces, split at the first form feed) as the
// application server's jvm.properties and servlets.properties and edits
// both. The class path line gains the two archives and keeps what it had;
// the merchant servlet's lines are replaced by two at the end; every other
// line is kept in its place. A second edit of jvm.properties changes
// nothing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/config/AppServerConfig.h"
#include "orvane/testing/FuzzMachine.h"

namespace {

namespace fuzz = orvane::fuzz;

constexpr char kInstallDir[] = "C:\\inst";
constexpr char kServiceDir[] = "C:\\AS\\AppServer\\properties\\server\\servlet\\servletservice";
constexpr char kJvm[] = "C:\\AS\\AppServer\\properties\\server\\servlet\\servletservice\\jvm.properties";
constexpr char kServlets[] =
    "C:\\AS\\AppServer\\properties\\server\\servlet\\servletservice\\servlets.properties";
constexpr char kJavaArchive[] = "C:\\inst\\JQ\\JQ.jar";
constexpr char kVelqArchive[] = "C:\\Velq\\java\\velqjava.zip";

void SetUpMachine() {
  fuzz::SilenceMessages();
  fuzz::MakeDirectories(kServiceDir);
  fuzz::ImportRegistry(fuzz::kVelqRecord);
}

// The line as the editors read it: up to a NUL byte.
std::string Read(const std::string& line) { return line.c_str(); }

bool IsClassPathLine(const std::string& line) {
  return Read(line).rfind("ncf.jvm.classpath=", 0) == 0;
}

// True when entry stands in the line as one entry of the list after "=".
bool ListsEntry(const std::string& line, const std::string& entry) {
  constexpr char kDelimiters[] = "; \t\r\n";
  const std::string::size_type list = line.find('=') + 1;
  for (std::string::size_type at = line.find(entry, list); at != std::string::npos;
       at = line.find(entry, at + 1)) {
    const std::string::size_type end = at + entry.size();
    if ((at == list || std::strchr(kDelimiters, line[at - 1]) != nullptr) &&
        (end == line.size() || std::strchr(kDelimiters, line[end]) != nullptr)) {
      return true;
    }
  }
  return false;
}

void CheckJvmProperties(const std::string& input) {
  fuzz::WriteFile(kJvm, input);
  const std::vector<std::string> before = fuzz::Lines(fuzz::ReadFile(kJvm, "r"));
  if (orvane::UpdateJvmProperties(kJvm, kInstallDir) != 1) {
    // Refused only for a class path that holds a line end of its own.
    bool breaks = false;
    for (const std::string& line : before) {
      std::string text = Read(line);
      if (!text.empty() && text.back() == '\n') text.pop_back();
      breaks = breaks || (IsClassPathLine(line) && text.find('\r') != std::string::npos);
    }
    fuzz::Require(breaks && fuzz::ReadFile(kJvm) == input);
    return;
  }
  const std::string edited = fuzz::ReadFile(kJvm, "r");
  const std::vector<std::string> after = fuzz::Lines(edited);
  fuzz::Require(after.size() == before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    if (!IsClassPathLine(before[i])) {
      fuzz::Require(after[i] == before[i]);
      continue;
    }
    std::string kept = Read(before[i]);
    if (kept.back() == '\n') kept.pop_back();  // not empty: it holds "="
    fuzz::Require(after[i].rfind(kept, 0) == 0 && after[i].back() == '\n');
    fuzz::Require(ListsEntry(after[i], kJavaArchive) && ListsEntry(after[i], kVelqArchive));
  }
  fuzz::Require(orvane::UpdateJvmProperties(kJvm, kInstallDir) == 1);
  fuzz::Require(fuzz::ReadFile(kJvm, "r") == edited);
}

void CheckServletsProperties(const std::string& input) {
  fuzz::WriteFile(kServlets, input);
  std::string expected;
  for (const std::string& line : fuzz::Lines(fuzz::ReadFile(kServlets, "r"))) {
    const std::string text = Read(line);
    if (text.find("servlet.MerchantAdmin.code") != std::string::npos ||
        text.find("servlet.MerchantAdmin.initArgs") != std::string::npos) {
      continue;
    }
    expected += line;
  }
  // A last line without its line feed is ended.
  if (!expected.empty() && expected.back() != '\n') expected += '\n';
  expected +=
      "servlet.MerchantAdmin.code=com.vxr.jq.common.PageManager\n"
      "servlet.MerchantAdmin.initArgs=configfile=C:\\shop1\\html\\tessaly.ini\n";
  MSInfo info;
  info.SetHtmlPath("C:\\shop1\\html");
  fuzz::Require(orvane::UpdateServletsProperties(info, kServlets) == 1);
  fuzz::Require(fuzz::ReadFile(kServlets, "r") == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (SetUpMachine(), true);
  fuzz::Require(ready);
  const std::vector<std::string> pieces =
      fuzz::Pieces(std::string_view(reinterpret_cast<const char*>(data), size), 2);
  CheckJvmProperties(pieces[0]);
  CheckServletsProperties(pieces[1]);
  return 0;
}
