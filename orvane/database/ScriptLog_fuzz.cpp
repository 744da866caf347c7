// Takes arbitrary bytes as a database script's log and reads it both ways.
// The reports are whole lines of the log (line ends turned into blanks, so
// none holds a line feed), no more text than the log holds besides one
// message per SQL error, each Velq report starts with a Velq error number,
// an error is found exactly when one is reported, and reading that ends at
// the first error reports at most one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/database/ScriptLog.h"
#include "orvane/testing/FuzzMachine.h"

namespace {

namespace fuzz = orvane::fuzz;

constexpr char kLog[] = "C:\\shop1.log";
// Generous room for message 99 with the database name.
constexpr std::size_t kMessageRoom = 512;

std::vector<std::string>& Reports() {
  static std::vector<std::string> reports;
  return reports;
}

void Check(orvane::LogErrors errors, std::size_t size) {
  Reports().clear();
  pfnUpdate = [](const char* text) { Reports().push_back(text); };
  const orvane::LogVerdict verdict = orvane::ReadScriptLog(kLog, errors, "shop1");
  pfnUpdate = nullptr;
  fuzz::Require(verdict.opened && verdict.errorFound == !Reports().empty());
  std::size_t reported = 0;
  for (const std::string& report : Reports()) {
    fuzz::Require(report.find('\n') == std::string::npos);
    reported += report.size();
  }
  fuzz::Require(reported <= size + kMessageRoom * Reports().size());
  if (errors == orvane::LogErrors::kVelqErrorsEndReading) {
    fuzz::Require(Reports().size() <= 1);
    if (!Reports().empty()) {
      const std::string& report = Reports().front();
      const std::string word = report.substr(report.find_first_not_of(' '));
      fuzz::Require(word.rfind("VELQ", 0) == 0 && word.substr(0, word.find(' ')).back() == 'E');
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::SilenceMessages();
  fuzz::WriteFile(kLog, std::string_view(reinterpret_cast<const char*>(data), size));
  Check(orvane::LogErrors::kVelqErrorsEndReading, size);
  Check(orvane::LogErrors::kVelqAndSqlErrors, size);
  return 0;
}
