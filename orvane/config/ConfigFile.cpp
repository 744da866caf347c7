#include "orvane/config/ConfigFile.h"

#include "orvane/config/DirectiveLine.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/TextFileRewrite.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

FILE* OpenPrevious(const std::string& path) {
  FILE* file = os::OpenFile(path, "r");
  return file != nullptr ? file : os::OpenFile(DefaultBackupName(path), "r");
}

bool ReplaceWithMode(const std::string& path, PreviousContent previous,
                     const ConfigContent& content, int newFileMode, os::ReplacedFileMode modeRule) {
  const LineWatch watch;
  FileReplacement replacement(path, newFileMode, modeRule);
  if (replacement.stream() == nullptr) return false;
  FILE* in = previous == PreviousContent::kRead ? OpenPrevious(path) : nullptr;
  const bool complete = content(replacement.stream(), in);
  if (in != nullptr) std::fclose(in);
  if (!complete || watch.Refused() || !replacement.Close()) return false;
  return replacement.Commit(DefaultBackupName(path));
}

}  // namespace

bool ReplaceConfigFile(const std::string& path, PreviousContent previous,
                       const ConfigContent& content) {
  return ReplaceWithMode(path, previous, content, 0666, os::ReplacedFileMode::kKept);
}

int WriteInstanceFile(const std::string& path, const char* owner, PreviousContent previous,
                      const ConfigContent& content, int mode) {
  if (!ReplaceWithMode(path, previous, content, mode, os::ReplacedFileMode::kReset)) {
    KelShowError(kMessageCannotCreateConfigFile, path.c_str());
    return 0;
  }
  SetFileOwner(path.c_str(), owner);
  return 1;
}

bool CopyWithBackup(const std::string& source, const std::string& target,
                    const std::string& backup) {
  FILE* in = os::OpenFile(source, "rb");
  if (in == nullptr) return false;
  os::ReplacementFile replacement(target, "wb");
  char buffer[8192];
  size_t count;
  while (replacement.stream() != nullptr &&
         (count = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    std::fwrite(buffer, 1, count, replacement.stream());
  }
  const bool read = std::ferror(in) == 0;
  std::fclose(in);
  return read && replacement.Commit(backup).ok();
}

}  // namespace orvane
