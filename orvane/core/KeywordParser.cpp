// The keyword file parser: line mechanics, keyword variants and tables.
#include "orvane/core/KeywordParser.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "orvane/core/AsciiCase.h"
#include "orvane/core/Keywords.h"
#include "orvane/os/Files.h"

namespace orvane {
namespace {

// Lines are read in pieces of at most this many characters.
constexpr int kLinePieceChars = 1024;

constexpr char kWordSeparators[] = " \t\r\n";

constexpr char kSectionStart[] = "VXR Tessaly";
constexpr char kSectionEnd[] = "End of VXR Tessaly";
constexpr char kSectionEndOlder[] = "END OF TESSALY";

bool SameText(const std::string& text, const char* name) {
  return EqualsIgnoringCase(text.c_str(), text.size(), name);
}

// Takes a line apart word by word: a word ends at the first separator, which
// is consumed with it, so the rest of the line begins right after that one
// character and keeps any further blanks.
class LineWords {
 public:
  explicit LineWords(const char* line) : m_text(line) {}

  // The next word, leading separators skipped; false when none is left.
  bool NextWord(std::string& word) {
    const size_t start = m_text.find_first_not_of(kWordSeparators, m_position);
    if (start == std::string::npos) {
      m_position = m_text.size();
      return false;
    }
    const size_t end = m_text.find_first_of(kWordSeparators, start);
    word = m_text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    m_position = end == std::string::npos ? m_text.size() : end + 1;
    return true;
  }

  // Everything not taken yet; false when nothing is left.
  bool Rest(std::string& rest) {
    if (m_position >= m_text.size()) return false;
    rest = m_text.substr(m_position);
    m_position = m_text.size();
    return true;
  }

