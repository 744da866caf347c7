// Offers arbitrary lines to every entry of the five keyword tables, with and
// without a host, and traps a line that the macro processor table's final
// catch-all entry refuses. The same bytes then go through the file readers
// as a whole file: every line, and the marked section, in the readers'
// 1024-character pieces.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "orvane/core/KeywordParser.h"
#include "orvane/testing/FuzzMachine.h"

namespace {

bool Offer(const orvane::KeywordTable& table, const char* line, const char* host) {
  for (const orvane::KeywordEntry& entry : table) {
    if (orvane::MatchEntry(entry, line, host)) return true;
  }
  return false;
}

constexpr char kFuzzFile[] = "C:\\fuzz.ini";

void ParseAsFile(const uint8_t* data, size_t size, const char* host) {
  orvane::fuzz::WriteFile(kFuzzFile, std::string_view(reinterpret_cast<const char*>(data), size));
  MSInfo rec;
  if (!orvane::ParseKeywordFile(kFuzzFile, orvane::MainFileTable(rec, orvane::KeywordVariant::kCurrent)) ||
      !orvane::ParseKeywordFile(kFuzzFile, orvane::MacroProcessorTable(rec)) ||
      !orvane::ParseMarkedSection(kFuzzFile, orvane::WebServerTable(rec), host)) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A line as the parser sees it: no line feed, cut at the first NUL.
  std::string line(reinterpret_cast<const char*>(data), size);
  line = line.substr(0, line.find_first_of(std::string("\n\0", 2)));

  MSInfo rec;
  const char* host = size % 2 ? "shophost" : nullptr;
  Offer(orvane::MainFileTable(rec, orvane::KeywordVariant::kCurrent), line.c_str(), host);
  Offer(orvane::MainFileTable(rec, orvane::KeywordVariant::kOldest), line.c_str(), host);
  Offer(orvane::BackEndPaymentTable(rec, orvane::KeywordVariant::kOlder), line.c_str(), host);
  Offer(orvane::PaymentFrontEndTable(rec), line.c_str(), host);
  Offer(orvane::WebServerTable(rec), line.c_str(), host);
  if (!Offer(orvane::MacroProcessorTable(rec), line.c_str(), host)) std::abort();
  ParseAsFile(data, size, host);
  return 0;
}
