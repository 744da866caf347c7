#include "orvane/config/KeywordLines.h"

#include "orvane/config/ConfigFile.h"
#include "orvane/config/DirectiveLine.h"
#include "orvane/os/Files.h"
#include "orvane/platform/TextFileRewrite.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

// True when some line of the open file has key as its first word.
bool HasKeyLine(FILE* in, const char* key, const char* delimiters) {
  std::string line;
  while (ReadLine(in, &line)) {
    if (FirstWord(line, delimiters) == key) return true;
  }
  return false;
}

}  // namespace

std::string FirstWord(const std::string& line, const char* delimiters) {
  const std::string ends = std::string(delimiters) + "\r\n";
  const size_t start = line.find_first_not_of(ends);
  if (start == std::string::npos) return "";
  return line.substr(start, line.find_first_of(ends, start) - start);
}

std::vector<std::string> Words(const std::string& line, const char* delimiters) {
  const std::string ends = std::string(delimiters) + "\r\n";
  std::vector<std::string> words;
  size_t start = 0;
  while ((start = line.find_first_not_of(ends, start)) != std::string::npos) {
    const size_t end = line.find_first_of(ends, start);
    words.push_back(line.substr(start, end - start));
    start = end;
  }
  return words;
}

int KeyMissing(KelString path, const char* key) {
  FILE* in = os::OpenFile(static_cast<const char*>(path), "r");
  if (in == nullptr) return 0;
  const bool found = HasKeyLine(in, key, " ");
  std::fclose(in);
  return found ? 0 : 1;
}

int AddIfMissing(const char* key, const char* path, const char* delimiters, const char* value) {
  if (HasLineEnd(key) || HasLineEnd(value)) {
    KelShowError(kMessageCannotCreateConfigFile, path);
    return 0;
  }
  if (!os::PathExists(path)) return 0;
  const bool replaced =
      ReplaceConfigFile(path, PreviousContent::kRead, [&](FILE* out, FILE* previous) {
        if (previous == nullptr) return false;
        bool found = false;
        CopyLines(previous, out, [&](const char* line, FILE*) {
          found = found || FirstWord(line, delimiters) == key;
          return true;
        });
        if (!found) {
          WriteLine(out, "");
          WriteTextLine(out, key, value);
        }
        return true;
      });
  if (!replaced) KelShowError(kMessageCannotCreateConfigFile, path);
  return replaced ? 1 : 0;
}

}  // namespace orvane