 private:
  std::string m_text;
  size_t m_position = 0;
};

// The leading decimal number of a value: blanks skipped, an optional sign,
// the digits; no digits give 0, values beyond the int range are held at its
// ends.
int LeadingNumber(const std::string& value) {
  const long number = std::strtol(value.c_str(), nullptr, 10);
  if (number > INT_MAX) return INT_MAX;
  if (number < INT_MIN) return INT_MIN;
  return static_cast<int>(number);
}

bool HasTarget(const KeywordEntry& entry) {
  switch (entry.type) {
    case kKeywordNumber:
    case kKeywordFlag:
      return entry.target.number != nullptr;
    case kKeywordText:
      return entry.target.text != nullptr;
    case kKeywordPathList:
      return entry.target.paths != nullptr;
    case kKeywordDirective:
      return entry.target.pairs != nullptr;
  }
  return false;
}

// Adds each piece of value between separators to the list; pieces are not
// trimmed, empty ones are skipped.
void AddPathPieces(ParmList<KelString>& list, const std::string& value, char separator) {
  if (separator == '\0') return;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(separator, start);
    if (end == std::string::npos) end = value.size();
    if (end > start) {
      KelString piece = value.substr(start, end - start).c_str();
      list.AddTailUnique(piece);
    }
    start = end + 1;
  }
}

// A directive line after its keyword: name, value, and the optional third
// word that tells whose directive it is.
int MatchDirective(const KeywordEntry& entry, LineWords& words, const char* host) {
  std::string name;
  if (!words.NextWord(name)) return 1;
  std::string value;
  if (entry.extra & kDirectiveToLineEnd) {
    // The table writer pads names with blanks: without them the value reads
    // back as it was set, so a regenerated line equals the one it replaces.
    words.Rest(value);
    value.erase(0, value.find_first_not_of(" \t"));
  } else {
    words.NextWord(value);
  }
  std::string third;
  const bool hasThird = words.NextWord(third);
  if ((entry.extra & kDirectiveOwnHost) && host != nullptr) {
    if (!hasThird || !SameText(third, host)) return 0;
  } else if ((entry.extra & kDirectiveCommon) && hasThird) {
    return 0;
  }
  NameValue pair{name.c_str(), value.c_str()};
  entry.target.pairs->AddTailUnique(pair);
  return 1;
}

void StoreValue(const KeywordEntry& entry, const std::string& value) {
  switch (entry.type) {
    case kKeywordNumber:
      *entry.target.number = LeadingNumber(value);
      break;
    case kKeywordFlag:
      *entry.target.number = LeadingNumber(value) != 0 ? 1 : 0;
      break;
    case kKeywordText:
      *entry.target.text = value.c_str();
      break;
    case kKeywordPathList:
      AddPathPieces(*entry.target.paths, value, static_cast<char>(entry.extra));
      break;
    case kKeywordDirective:
      break;  // handled by MatchDirective
  }
}

void OfferLine(const KeywordTable& table, const char* line, const char* host) {
  for (const KeywordEntry& entry : table) {
    if (MatchEntry(entry, line, host)) return;
  }
}

// Calls take with each line of the file, its line end removed, until take
// returns false or the file ends. 0 when path is null or the file cannot be
// opened, else 1.
int ForEachLine(const char* path, const std::function<bool(const char*)>& take) {
  if (path == nullptr) return 0;
  FILE* file = os::OpenFile(path, "r");
  if (file == nullptr) return 0;
  char piece[kLinePieceChars + 1];
  while (std::fgets(piece, sizeof piece, file) != nullptr) {
    const size_t length = std::strcspn(piece, "\n");
    // A full piece may be followed by its line's end: that ends this line,
    // it is no empty line of its own.
    if (piece[length] == '\0' && length == kLinePieceChars) {
      const int next = std::fgetc(file);
      if (next != '\n' && next != EOF) std::ungetc(next, file);
    }
    piece[length] = '\0';
    if (!take(piece)) break;
  }
  std::fclose(file);
  return 1;
}

// An entry without a target; the typed makers below set it.
KeywordEntry MakeEntry(const char* keyword, KeywordType type, int extra) {
  return KeywordEntry{keyword, type, {nullptr}, extra};
}

const KeywordSet kCurrentKeywords = {
    keyword::kDbName, keyword::kDbInst,   keyword::kDbPass,       keyword::kProcesses,
    nullptr,          keyword::kHtmlPath, keyword::kMsCgibinPath,
};
const KeywordSet kOlderKeywords = {
    keyword::kOlderDbName,    keyword::kOlderDbInst,     keyword::kOlderDbPass,
    keyword::kOlderProcesses, keyword::kOlderServerPort, keyword::kOlderHtmlPath,
    keyword::kMsCgibinPath,
};
const KeywordSet kOldestKeywords = {
    keyword::kOlderDbName,      keyword::kOlderDbInst,     keyword::kOlderDbPass,
    keyword::kOlderProcesses,   keyword::kOlderServerPort, keyword::kOlderHtmlPath,
    keyword::kOldestCgibinPath,
};

}  // namespace

KeywordEntry NumberEntry(const char* keyword, int* target) {
  KeywordEntry entry = MakeEntry(keyword, kKeywordNumber, 0);
  entry.target.number = target;
  return entry;
}

KeywordEntry FlagEntry(const char* keyword, int* target) {
  KeywordEntry entry = MakeEntry(keyword, kKeywordFlag, 0);
  entry.target.number = target;
  return entry;
}

KeywordEntry TextEntry(const char* keyword, KelString* target) {
  KeywordEntry entry = MakeEntry(keyword, kKeywordText, 0);
  entry.target.text = target;
  return entry;
}

KeywordEntry PathListEntry(const char* keyword, ParmList<KelString>* target, char separator) {
  KeywordEntry entry = MakeEntry(keyword, kKeywordPathList, separator);
  entry.target.paths = target;
  return entry;
}

KeywordEntry DirectiveEntry(const char* keyword, ParmList<NameValue>* target, int options) {
  KeywordEntry entry = MakeEntry(keyword, kKeywordDirective, options);
  entry.target.pairs = target;
  return entry;
}

const KeywordSet& GetKeywordSet(KeywordVariant variant) {
  switch (variant) {
    case KeywordVariant::kOlder:
      return kOlderKeywords;
    case KeywordVariant::kOldest:
      return kOldestKeywords;
    case KeywordVariant::kCurrent:
      break;
  }
  return kCurrentKeywords;
}

