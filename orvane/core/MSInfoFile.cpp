// The instance record's lines in the instance data file.
//
// Every value is one line: texts as KelString keeps them, numbers in decimal.
// A record of the current format has 25 lines; older formats are read, never
// written.
#include <climits>
#include <cstring>
#include <string>

#include "orvane/core/MSInfo.h"
#include "orvane/os/Files.h"
#include "orvane/platform/TextFileRewrite.h"

namespace {

// The format whose records carry one further text line after DBSvc.
constexpr int kVersionWithExtraLine = 258;

// The longest text a line can hold and still be read back (KelString::Load
// fails on 512 characters).
constexpr int kMaxLineChars = 511;

// A text that would not come back as one line is refused: a line end inside
// it would shift every following line of the file, and an overlong line fails
// the next load, which empties the whole list.
int StoreText(const KelString& text, FILE* file) {
  if (text.GetLength() > kMaxLineChars || std::strpbrk(text, "\r\n") != nullptr) {
    return 0;
  }
  return text.Store(file);
}

// Reads one line as KelString::Load does: it must end with a line end (LF
// or CR LF) and hold at most kMaxLineChars characters. A line that holds a
// NUL byte or a CR of its own is refused as damaged too: taken as a value,
// a NUL would lose everything after it at the next store, silently, and a
// CR could not be stored back, so no later store of the list would succeed.
int LoadLine(KelString& text, FILE* file) {
  text.Empty();
  std::string line;
  if (!orvane::ReadLine(file, &line) || line.empty() || line.back() != '\n') return 0;
  line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  // Two searches for one byte each: a search for either byte looks at every
  // character in turn.
  if (line.size() > static_cast<size_t>(kMaxLineChars) || line.find('\0') != std::string::npos ||
      line.find('\r') != std::string::npos) {
    return 0;
  }
  text = line.c_str();
  return 1;
}

int LoadText(KelString& text, FILE* file) { return LoadLine(text, file); }

// Reads the leading decimal number of a line: leading blanks skipped, an
// optional sign, the digits up to the first other character; no digits give
// 0. Values beyond the 32-bit range are held at its ends.
int ParseLeadingInt(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (*text - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

int StoreInt(int value, FILE* file) { return std::fprintf(file, "%d\n", value) > 0 ? 1 : 0; }

int LoadInt(int& value, FILE* file) {
  KelString line;
  if (!LoadLine(line, file)) {
    value = 0;
    return 0;
  }
  value = ParseLeadingInt(line);
  return 1;
}

int MSInfo::StoreISType(FILE* file) const { return StoreInt(m_ISType, file); }
int MSInfo::StoreDBType(FILE* file) const { return StoreInt(m_DBType, file); }

int MSInfo::LoadISType(FILE* file) {
  int value;
  if (!LoadInt(value, file) || !CheckISType(static_cast<eISType>(value))) return 0;
  m_ISType = static_cast<eISType>(value);
  return 1;
}

int MSInfo::LoadDBType(FILE* file) {
  int value;
  if (!LoadInt(value, file) || !CheckDBType(static_cast<eDBType>(value))) return 0;
  m_DBType = static_cast<eDBType>(value);
  return 1;
}

int MSInfo::Store(FILE* file) const {
  // An empty merchant-key field is written as the no-key marker, so that
  // every stored record carries a 32-character key line.
  const KelString merKey = m_MerKey.IsEmpty() ? KelString(kNoKeyMarker) : m_MerKey;
  return StoreText(m_Name, file) && StoreText(merKey, file) && StoreText(m_RootPath, file) &&
         StoreText(m_MacroPath, file) && StoreText(m_CgiPath, file) &&
         StoreText(m_HtmlPath, file) && StoreText(m_IPAddr, file) &&
         StoreText(m_ISHost, file) && StoreText(m_DBName, file) && StoreText(m_DBUser, file) &&
         StoreText(m_DBPswd, file) && StoreText(m_DBHost, file) && StoreText(m_DBSvc, file) &&
         StoreISType(file) && StoreDBType(file) && StoreInt(m_MSProc, file) &&
         StoreInt(m_MSPort, file) && StoreInt(m_DBPort, file) && StoreInt(m_MSOption, file) &&
         StoreText(m_DBOwner, file) && StoreText(m_CMSPswd, file) &&
         StoreText(m_ZKHost, file) && StoreInt(m_ZKCycle, file) &&
         StoreInt(m_ZKIntvl, file) && StoreInt(m_ZKTmout, file);
}

int MSInfo::Load(FILE* file, int version) {
  if (version > kDataFileVersion) return 0;
  if (!(LoadText(m_Name, file) && LoadText(m_MerKey, file) && LoadText(m_RootPath, file) &&
        LoadText(m_MacroPath, file) && LoadText(m_CgiPath, file) &&
        LoadText(m_HtmlPath, file) && LoadText(m_IPAddr, file) && LoadText(m_ISHost, file) &&
        LoadText(m_DBName, file) && LoadText(m_DBUser, file) && LoadText(m_DBPswd, file) &&
        LoadText(m_DBHost, file) && LoadText(m_DBSvc, file))) {
    return 0;
  }
  if (version == kVersionWithExtraLine) {
    KelString discarded;
    if (!LoadText(discarded, file)) return 0;
  }
  if (!(LoadISType(file) && LoadDBType(file) && LoadInt(m_MSProc, file) &&
        LoadInt(m_MSPort, file) && LoadInt(m_DBPort, file) && LoadInt(m_MSOption, file))) {
    return 0;
  }
  if (version != kDataFileVersion) return 1;
  return LoadText(m_DBOwner, file) && LoadText(m_CMSPswd, file) && LoadText(m_ZKHost, file) &&
         LoadInt(m_ZKCycle, file) && LoadInt(m_ZKIntvl, file) && LoadInt(m_ZKTmout, file);
}

int MSInfo::Store(const char* path) const {
  if (path == nullptr) return 0;
  // Written beside the file and renamed into place once complete, so that a
  // failure leaves the previous file as it was. The secrets in it can be
  // deciphered by anyone with the library: a new file is the owner's only,
  // and a replaced one is closed to others.
  orvane::FileReplacement replacement(path, orvane::kSecretFileMode,
                                      orvane::os::ReplacedFileMode::kWithoutOthers);
  if (replacement.stream() == nullptr || !Store(replacement.stream())) return 0;
  return replacement.Commit() ? 1 : 0;
}

int MSInfo::Load(const char* path) {
  if (path == nullptr) return 0;
  FILE* file = orvane::os::OpenFile(path, "r");
  if (file == nullptr) return 0;
  const int ok = Load(file, kDataFileVersion);
  std::fclose(file);
  return ok;
}
