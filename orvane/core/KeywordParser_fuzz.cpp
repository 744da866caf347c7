// Offers arbitrary lines to every entry of the five keyword tables, with and
// without a host, and traps a line that the macro processor table's final
// catch-all entry refuses. The same bytes then go through the file readers
// as a whole file: every line, and the marked section, in the readers'
// 1024-character pieces.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "orvane/core/KeywordParser.h"
#include "orvane/os/Files.h"

namespace {

bool Offer(const orvane::KeywordTable& table, const char* line, const char* host) {
  for (const orvane::KeywordEntry& entry : table) {
    if (orvane::MatchEntry(entry, line, host)) return true;
  }
  return false;
}

// A file on an emulated machine of the run's own.
const char* FuzzFile() {
  static const bool ready = [] {
    static char folder[] = "/tmp/orvane-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr) return false;
    setenv("ORVANE_MACHINE", folder, 1);
    return mkdir((std::string(folder) + "/drive_c").c_str(), 0700) == 0;
  }();
  if (!ready) std::abort();
  return "C:\\fuzz.ini";
}

void ParseAsFile(const uint8_t* data, size_t size, const char* host) {
  FILE* file = orvane::os::OpenFile(FuzzFile(), "wb");
  if (file == nullptr) std::abort();
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  MSInfo rec;
  if (!orvane::ParseKeywordFile(FuzzFile(), orvane::MainFileTable(rec, orvane::KeywordVariant::kCurrent)) ||
      !orvane::ParseKeywordFile(FuzzFile(), orvane::MacroProcessorTable(rec)) ||
      !orvane::ParseMarkedSection(FuzzFile(), orvane::WebServerTable(rec), host)) {
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