int MatchEntry(const KeywordEntry& entry, const char* line, const char* host) {
  if (entry.keyword == nullptr) return 0;
  if (*entry.keyword == '\0') {
    // The catch-all entry keeps every line it is offered, as it is.
    if (entry.type != kKeywordPathList) return 0;
    if (entry.target.paths != nullptr) entry.target.paths->AddTail(KelString(line));
    return 1;
  }
  LineWords words(line);
  std::string keyword;
  if (!words.NextWord(keyword) || !SameText(keyword, entry.keyword)) return 0;
  if (!HasTarget(entry)) return 1;
  if (entry.type == kKeywordDirective) return MatchDirective(entry, words, host);
  std::string value;
  if (words.Rest(value)) StoreValue(entry, value);
  return 1;
}

int ParseKeywordFile(const char* path, const KeywordTable& table) {
  return ForEachLine(path, [&table](const char* line) {
    OfferLine(table, line, nullptr);
    return true;
  });
}

int ReadMarkedSection(const char* path, std::vector<std::string>* lines) {
  bool inSection = false;
  return ForEachLine(path, [&](const char* line) {
    if (!inSection) {
      inSection = std::strstr(line, kSectionStart) != nullptr;
      return true;
    }
    if (std::strstr(line, kSectionEnd) != nullptr || std::strstr(line, kSectionEndOlder) != nullptr) {
      return false;
    }
    lines->emplace_back(line);
    return true;
  });
}

void OfferLines(const std::vector<std::string>& lines, const KeywordTable& table, const char* host) {
  for (const std::string& line : lines) OfferLine(table, line.c_str(), host);
}

int ParseMarkedSection(const char* path, const KeywordTable& table, const char* host) {
  std::vector<std::string> lines;
  if (!ReadMarkedSection(path, &lines)) return 0;
  OfferLines(lines, table, host);
  return 1;
}

KeywordTable MainFileTable(MSInfo& rec, KeywordVariant variant) {
  const KeywordSet& keys = GetKeywordSet(variant);
  return {
      TextEntry(keyword::kServiceNamePrefix, &rec.m_SvcPrefix),
      TextEntry(keys.dbName, &rec.m_DBName),
      TextEntry(keys.dbUser, &rec.m_DBUser),
      TextEntry(keyword::kDbOwner, &rec.m_DBOwner),
      TextEntry(keys.dbPswd, &rec.m_DBPswd),
      NumberEntry(keys.processes, &rec.m_MSProc),
      NumberEntry(keys.serverPort, &rec.m_MSPort),
      TextEntry(keyword::kMerchantKey, &rec.m_MerKey),
      TextEntry(keyword::kMsHtAdmin, &rec.m_AdminPswdFile),
      TextEntry(keyword::kMsHostname, &rec.m_ISHost),
      NumberEntry(keyword::kMsTransCount, &rec.m_TransCount),
      TextEntry(keyword::kMsHtPass, &rec.m_PswdFile),
      NumberEntry(keyword::kMsHtmlMax, &rec.m_HtmlMax),
      TextEntry(keyword::kMsLogPath, &rec.m_LogPath),
      NumberEntry(keyword::kMsLogLevel, &rec.m_LogLevel),
      NumberEntry(keyword::kDbRetryLimit, &rec.m_DBRetryLimit),
      NumberEntry(keyword::kDbRetryInterval, &rec.m_DBRetryIntvl),
      NumberEntry(keyword::kTqDmnCache, &rec.m_DmnCache),
      NumberEntry(keyword::kTqDmnSynch, &rec.m_DmnSynch),
      NumberEntry(keyword::kTqDmnSlpSec, &rec.m_DmnSleep),
      TextEntry(keyword::kMacroPath, &rec.m_MacroPath),
      TextEntry(keys.htmlPath, &rec.m_HtmlPath),
      TextEntry(keys.cgiPath, &rec.m_CgiPath),
      TextEntry(keyword::kSgPath, &rec.m_SGPath),
      PathListEntry(keyword::kTqTeditorPath, &rec.m_TEditorPaths, ';'),
      TextEntry(keyword::kTqLang, &rec.m_Lang),
      TextEntry(keyword::kCashetHostname, &rec.m_ZKHost),
      NumberEntry(keyword::kPayStateTimeout, &rec.m_ZKTmout),
      FlagEntry(keyword::kPaysysController, &rec.m_PaySysController),
      TextEntry(keyword::kTqWebserver, &rec.m_WebServerText),
      FlagEntry(keyword::kTqEnableStaging, &rec.m_StagingFlag),
      FlagEntry(keyword::kTqEnableCache, &rec.m_CacheFlag),
      NumberEntry(keyword::kKelJdbcPort, &rec.m_JdbcPort),
      TextEntry(keyword::kKelDbms, &rec.m_DbmsText),
      TextEntry(keyword::kKelJdbcDriver, &rec.m_JdbcDriver),
      TextEntry(keyword::kKelJdbcNetDriver, &rec.m_JdbcNetDriver),
      TextEntry(keyword::kKelJdbcUrl, &rec.m_JdbcUrl),
      TextEntry(keyword::kKelJdbcNetUrl, &rec.m_JdbcNetUrl),
      TextEntry(keyword::kKelJdbcProtocol, &rec.m_JdbcProtocol),
  };
}

