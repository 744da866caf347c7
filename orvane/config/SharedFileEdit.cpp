#include "orvane/config/SharedFileEdit.h"

#include "orvane/config/DirectiveLine.h"
#include "orvane/os/Files.h"
#include "orvane/platform/TextFileRewrite.h"

namespace orvane {
namespace {

bool EndsWithLineFeed(const std::string& text) { return !text.empty() && text.back() == '\n'; }

}  // namespace

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
  if (!os::CopyFile(path, backupPath).ok()) return EditResult::kBackupFailed;
  return replacement.Commit() ? EditResult::kDone : EditResult::kNotWritable;
}

bool CopyWholeLines(FILE* in, FILE* out, const WholeLineRule& rule) {
  std::string line;
  bool atLineStart = true;
  auto decide = [&](FILE* to) {
    if (rule(line, to)) {
      std::fputs(line.c_str(), to);
      atLineStart = EndsWithLineFeed(line);
    }
    line.clear();
  };
  // The pieces of a long line are joined before the rule sees it.
  CopyLines(in, out, [&](const char* piece, FILE* to) {
    line += piece;
    if (EndsWithLineFeed(line)) decide(to);
    return false;
  });
  if (!line.empty()) decide(out);
  return atLineStart;
}

}  // namespace orvane
