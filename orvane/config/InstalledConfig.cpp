// The reader of installed configurations: files per level, then the record's
// finishing touches.
#include "orvane/config/InstalledConfig.h"

#include <cstring>
#include <string>
#include <vector>

#include "orvane/config/InstallationLevels.h"
#include "orvane/core/AsciiCase.h"
#include "orvane/core/KeywordParser.h"
#include "orvane/os/Files.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/ServicesFile.h"
#include "orvane/runtime/Cipher.h"

namespace orvane {
namespace {

// The port of an instance whose files and services name none.
constexpr int kFallbackServerPort = 16570;

// Where one instance's files are.
struct InstanceFiles {
  KelString directory;
  KelString mainFile;
};

// What the reader looks up in the registry once for all the records of a
// level: the current and the old installation directories (without a
// trailing backslash, empty when not found), the companion products, and
// the web server's directories when its record is complete. The product
// section of the web server file is read once too, for every record.
struct Installation {
  int level;
  KelString current;
  KelString old;
  bool payServer;
  bool hosting;
  bool haveWebServer;
  WebServerDirs webServer;
  std::vector<std::string> webServerSection;
};

// The words of a line, as the keyword parser separates them.
std::vector<std::string> FirstTwoWords(const char* line) {
  constexpr char kSeparators[] = " \t\r\n";
  std::vector<std::string> words;
  while (words.size() < 2) {
    line += std::strspn(line, kSeparators);
    const size_t length = std::strcspn(line, kSeparators);
    if (length == 0) break;
    words.emplace_back(line, length);
    line += length;
  }
  return words;
}

// The second word of the first "WWW_HTML_PATH" line of a level-1 main file;
// empty when there is none, or when that line has no second word.
KelString OldestInstanceDirectory(const KelString& mainFile) {
  ParmList<KelString> lines;
  if (!ParseKeywordFile(mainFile, {PathListEntry("", &lines, '\0')})) return KelString();
  const char* keyword = GetKeywordSet(KeywordVariant::kOldest).htmlPath;
  KelString line;
  for (int more = lines.GetFirst(line); more; more = lines.GetNext(line)) {
    const std::vector<std::string> words = FirstTwoWords(line);
    if (words.empty() || !EqualsIgnoringCase(words[0].c_str(), keyword)) continue;
    return words.size() > 1 ? KelString(words[1].c_str()) : KelString();
  }
  return KelString();
}

InstanceFiles LocateFiles(const MSInfo& rec, int level) {
  InstanceFiles files;
  if (level == 1) {
    files.mainFile = KelString(os::WindowsDirectory().c_str()) ^ kOlderMainFile;
    files.directory = OldestInstanceDirectory(files.mainFile);
  } else {
    files.directory = rec.m_HtmlPath;
    files.mainFile = files.directory ^ (IsOlderLevel(level) ? kOlderMainFile : kCurrentMainFile);
  }
  return files;
}

// Parses every file of one instance into rec; false when its main file or
// its macro processor file cannot be read.
bool ReadInstanceFiles(MSInfo& rec, const Installation& installation) {
  const int level = installation.level;
  const KeywordVariant variant = KeywordVariantOfLevel(level);
  const InstanceFiles files = LocateFiles(rec, level);
  if (files.directory.IsEmpty()) return false;
  if (!ParseKeywordFile(files.mainFile, MainFileTable(rec, variant))) return false;
  if (!ParseKeywordFile(files.directory ^ kMacroProcessorFile, MacroProcessorTable(rec))) return false;
  ParseKeywordFile(files.directory ^ kBackEndPaymentFile, BackEndPaymentTable(rec, variant));
  ParseKeywordFile(files.directory ^ kPaymentFrontEndFile, PaymentFrontEndTable(rec));
  if (installation.haveWebServer) {
    OfferLines(installation.webServerSection, WebServerTable(rec), rec.GetISHost());
  }
  return true;
}

eISType WebServerTypeOfText(const char* text) {
  if (EqualsIgnoringCase(text, "Netscape")) return eISNetscape;
  if (EqualsIgnoringCase(text, "Quenta")) return eISQuenta;
  return eISGoWebserver;
}

void SetOptionBits(MSInfo& rec, const Installation& installation) {
  const struct {
    bool present;
    int bit;
  } bits[] = {
      {rec.m_CacheFlag != 0, MSInfo::kOptCache},
      {rec.m_StagingFlag != 0, MSInfo::kOptStaging},
      {rec.m_ZKTraceFlag != 0, MSInfo::kOptPayTrace},
      {installation.payServer, MSInfo::kOptPayServer},
      {installation.hosting, MSInfo::kOptHosting},
  };
  for (const auto& b : bits) {
    if (b.present) rec.SetMSOption(b.bit, b.bit);
  }
}

// The directory without one trailing backslash, as the prefix tests want it.
KelString WithoutTrailingBackslash(KelString directory) {
  const int length = directory.GetLength();
  if (length > 0 && directory.GetAt(length - 1) == '\\') directory.Truncate(length - 1);
  return directory;
}

// The length of directory when path is that directory or lies below it
// (letter case ignored), else 0. An empty directory contains nothing.
size_t DirectoryPrefix(const char* path, const KelString& directory) {
  const size_t length = static_cast<size_t>(directory.GetLength());
  if (length == 0 || std::strlen(path) < length) return 0;
  if (!EqualsIgnoringCase(path, length, directory)) return 0;
  return (path[length] == '\0' || path[length] == '\\') ? length : 0;
}

void RemovePathsBelow(ParmList<KelString>& paths, const KelString& directory) {
  ParmList<KelString> kept;
  KelString path;
  for (int more = paths.GetFirst(path); more; more = paths.GetNext(path)) {
    if (DirectoryPrefix(path, directory) == 0) kept.AddTail(path);
  }
  paths = kept;
}

void RewriteValuesBelow(ParmList<NameValue>& pairs, const KelString& from, const KelString& to) {
  ParmList<NameValue> rewritten;
  NameValue pair;
  for (int more = pairs.GetFirst(pair); more; more = pairs.GetNext(pair)) {
    const size_t prefix = DirectoryPrefix(pair.value, from);
    if (prefix > 0) pair.value = to + (static_cast<const char*>(pair.value) + prefix);
    rewritten.AddTail(pair);
  }
  pairs = rewritten;
}

// The old installation's paths give way to the current installation's.
void MoveToCurrentInstallation(MSInfo& rec, const KelString& old, const KelString& current) {
  rec.m_MacroPath = current ^ "macro" ^ "en_US";
  RemovePathsBelow(rec.m_NDMacroPaths, old);
  RemovePathsBelow(rec.m_NDIncPaths, old);
  for (ParmList<NameValue>* pairs : {&rec.m_ISPass, &rec.m_ISMap, &rec.m_ISExec, &rec.m_ISCommonPass,
                                     &rec.m_ISCommonMap, &rec.m_ISCommonExec}) {
    RewriteValuesBelow(*pairs, old, current);
  }
}

Installation LookUpInstallation(int level) {
  Installation installation{level, KelString(), KelString(), IsPayServerInstalled() != 0,
                            IsJQInstalled() != 0, false, WebServerDirs(), {}};
  KelString directory;
  if (KelGetInstPath(directory)) installation.current = WithoutTrailingBackslash(directory);
  if (IsOlderLevel(level) && GetTQInstallPath(directory, level)) {
    installation.old = WithoutTrailingBackslash(directory);
  }
  installation.haveWebServer = GetWebServerDirs(installation.webServer) != 0;
  return installation;
}

void FinishRecord(MSInfo& rec, const Installation& installation) {
  const bool older = IsOlderLevel(installation.level);
  if (rec.m_Name.IsEmpty()) rec.m_Name = "mser";
  if (!older && !rec.m_WebServerText.IsEmpty()) rec.m_ISType = WebServerTypeOfText(rec.m_WebServerText);
  if (!rec.m_DbmsText.IsEmpty()) {
    rec.m_DBType = EqualsIgnoringCase(rec.m_DbmsText, "Oracle") ? eDBOracle : eDBVelq;
  }
  // An older installation's instances move below the current installation;
  // a current instance keeps the root its data file gives, so that its
  // regenerated files name the directories it has.
  if ((older || rec.m_RootPath.IsEmpty()) && !installation.current.IsEmpty()) {
    rec.m_RootPath = installation.current ^ "instance" ^ rec.m_Name;
  }
  if (older) {
    // Texts already in the current form are left as they are.
    KelConvertCipher(rec.m_MerKey);
    KelConvertCipher(rec.m_DBPswd);
    KelConvertCipher(rec.m_CMSPswd);
  }
  if (rec.m_DBOwner.IsEmpty()) rec.m_DBOwner = rec.m_DBUser;
  if (rec.m_MSPort < 0) {
    const int port = KelGetTcpServicePort(rec.m_SvcPrefix);
    rec.m_MSPort = port < 0 ? kFallbackServerPort : port;
  }
  SetOptionBits(rec, installation);
  if (older) {
    rec.SetMSOption(MSInfo::kOptOldLevel, MSInfo::kOptOldLevel);
    // Without both directories there is no prefix to replace.
    if (!installation.current.IsEmpty() && !installation.old.IsEmpty()) {
      MoveToCurrentInstallation(rec, installation.old, installation.current);
    }
  }
}

// Copies text with its terminator into buf when it is shorter than size.
bool CopyIfFits(const KelString& text, char* buf, int size) {
  if (text.GetLength() >= size) return false;
  std::memcpy(buf, static_cast<const char*>(text), static_cast<size_t>(text.GetLength()) + 1);
  return true;
}

// Level 1 has a single instance, read into a fresh record and added with
// the list's checks.
void ReadOldestInstance(MSList& list, const Installation& installation) {
  if (!IsTQVersionInstalled(1)) return;
  MSInfo rec;
  if (ReadInstanceFiles(rec, installation)) {
    FinishRecord(rec, installation);
    list.Add(rec, 1);
  }
}

// Each listed record is replaced by its read-back copy, or leaves the list
// when its files cannot be read. A copy that conflicts with another record
// is refused by the list: a current record then stays as its data file has
// it, while an older level's record, which holds no more than its name and
// directory, leaves the list, as it cannot be regenerated.
void ReadListedInstances(MSList& list, const Installation& installation) {
  for (int index = 0; index < list.GetCount();) {
    list.SetIndex(index);
    MSInfo rec;
    list.GetCurrent(rec);
    bool keep = ReadInstanceFiles(rec, installation);
    if (keep) {
      FinishRecord(rec, installation);
      keep = list.SetCurrent(rec) == 0 || !IsOlderLevel(installation.level);
    }
    if (keep) {
      ++index;
    } else {
      list.Delete();
    }
  }
}

}  // namespace

int FinishReadRecord(MSInfo& rec, int level) {
  FinishRecord(rec, LookUpInstallation(level));
  return 1;
}

int ReadInstalledConfig(MSList& list, int level) {
  Installation installation = LookUpInstallation(level);
  if (installation.haveWebServer) {
    const char* name = IsOlderLevel(level) ? kOlderWebServerFile : kCurrentWebServerFile;
    ReadMarkedSection(installation.webServer.configDir ^ name, &installation.webServerSection);
  }
  list.Empty();
  if (level == 1) {
    ReadOldestInstance(list, installation);
  } else {
    LoadLevelInstances(list, level);
    ReadListedInstances(list, installation);
  }
  return 1;
}

}  // namespace orvane

int KelGetTQConfig(MSList& list, int level) { return orvane::ReadInstalledConfig(list, level); }

int KelGetTQIniFile(const char* dbName, char* buf, int size) {
  if (dbName == nullptr || buf == nullptr) return 0;
  MSList list;
  orvane::ReadInstalledConfig(list, orvane::kCurrentProductVersion);
  KelString mainFile;
  for (int index = 0; index < list.GetCount(); ++index) {
    MSInfo rec;
    list.SetIndex(index);
    list.GetCurrent(rec);
    mainFile = rec.m_HtmlPath ^ orvane::kCurrentMainFile;
    if (orvane::EqualsIgnoringCase(rec.m_DBName, dbName)) {
      return orvane::CopyIfFits(mainFile, buf, size) ? 1 : 0;
    }
  }
  if (list.GetCount() > 0) orvane::CopyIfFits(mainFile, buf, size);
  return 0;
}
