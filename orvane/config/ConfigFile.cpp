#include "orvane/config/ConfigFile.h"

#include "orvane/config/DirectiveLine.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/TextFileRewrite.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

constexpr int kInstanceFileMode = 0644;

FILE* OpenPrevious(const std::string& path) {
  FILE* file = os::OpenFile(path, "r");
  return file != nullptr ? file : os::OpenFile(DefaultBackupName(path), "r");
}

}  // namespace

bool ReplaceConfigFile(const std::string& path, PreviousContent previous,
                       const ConfigContent& content) {
  const LineWatch watch;
  FileReplacement replacement(path);
  if (replacement.stream() == nullptr) return false;
  FILE* in = previous == PreviousContent::kRead ? OpenPrevious(path) : nullptr;
  const bool complete = content(replacement.stream(), in);
  if (in != nullptr) std::fclose(in);
  if (!complete || watch.Refused() || !replacement.Close()) return false;
  // A failed backup copy costs only the backup, never the file itself.
  if (os::PathExists(path)) os::CopyFile(path, DefaultBackupName(path));
  return replacement.Commit();
}

int WriteInstanceFile(const std::string& path, const char* owner, PreviousContent previous,
                      const ConfigContent& content) {
  if (!ReplaceConfigFile(path, previous, content)) {
    KelShowError(kMessageCannotCreateConfigFile, path.c_str());
    return 0;
  }
  SetFileOwner(path.c_str(), owner);
  SetFileMode(path.c_str(), kInstanceFileMode);
  return 1;
}

}  // namespace orvane
