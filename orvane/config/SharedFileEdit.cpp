#include "orvane/config/SharedFileEdit.h"

#include <cstring>

#include "orvane/config/DirectiveLine.h"
#include "orvane/os/Files.h"

namespace orvane {

EditResult EditSharedFile(const std::string& path, const std::string& backupPath,
                          const ContentEdit& edit) {
  FILE* in = os::OpenFile(path, "r");
  if (in == nullptr) return EditResult::kNotReadable;
  FileReplacement replacement(path);
  if (replacement.stream() == nullptr) {
    std::fclose(in);
    return EditResult::kNotWritable;
  }
  const LineWatch refusals;
  const bool accepted = edit(in, replacement.stream()) && !refusals.Refused();
  std::fclose(in);
  if (!accepted) return EditResult::kRefused;
  if (!replacement.Close()) return EditResult::kNotWritable;
  return replacement.Commit(backupPath) ? EditResult::kDone : EditResult::kNotWritable;
}

void CopyLinesThenEndLast(FILE* in, FILE* out, const LineRule& rule) {
  bool lastCopiedEnded = true;
  CopyLines(in, out, [&](const char* line, FILE* to) {
    if (!rule(line, to)) return false;
    const size_t length = std::strlen(line);
    lastCopiedEnded = length > 0 && line[length - 1] == '\n';
    return true;
  });
  if (!lastCopiedEnded) std::fputc('\n', out);
}

}  // namespace orvane