KeywordTable MacroProcessorTable(MSInfo& rec) {
  return {
      DirectiveEntry(keyword::kEnvironment, &rec.m_NDEnv, kDirectiveToLineEnd),
      PathListEntry(keyword::kMacroPath, &rec.m_NDMacroPaths, ';'),
      PathListEntry(keyword::kIncludePath, &rec.m_NDIncPaths, ';'),
      TextEntry(keyword::kBindFile, nullptr),
      TextEntry(keyword::kExecPath, nullptr),
      TextEntry(keyword::kVelqInstance, nullptr),
      TextEntry(keyword::kVelqPath, nullptr),
      // Last: every other line is kept as it is.
      PathListEntry("", &rec.m_NDMisc, '\0'),
  };
}

KeywordTable BackEndPaymentTable(MSInfo& rec, KeywordVariant variant) {
  return {
      NumberEntry(keyword::kBackgroundCycleTime, &rec.m_ZKCycle),
      NumberEntry(keyword::kBackgroundInterJobTime, &rec.m_ZKIntvl),
      NumberEntry(GetKeywordSet(variant).processes, &rec.m_PBProc),
  };
}

KeywordTable PaymentFrontEndTable(MSInfo& rec) {
  return {
      TextEntry(keyword::kUserexitHostname, &rec.m_ExitHost),
      TextEntry(keyword::kUserexitServiceNamePrefix, &rec.m_ExitSvcPrefix),
      TextEntry(keyword::kCashetExec, &rec.m_ZKExec),
      NumberEntry(keyword::kCashetAdminPort, &rec.m_ZKAdminPort),
      NumberEntry(keyword::kCashetPayPort, &rec.m_ZKPayPort),
      NumberEntry(keyword::kCashetErrorPort, &rec.m_ZKErrorPort),
      NumberEntry(keyword::kCashetSetPayPort, &rec.m_ZKSetPayPort),
      NumberEntry(keyword::kCashetSetInquiryPort, &rec.m_ZKSetInqPort),
      TextEntry(keyword::kCashetLogPath, &rec.m_ZKLogPath),
      TextEntry(keyword::kCashetCertPath, &rec.m_ZKCertPath),
      FlagEntry(keyword::kCashetEnableTrace, &rec.m_ZKTraceFlag),
      TextEntry(keyword::kCmsPass, &rec.m_CMSPswd),
  };
}

KeywordTable WebServerTable(MSInfo& rec) {
  return {
      DirectiveEntry(keyword::kPass, &rec.m_ISPass, kDirectiveOwnHost),
      DirectiveEntry(keyword::kMap, &rec.m_ISMap, kDirectiveOwnHost),
      DirectiveEntry(keyword::kExecDirective, &rec.m_ISExec, kDirectiveOwnHost),
      DirectiveEntry(keyword::kPass, &rec.m_ISCommonPass, kDirectiveCommon),
      DirectiveEntry(keyword::kMap, &rec.m_ISCommonMap, kDirectiveCommon),
      DirectiveEntry(keyword::kExecDirective, &rec.m_ISCommonExec, kDirectiveCommon),
      DirectiveEntry(keyword::kAddType, &rec.m_ISCommonAddType, kDirectiveToLineEnd),
  };
}

}  // namespace orvane
