#include "orvane/platform/TextFileRewrite.h"

#include "orvane/os/Files.h"

namespace orvane {

void CopyLines(FILE* in, FILE* out, const LineRule& rule) {
  char line[kMaxLineChars + 1];
  while (std::fgets(line, sizeof line, in) != nullptr) {
    if (rule(line, out)) std::fputs(line, out);
  }
}

namespace {

// Closes out and tells whether everything written to it reached the file.
bool CloseWritten(FILE* out) {
  const bool writeFailed = std::ferror(out) != 0;
  return (std::fclose(out) == 0) && !writeFailed;
}

}  // namespace

int RewriteWithBackup(const std::string& path, const std::string& backupPath,
                      const ContentWriter& write) {
  const bool hasPrevious = os::PathExists(path);
  FILE* in = os::OpenFile(hasPrevious ? path : backupPath, "r");
  if (in == nullptr) return 0;

  const std::string tempPath = path + ".tmp";
  FILE* out = os::OpenFile(tempPath, "w");
  if (out == nullptr) {
    std::fclose(in);
    return 0;
  }
  write(in, out);
  std::fclose(in);
  if (!CloseWritten(out)) {
    os::DeleteFile(tempPath);
    return 0;
  }

  // A failed backup copy costs only the backup, never the file itself.
  if (hasPrevious) os::CopyFile(path, backupPath);
  if (!os::MoveFile(tempPath, path)) {
    os::DeleteFile(tempPath);
    return 0;
  }
  return 1;
}

}  // namespace orvane
