#include "orvane/platform/ServicesFile.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/os/Files.h"
#include "orvane/core/AsciiCase.h"
#include "orvane/platform/ServicesDatabase.h"
#include "orvane/platform/TextFileRewrite.h"

namespace orvane {
namespace {

constexpr char kWordDelimiters[] = " \t\r\n";

std::string BackupPathOf(const KelString& path) { return std::string(path) + ".old"; }

// The length of the first word of line and where it starts.
size_t FirstWord(const char* line, size_t* start) {
  *start = std::strspn(line, kWordDelimiters);
  return std::strcspn(line + *start, kWordDelimiters);
}

bool FirstWordIs(const char* line, const char* name) {
  size_t start = 0;
  const size_t length = FirstWord(line, &start);
  return length > 0 && EqualsIgnoringCase(line + start, length, name);
}

// One word of printable characters, none of them a comment's "#": what
// every reader of the file takes as one service name.
bool IsServiceName(const char* name) {
  if (name == nullptr || *name == '\0') return false;
  for (const char* c = name; *c != '\0'; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    if (byte <= ' ' || byte == 0x7F || byte == '#') return false;
  }
  return true;
}

// A comment stays on the entry's line: no line end or other control
// character (a tab is a blank).
bool IsOneLineComment(const char* comment) {
  for (const char* c = comment; *c != '\0'; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    if ((byte < ' ' && byte != '\t') || byte == 0x7F) return false;
  }
  return true;
}

// The lock that serialises the rewrites of the services file between
// processes; every register and unregister call holds it.
std::string LockPathOf(const KelString& path) { return std::string(path) + ".lock"; }

// Tells, under the lock, whether a rewrite would leave the file at path as
// it is.
using UnchangedTest = std::function<bool(const std::string& path)>;

// Rewrites the services file through write under the lock, unless
// isUnchanged says that would change nothing: then nothing is written and the
// backup stays as it is.
int RewriteServicesFile(const ContentWriter& write, const UnchangedTest& isUnchanged = nullptr) {
  KelString path;
  GetServicesFilePath(path);
  os::FileLock lock(LockPathOf(path));
  if (!lock.status().ok()) return 0;
  if (isUnchanged && isUnchanged(std::string(path))) return 1;
  return RewriteWithBackup(std::string(path), BackupPathOf(path), write);
}

// Writes an entry line on a line of its own.
void WriteEntryLine(const std::string& entryLine, bool atLineStart, FILE* out) {
  if (!atLineStart) std::fputc('\n', out);
  std::fputs(entryLine.c_str(), out);
}

// A complete entry line (with its "\n") and the name it is the entry of.
struct EntryLine {
  std::string name;
  std::string line;
};

// True when each line is the first entry of its name already, byte for byte
// as a text stream writes it, and the copy gives every other line back
// unchanged: the rewrite would change nothing. A link in the file's place is
// rewritten all the same, which makes it a file of its own.
bool HoldsEntryLines(const std::string& path, const std::vector<EntryLine>& entries) {
  if (os::IsLink(path)) return false;
  const std::shared_ptr<const ServicesDatabase> services = ServicesDatabase::Current();
  if (services == nullptr || !services->EndsEveryLineWithCrLf()) return false;
  return std::all_of(entries.begin(), entries.end(), [&](const EntryLine& entry) {
    const std::string_view held = services->FirstLineOf(entry.name.c_str());
    return !held.empty() && held == TextStreamBytes(entry.line);
  });
}

// Writes each line in place of the first entry of its name, and those whose
// name has none at the end, in their order; later entries of a name stay.
int ReplaceEntryLines(const std::vector<EntryLine>& entries) {
  const auto isUnchanged = [&](const std::string& path) { return HoldsEntryLines(path, entries); };
  return RewriteServicesFile([&](FILE* in, FILE* out) {
    std::vector<bool> written(entries.size(), false);
    // A last line without its line end must not swallow an entry. Whether a
    // line is ended is told by its whole text: a NUL byte in it ends no line.
    bool atLineStart = true;
    std::string line;
    // The line's first word is found once and compared with every name.
    auto unwrittenEntryOf = [&](const std::string& text) {
      size_t start = 0;
      const size_t length = FirstWord(text.c_str(), &start);
      for (size_t i = 0; length > 0 && i < entries.size(); ++i) {
        const std::string& name = entries[i].name;
        if (!written[i] && name.size() == length &&
            EqualsIgnoringCase(text.c_str() + start, length, name.c_str())) {
          return i;
        }
      }
      return entries.size();
    };
    while (ReadLine(in, &line)) {
      const size_t i = unwrittenEntryOf(line);
      if (i < entries.size()) {
        WriteEntryLine(entries[i].line, atLineStart, out);
        written[i] = true;
        atLineStart = true;
        continue;
      }
      std::fwrite(line.data(), 1, line.size(), out);
      atLineStart = !line.empty() && line.back() == '\n';
    }
    for (size_t i = 0; i < entries.size(); ++i) {
      if (written[i]) continue;
      WriteEntryLine(entries[i].line, atLineStart, out);
      atLineStart = true;
    }
  }, isUnchanged);
}

}  // namespace

int GetServicesFilePath(KelString& path) {
  path = KelString(os::WindowsDirectory().c_str()) + "\\system32\\drivers\\etc\\services";
  return 1;
}

std::string TcpServiceEntryStart(const char* name, int port) {
  const char* separator = std::strlen(name) < 8 ? "\t\t" : "\t";
  return std::string(name) + separator + std::to_string(port) + "/tcp";
}

int ReplaceTcpServiceEntry(const char* name, const std::string& entryLine) {
  return ReplaceEntryLines({{name, entryLine}});
}

int RegisterTcpServiceEntries(const std::vector<TcpServiceEntry>& entries) {
  std::vector<EntryLine> lines;
  for (const TcpServiceEntry& entry : entries) {
    if (!IsServiceName(entry.name.c_str()) || !IsOneLineComment(entry.comment.c_str())) continue;
    lines.push_back({entry.name, TcpServiceEntryStart(entry.name.c_str(), entry.port) + "\t# " +
                                     entry.comment + "\n"});
  }
  const bool allAccepted = lines.size() == entries.size();
  if (lines.empty()) return allAccepted ? 1 : 0;
  return ReplaceEntryLines(lines) && allAccepted ? 1 : 0;
}

}  // namespace orvane

int KelRegTcpService(const char* name, int port, const char* comment) {
  if (comment == nullptr) comment = "";
  if (!orvane::IsServiceName(name) || !orvane::IsOneLineComment(comment)) return 0;
  const std::string entry =
      orvane::TcpServiceEntryStart(name, port) + "\t# " + comment + "\n";
  return orvane::ReplaceTcpServiceEntry(name, entry);
}

int KelUnregTcpService(const char* name) {
  if (!orvane::IsServiceName(name)) return 0;
  bool removed = false;
  const int rewritten = orvane::RewriteServicesFile([&](FILE* in, FILE* out) {
    orvane::CopyLines(in, out, [&](const char* line, FILE*) {
      if (!orvane::FirstWordIs(line, name)) return true;
      removed = true;
      return false;
    });
  });
  return rewritten && removed ? 1 : 0;
}

int KelGetTcpServicePort(const char* name) {
  if (name == nullptr) return -1;
  const std::shared_ptr<const orvane::ServicesDatabase> services =
      orvane::ServicesDatabase::Current();
  return services == nullptr ? 0 : services->PortOf(name);
}
