// Takes arbitrary bytes (two pieces, split at the first form feed) as an
// instance's main file and a value, and adds the value's keyword line when
// it is missing. A file that names the keyword stays as it is; any other
// gets the line at its end and nothing else changes; a value with a line end
// is refused with the file unchanged; a changed file's previous bytes are the
// backup, and an unchanged file leaves the backup alone; and
// once added, the line is found by a second call and by KeyMissing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/config/KeywordLines.h"
#include "orvane/testing/FuzzMachine.h"

namespace {

namespace fuzz = orvane::fuzz;

constexpr char kFolder[] = "C:\\shop1\\html";
constexpr char kMainFile[] = "C:\\shop1\\html\\tessaly.ini";
constexpr char kBackup[] = "C:\\shop1\\html\\tessaly.old.ini";
constexpr const char* kKeys[] = {"PERS_ENABLED", "GL_HOST", "GL_PORT"};

// The first word of a line as the rewriter reads it (up to a NUL byte).
std::string FirstWord(const std::string& line) {
  const std::string text = line.c_str();
  const std::string::size_type start = text.find_first_not_of(" \r\n");
  if (start == std::string::npos) return std::string();
  return text.substr(start, text.find_first_of(" \r\n", start) - start);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (fuzz::SilenceMessages(), fuzz::MakeDirectories(kFolder), true);
  fuzz::Require(ready);
  const std::vector<std::string> pieces =
      fuzz::Pieces(std::string_view(reinterpret_cast<const char*>(data), size), 2);
  const std::string& input = pieces[0];
  const std::string value = pieces[1].c_str();
  const char* key = kKeys[size % 3];
  fuzz::WriteFile(kMainFile, input);
  const std::string before = fuzz::ReadFile(kMainFile, "r");
  fuzz::WriteFile(kBackup, fuzz::kUntouchedBackup);

  const int added = orvane::AddIfMissing(key, kMainFile, " ", value.c_str());
  if (value.find_first_of("\r\n") != std::string::npos) {
    fuzz::Require(added == 0 && fuzz::ReadFile(kMainFile) == input);
    return 0;
  }
  fuzz::Require(added == 1);
  fuzz::RequireBackup(kBackup, input, kMainFile);
  bool named = false;
  for (const std::string& line : fuzz::Lines(before)) named = named || FirstWord(line) == key;
  const std::string after = fuzz::ReadFile(kMainFile, "r");
  fuzz::Require(after == (named ? before : before + "\n" + key + " " + value + "\n"));

  fuzz::Require(orvane::AddIfMissing(key, kMainFile, " ", value.c_str()) == 1);
  fuzz::Require(fuzz::ReadFile(kMainFile, "r") == after);
  if (!named) fuzz::Require(orvane::KeyMissing(kMainFile, key) == 0);
  return 0;
}
