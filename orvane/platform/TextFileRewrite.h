// Line-by-line rewriting of text files that other software shares with us.
//
// The services file and the web server's files are edited one line at a time:
// every line that is not ours is copied unchanged, ours are dropped or
// replaced. A file is never rewritten in place: the new content goes to a
// temporary file beside it, the previous content is kept as a one-generation
// backup, and the temporary file is then renamed over the original, so the
// file is never missing or half-written, whatever fails on the way.
#ifndef ORVANE_PLATFORM_TEXTFILEREWRITE_H_
#define ORVANE_PLATFORM_TEXTFILEREWRITE_H_

#include <cstdio>
#include <functional>
#include <string>

namespace orvane {

// Lines are read in pieces of at most this many characters; a longer line is
// handled as several lines, each piece on its own.
constexpr int kMaxLineChars = 1024;

// Decides about one line (with its line end, if the piece has one): returns
// true to copy it unchanged, false to drop it. It may write its own text to
// out, before the line's place in the output.
using LineRule = std::function<bool(const char* line, FILE* out)>;

// Copies in to out line by line through rule, to the end of in.
void CopyLines(FILE* in, FILE* out, const LineRule& rule);

// The new content of a file, written beside it and renamed into place only
// once it is complete, so that a failure leaves the file as it was.
class FileReplacement {
 public:
  // Creates path + ".tmp"; stream() is null when that fails.
  explicit FileReplacement(std::string path);
  // Removes the new file unless it was committed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  FILE* stream() const { return m_out; }
  // Closes the stream; false when anything written did not reach the file.
  bool Close();
  // Closes the stream if still open and renames the new file over the
  // original; false when either fails.
  bool Commit();

 private:
  std::string m_path;
  std::string m_tempPath;
  FILE* m_out;
  bool m_closed = false;
  bool m_writeFailed = false;
  bool m_committed = false;
};

// Produces the new content of a file from its previous content.
using ContentWriter = std::function<void(FILE* in, FILE* out)>;

// Rewrites the text file at path through write:
//  1. the source is path itself or, when it is missing, backupPath (the copy
//     left by an earlier rewrite); neither: 0 and nothing is created;
//  2. write fills path + ".tmp" from the source;
//  3. the previous content of path (when there is one) is copied to
//     backupPath, replacing an older backup;
//  4. the temporary file is renamed over path.
// 1 when the new file is in place; 0 when a file cannot be opened, written or
// renamed, in which case path keeps its previous content.
int RewriteWithBackup(const std::string& path, const std::string& backupPath,
                      const ContentWriter& write);

}  // namespace orvane

#endif  // ORVANE_PLATFORM_TEXTFILEREWRITE_H_
