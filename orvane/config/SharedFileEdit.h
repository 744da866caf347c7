// Editing a configuration file that other software owns.
//
// The web server's and the application server's files are edited in a
// copy: the new content is written beside the file, the present content is
// copied to a one-generation backup, and only then is the new file renamed
// into place. Whatever fails, or when the edit refuses, the file keeps its
// present content.
#ifndef ORVANE_CONFIG_SHAREDFILEEDIT_H_
#define ORVANE_CONFIG_SHAREDFILEEDIT_H_

#include <cstdio>
#include <functional>
#include <string>

namespace orvane {

enum class EditResult {
  kDone,
  kNotReadable,   // the file cannot be opened for reading
  kBackupFailed,  // the backup copy cannot be made
  kNotWritable,   // the new content cannot be written or renamed in
  kRefused,       // the edit refused the content, or a line it wrote
};

// Produces the new content from the present one; false refuses. A line that
// the configuration line writer refuses (one holding a line end) refuses
// the whole edit.
using ContentEdit = std::function<bool(FILE* in, FILE* out)>;

// Edits the file at path through edit, keeping its present content at
// backupPath (an older backup is replaced).
EditResult EditSharedFile(const std::string& path, const std::string& backupPath,
                          const ContentEdit& edit);

// Decides about one whole line, its line feed included when it has one (the
// last line of a file may have none): true copies it unchanged, false drops
// it; the rule may write its own text to out first.
using WholeLineRule = std::function<bool(const std::string& line, FILE* out)>;

// Copies in to out line by line through rule, each line whole whatever its
// length. Returns whether the last line written ended with a line feed (true
// for an empty file), so that a caller appending lines can end it first.
bool CopyWholeLines(FILE* in, FILE* out, const WholeLineRule& rule);

}  // namespace orvane

#endif  // ORVANE_CONFIG_SHAREDFILEEDIT_H_
