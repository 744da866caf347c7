#include "orvane/config/PluginFiles.h"

#include <algorithm>
#include <string>
#include <vector>

#include "orvane/config/DirectiveLine.h"
#include "orvane/config/WebServerMessages.h"
#include "orvane/core/KelString.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/TextFileRewrite.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

struct PluginFile {
  const char* name;
  std::vector<std::string> lines;
};

// The plug-in's path as the web server reads it: with forward slashes.
std::string PluginPath(const char* installDir) {
  std::string path(KelString(installDir) ^ "cgi-bin" ^ "tq_cache_kelapi.dll");
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// Whether the file holds exactly these lines already.
bool HoldsLines(const std::string& path, const std::vector<std::string>& lines) {
  FILE* in = os::OpenFile(path, "r");
  if (in == nullptr) return false;
  std::string line;
  size_t matched = 0;
  while (ReadLine(in, &line) && matched < lines.size() && line == lines[matched] + "\n") ++matched;
  const bool atEnd = matched == lines.size() && !ReadLine(in, &line);
  std::fclose(in);
  return atEnd;
}

// Writes the file beside its place and puts it there, the previous one kept
// under its backup name. A file that holds the lines already is
// left as it is, with the backup of its last change.
bool ReplaceFile(const std::string& path, const std::vector<std::string>& lines) {
  if (HoldsLines(path, lines)) return true;
  FileReplacement replacement(path);
  if (replacement.stream() == nullptr) return false;
  const LineWatch refusals;
  for (const std::string& line : lines) WriteLine(replacement.stream(), line);
  if (refusals.Refused() || !replacement.Close()) return false;
  return replacement.Commit(DefaultBackupName(path));
}

}  // namespace

int WritePluginFiles(const char* configDir, const char* installDir) {
  const PluginFile files[] = {
      {"magnus.conf",
       {"LoadObjects obj.conf",
        "Init fn=load-modules shlib=\"" + PluginPath(installDir) +
            "\" func=\"tq_init_cache, tq_cache\"",
        "Init fn=tq_init_cache"}},
      {"obj.conf", {"<Object name=\"default\">", "Service fn=\"tq_cache\"", "</Object>"}},
  };
  for (const PluginFile& file : files) {
    const std::string path(KelString(configDir) ^ file.name);
    if (!ReplaceFile(path, file.lines)) {
      KelShowError(kMsgPluginFileNotCreated, path.c_str());
      return 0;
    }
  }
  return 1;
}

}  // namespace orvane
