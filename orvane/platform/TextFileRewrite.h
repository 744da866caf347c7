// Line-by-line rewriting of text files that other software shares with us.
//
// The services file and the web server's files are edited one line at a time:
// every line that is not ours is copied unchanged, ours are dropped or
// replaced. A file is never rewritten in place: the new content goes to a
// temporary file beside it (unique, created exclusively, with the replaced
// file's mode, forced to disk; see os::ReplacementFile), the previous
// content is kept as a one-generation backup, and the temporary file is then
// renamed over the original, so the file is never missing, half-written or
// mixed with another writer's, whatever fails on the way.
#ifndef ORVANE_PLATFORM_TEXTFILEREWRITE_H_
#define ORVANE_PLATFORM_TEXTFILEREWRITE_H_

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "orvane/os/Files.h"

namespace orvane {

// The line buffer of the product's own line readers (1024 characters and the
// terminator). CopyLines and ReadLine take whole lines of any length.
constexpr int kMaxLineChars = 1024;

// Reads one whole line of any length, with its "\n" when it has one, into
// *line; NUL bytes are kept. False at the end of the file.
bool ReadLine(FILE* in, std::string* line);

// Decides about one line: returns true to copy it unchanged, false to drop
// it. It may write its own text to out, before the line's place in the
// output. line is the whole line with its "\n" (the last line of a file may
// have none); a line holding a NUL byte reads as its text up to the NUL,
// and is still copied whole.
using LineRule = std::function<bool(const char* line, FILE* out)>;

// Copies in to out line by line through rule, to the end of in. Lines are
// taken whole, whatever their length, and copied byte for byte (NUL bytes
// and a last line without its line end included); in text streams a line end
// is the platform's text line end.
void CopyLines(FILE* in, FILE* out, const LineRule& rule);

// The bytes that text written to a text stream puts in the file: each "\n"
// becomes CR LF (on the emulated machine as on Windows). A file whose every
// line ends with CR LF thus comes through CopyLines byte for byte.
std::string TextStreamBytes(std::string_view text);

// The mode of a file that holds secrets: the owner's only. Writers give it
// with os::ReplacedFileMode::kReset or kWithoutOthers, so that a file left
// open to others before is closed to them too.
constexpr int kSecretFileMode = 0600;

// The new content of a file, written beside it and renamed into place only
// once it is complete, so that a failure leaves the file as it was.
class FileReplacement {
 public:
  // Creates the temporary file beside path as a text stream; stream() is
  // null when that fails. The new content's mode is as modeRule says (see
  // os::ReplacedFileMode): by default a new file gets newFileMode (less the
  // umask) and a replaced one keeps its mode.
  explicit FileReplacement(std::string path, int newFileMode = 0666,
                           os::ReplacedFileMode modeRule = os::ReplacedFileMode::kKept);
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  FILE* stream() const { return m_file.stream(); }
  // Closes the stream; false when anything written did not reach the disk.
  bool Close();
  // Closes the stream if still open and renames the new file over the
  // original; false when either fails. The temporary file is removed
  // unless it was committed.
  bool Commit();
  // As Commit, keeping the file's previous content (when there is one) under
  // backupPath, replacing an older backup; a failed backup costs only the
  // backup.
  bool Commit(const std::string& backupPath);

 private:
  os::ReplacementFile m_file;
};

// Produces the new content of a file from its previous content.
using ContentWriter = std::function<void(FILE* in, FILE* out)>;

// Rewrites the text file at path through write:
//  1. the source is path itself or, when it is missing, backupPath (the copy
//     left by an earlier rewrite); neither: 0 and nothing is created;
//  2. write fills a temporary file beside path from the source;
//  3. the previous content of path (when there is one) becomes backupPath,
//     replacing an older backup, and the temporary file is renamed over
//     path; content equal to the previous one leaves path and backupPath as
//     they are (see os::ReplacementFile::Commit).
// 1 when the new file is in place; 0 when a file cannot be opened, written or
// renamed, in which case path keeps its previous content. Callers that share
// the file with other processes hold a lock around the call (os::FileLock).
int RewriteWithBackup(const std::string& path, const std::string& backupPath,
                      const ContentWriter& write);

}  // namespace orvane

#endif  // ORVANE_PLATFORM_TEXTFILEREWRITE_H_
