#include "orvane/config/SharedFileEdit.h"

#include <string>

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
  // CopyLines' loop, for the whole line copied: a NUL byte in it hides its
  // line feed from the rule's view.
  bool lastCopiedEnded = true;
  std::string line;
  while (ReadLine(in, &line)) {
    if (!rule(line.c_str(), out)) continue;
    std::fwrite(line.data(), 1, line.size(), out);
    lastCopiedEnded = line.back() == '\n';
  }
  if (!lastCopiedEnded) std::fputc('\n', out);
}

}  // namespace orvane
