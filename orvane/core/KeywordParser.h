// The table-driven parser of keyword files.
//
// Reads an existing instance's keyword files back into an instance record:
// the main instance configuration file, the macro processor initialisation
// file, the two payment files and the product's section of the web server
// configuration file. Each table lists keywords with a value type and the
// record field that receives the value; a line goes to the first entry, in
// table order, that accepts it, and a line that no entry accepts is ignored.
//
// Keywords of instance files are matched without regard to letter case, as
// the first word of a line. Three keyword variants exist: the current one and
// two for files of an older product level; the reader chooses.
#ifndef ORVANE_CORE_KEYWORDPARSER_H_
#define ORVANE_CORE_KEYWORDPARSER_H_

#include <string>
#include <vector>

#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/core/ParmList.h"

namespace orvane {

// How an entry reads the value after its keyword.
enum KeywordType : int {
  kKeywordNumber = 0,     // the leading decimal number (no digits: 0)
  kKeywordFlag = 1,       // 1 when that number is not 0, else 0
  kKeywordText = 2,       // the rest of the line
  kKeywordPathList = 3,   // the rest split at a separator, each piece added uniquely
  kKeywordDirective = 4,  // a name and a value, added uniquely by name
};

// Option bits of directive entries.
// The value is the rest of the line after the name, not just the next word,
// without its leading blanks and tabs (every other value keeps its blanks).
constexpr int kDirectiveToLineEnd = 0x01;
// A third word must follow and name the instance's host (when a host is given).
constexpr int kDirectiveOwnHost = 0x02;
// No third word may follow: the directive is common to all instances.
constexpr int kDirectiveCommon = 0x04;

// One keyword of a table. The target is the record field of the entry's type;
// a null target recognises matching lines and stores nothing.
struct KeywordEntry {
  // Null: the entry never matches. Empty, with kKeywordPathList: every line
  // is appended verbatim to the target list.
  const char* keyword;
  KeywordType type;
  union Target {
    int* number;                 // kKeywordNumber, kKeywordFlag
    KelString* text;             // kKeywordText
    ParmList<KelString>* paths;  // kKeywordPathList
    ParmList<NameValue>* pairs;  // kKeywordDirective
  } target;
  // kKeywordPathList: the separator character (0: none, nothing is stored);
  // kKeywordDirective: kDirective... option bits.
  int extra;
};

using KeywordTable = std::vector<KeywordEntry>;

// Entries of each type. A null target makes an entry that takes its lines
// and stores nothing.
KeywordEntry NumberEntry(const char* keyword, int* target);
KeywordEntry FlagEntry(const char* keyword, int* target);
KeywordEntry TextEntry(const char* keyword, KelString* target);
KeywordEntry PathListEntry(const char* keyword, ParmList<KelString>* target, char separator);
KeywordEntry DirectiveEntry(const char* keyword, ParmList<NameValue>* target, int options);

// The keyword variants of the files of each product level.
enum class KeywordVariant {
  kCurrent,  // product level 3
  kOlder,    // level 2: "MS_..." and "WWW_HTML_PATH" spellings
  kOldest,   // level 1: as kOlder, with "WWW_CGIBIN_PATH" for the CGI path
};

// The keywords that differ between the variants.
struct KeywordSet {
  const char* dbName;
  const char* dbUser;
  const char* dbPswd;
  const char* processes;
  const char* serverPort;  // null in the current variant: the port is not read
  const char* htmlPath;
  const char* cgiPath;
};

const KeywordSet& GetKeywordSet(KeywordVariant variant);

// The five tables, with targets in rec. Secrets are taken in their
// enciphered form, as read.
KeywordTable MainFileTable(MSInfo& rec, KeywordVariant variant);
KeywordTable MacroProcessorTable(MSInfo& rec);
KeywordTable BackEndPaymentTable(MSInfo& rec, KeywordVariant variant);
KeywordTable PaymentFrontEndTable(MSInfo& rec);
// The product section of the web server file: the instance's own "Pass",
// "Map" and "Exec" directives (third word = host) before the common ones.
KeywordTable WebServerTable(MSInfo& rec);

// Offers every line of the file to the table. Lines are read in pieces of at
// most 1024 characters; the line end is removed first. 0 when path is null or
// the file cannot be opened, else 1.
int ParseKeywordFile(const char* path, const KeywordTable& table);

// As ParseKeywordFile, for the lines between the one containing
// "VXR Tessaly" (not parsed itself) and the first one containing
// "End of VXR Tessaly" or "END OF TESSALY" (where reading stops). host is
// the instance's web server host name, or null.
int ParseMarkedSection(const char* path, const KeywordTable& table, const char* host);

// The two halves of ParseMarkedSection, for a reader that offers one file's
// section to many tables: the section's lines (appended to lines; 0 when the
// file cannot be opened), and offering them to a table.
int ReadMarkedSection(const char* path, std::vector<std::string>* lines);
void OfferLines(const std::vector<std::string>& lines, const KeywordTable& table, const char* host);

// Applies one entry to one line without its line end; non-zero when the
// entry accepts (consumes) the line.
int MatchEntry(const KeywordEntry& entry, const char* line, const char* host);

}  // namespace orvane

#endif  // ORVANE_CORE_KEYWORDPARSER_H_
