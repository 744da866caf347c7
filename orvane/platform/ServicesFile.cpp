#include "orvane/platform/ServicesFile.h"

#include <cstring>
#include <string>

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

bool EndsLine(const char* line) {
  const size_t length = std::strlen(line);
  return length > 0 && line[length - 1] == '\n';
}

// Writes an entry line on a line of its own.
void WriteEntryLine(const std::string& entryLine, bool atLineStart, FILE* out) {
  if (!atLineStart) std::fputc('\n', out);
  std::fputs(entryLine.c_str(), out);
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
  KelString path;
  GetServicesFilePath(path);
  return RewriteWithBackup(std::string(path), BackupPathOf(path), [&](FILE* in, FILE* out) {
    bool written = false;
    // A last line without its line end must not swallow the entry.
    bool atLineStart = true;
    CopyLines(in, out, [&](const char* line, FILE* to) {
      if (written || !FirstWordIs(line, name)) {
        atLineStart = EndsLine(line);
        return true;
      }
      WriteEntryLine(entryLine, atLineStart, to);
      written = true;
      return false;
    });
    if (!written) WriteEntryLine(entryLine, atLineStart, out);
  });
}

}  // namespace orvane

int KelRegTcpService(const char* name, int port, const char* comment) {
  if (name == nullptr || *name == '\0') return 0;
  const std::string entry = orvane::TcpServiceEntryStart(name, port) + "\t# " +
                            (comment != nullptr ? comment : "") + "\n";
  return orvane::ReplaceTcpServiceEntry(name, entry);
}

int KelUnregTcpService(const char* name) {
  if (name == nullptr || *name == '\0') return 0;
  KelString path;
  orvane::GetServicesFilePath(path);
  bool removed = false;
  const int rewritten = orvane::RewriteWithBackup(
      std::string(path), orvane::BackupPathOf(path), [&](FILE* in, FILE* out) {
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
