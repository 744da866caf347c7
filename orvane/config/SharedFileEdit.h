// Editing a configuration file that other software owns.
//
// The web server's and the application server's files are edited in a
// copy: the new content is written beside the file and put in its place in
// one step that leaves the present content as a one-generation backup
// (FileReplacement). Whatever fails, or when the edit refuses, the file keeps
// its present content; a backup that cannot be made costs only the backup.
#ifndef ORVANE_CONFIG_SHAREDFILEEDIT_H_
#define ORVANE_CONFIG_SHAREDFILEEDIT_H_

#include <cstdio>
#include <functional>
#include <string>

#include "orvane/platform/TextFileRewrite.h"

namespace orvane {

enum class EditResult {
  kDone,
  kNotReadable,  // the file cannot be opened for reading
  kNotWritable,  // the new content cannot be written or put in place
  kRefused,      // the edit refused the content, or a line it wrote
};

// Produces the new content from the present one; false refuses. A line that
// the configuration line writer refuses (one holding a line end) refuses
// the whole edit.
using ContentEdit = std::function<bool(FILE* in, FILE* out)>;

// Edits the file at path through edit, keeping its present content at
// backupPath (an older backup is replaced).
EditResult EditSharedFile(const std::string& path, const std::string& backupPath,
                          const ContentEdit& edit);

// Copies in to out line by line through rule (CopyLines), then ends the
// last line copied when it has no line feed, so that lines can follow. A
// line holding a NUL byte is judged by its whole text: one that ends with
// its line feed gets no second one.
void CopyLinesThenEndLast(FILE* in, FILE* out, const LineRule& rule);

}  // namespace orvane

#endif  // ORVANE_CONFIG_SHAREDFILEEDIT_H_
