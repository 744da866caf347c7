// Takes arbitrary bytes as servlet.cnf and rewrites it for one instance,
// with and without the page viewer. A refused file stays as it was; a
// rewritten one keeps every other line in front of the first old section in
// its order, names Velq's library directory and the product's archive on
// every setting it extends, ends with the product section, and a second run
// gives the same file. (Not so after a
// commented-out setting: its watch counts the path lists of the file as it
// was, and the first run adds ";" to the settings it extends, so the second
// may take up another line's class path; and after a setting with more than
// one value, whose later words spare an entry that the first run then does
// not write. That is the rule as it stands; see the inputs beside this file,
// ServletConfig_fuzz-*.input.)
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/config/ServletConfig.h"
#include "orvane/config/WebServerLines.h"
#include "orvane/testing/FuzzMachine.h"

namespace {

namespace fuzz = orvane::fuzz;

constexpr char kConfigDir[] = "C:\\WWW\\conf";
constexpr char kServletCnf[] = "C:\\WWW\\conf\\servlet.cnf";
constexpr char kVelqLib[] = "C:\\Velq\\lib";
constexpr char kArchive[] = "C:\\WWW\\servlets\\public\\kelpart.jar";

void SetUpMachine() {
  fuzz::SilenceMessages();
  fuzz::MakeDirectories(kConfigDir);
  fuzz::ImportRegistry(std::string(fuzz::kVelqRecord) + fuzz::kWebServerRecord);
}

MSList& OneInstance() {
  static MSList list = [] {
    MSInfo info;
    info.SetName("shop1");
    info.SetISHost("shophost");
    info.SetHtmlPath("C:\\shop1\\html");
    info.SetISType(eISGoWebserver);
    MSList instances;
    instances.Add(info, 0);
    return instances;
  }();
  return list;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool IsSetting(std::string_view line) {
  const std::string_view keyword = orvane::LineWord(line, 0);
  return keyword == "JavaLibPath" || keyword == "JavaClassPath";
}

bool HasCommentedSetting(const std::string& text) {
  for (const std::string& line : fuzz::Lines(text)) {
    const std::string_view read = line.c_str();
    const bool named = Contains(read, "JavaLibPath") || Contains(read, "JavaClassPath");
    if (named && !IsSetting(read)) return true;
  }
  return false;
}

// A setting keeps its first value only: words after it that name an entry
// spare the entry but are not written, so the second run adds it.
bool HasSettingWithMoreWords(const std::string& text) {
  for (const std::string& line : fuzz::Lines(text)) {
    if (IsSetting(line.c_str()) && !orvane::LineWord(line.c_str(), 2).empty()) return true;
  }
  return false;
}

void CheckRewritten(const std::string& before, const std::string& after) {
  std::vector<std::string> kept;
  for (const std::string& line : fuzz::Lines(before)) {
    if (Contains(line.c_str(), orvane::kSectionTitle)) break;
    if (line != "\n" && !IsSetting(line.c_str())) kept.push_back(line);
  }
  const bool moreWords = HasSettingWithMoreWords(before);
  // The file's last line gets its line feed, for the section that follows.
  if (!kept.empty() && kept.back().back() != '\n') kept.back() += '\n';
  const std::vector<std::string> lines = fuzz::Lines(after);
  fuzz::Require(fuzz::KeepsInOrder(lines, kept));
  fuzz::Require(!lines.empty() && Contains(lines.back(), orvane::kSectionEndTitle));
  // The settings of the file, in front of the product section.
  for (const std::string& line : lines) {
    if (moreWords || Contains(line.c_str(), orvane::kSectionTitle)) break;
    if (orvane::LineWord(line.c_str(), 1).empty()) continue;
    const std::string_view keyword = orvane::LineWord(line.c_str(), 0);
    if (keyword == "JavaLibPath") fuzz::Require(Contains(line, kVelqLib));
    if (keyword == "JavaClassPath") fuzz::Require(Contains(line, kArchive));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (SetUpMachine(), true);
  fuzz::Require(ready);
  const std::string input(reinterpret_cast<const char*>(data), size);
  const int withViewer = static_cast<int>(size % 2);
  fuzz::WriteFile(kServletCnf, input);
  const std::string before = fuzz::ReadFile(kServletCnf, "r");
  if (orvane::UpdateServletConfig(kConfigDir, withViewer, OneInstance()) != 1) {
    // Refused for an unclosed old section, or a CR that a carried class path
    // would put inside a line.
    fuzz::Require(Contains(before, orvane::kSectionTitle) || Contains(before, "\r"));
    fuzz::Require(fuzz::ReadFile(kServletCnf) == input);
    return 0;
  }
  const std::string after = fuzz::ReadFile(kServletCnf, "r");
  CheckRewritten(before, after);
  if (HasCommentedSetting(before) || HasSettingWithMoreWords(before)) return 0;
  fuzz::Require(orvane::UpdateServletConfig(kConfigDir, withViewer, OneInstance()) == 1);
  fuzz::Require(fuzz::ReadFile(kServletCnf, "r") == after);
  return 0;
}
