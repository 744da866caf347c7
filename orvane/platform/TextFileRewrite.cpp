#include "orvane/platform/TextFileRewrite.h"

#include <cstring>

namespace orvane {

// Reads with fgets, a piece at a time rather than a character at a time.
// fgets stops after a "\n", so a piece that holds one ends there; one that
// does not was filled up or ended the file, and since the piece is filled
// with other bytes first, the NUL that fgets puts after what it read is then
// the last one in it: NULs read before it are kept.
bool ReadLine(FILE* in, std::string* line) {
  line->clear();
  char piece[256];
  while (true) {
    std::memset(piece, ' ', sizeof piece);
    if (std::fgets(piece, sizeof piece, in) == nullptr) break;
    const void* lineEnd = std::memchr(piece, '\n', sizeof piece);
    if (lineEnd != nullptr) {
      line->append(piece, static_cast<size_t>(static_cast<const char*>(lineEnd) - piece) + 1);
      break;
    }
    size_t length = sizeof piece - 1;
    while (piece[length] != '\0') --length;
    line->append(piece, length);
  }
  return !line->empty();
}

void CopyLines(FILE* in, FILE* out, const LineRule& rule) {
  std::string line;
  while (ReadLine(in, &line)) {
    if (rule(line.c_str(), out)) std::fwrite(line.data(), 1, line.size(), out);
  }
}

// Copied a line at a time, not a character at a time: an entry is one line.
std::string TextStreamBytes(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() + 2);
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
    bytes.append(text.substr(start, end - start)).append("\r\n");
    start = end + 1;
  }
  return bytes.append(text.substr(start));
}

FileReplacement::FileReplacement(std::string path, int newFileMode,
                                 os::ReplacedFileMode modeRule)
    : m_file(path, "w", newFileMode, modeRule) {}

bool FileReplacement::Close() { return m_file.Finish().ok(); }

bool FileReplacement::Commit() { return m_file.Commit().ok(); }

bool FileReplacement::Commit(const std::string& backupPath) {
  return m_file.Commit(backupPath).ok();
}

int RewriteWithBackup(const std::string& path, const std::string& backupPath,
                      const ContentWriter& write) {
  const bool hasPrevious = os::PathExists(path);
  FILE* in = os::OpenFile(hasPrevious ? path : backupPath, "r");
  if (in == nullptr) return 0;

  FileReplacement replacement(path);
  if (replacement.stream() != nullptr) write(in, replacement.stream());
  const bool readFailed = std::ferror(in) != 0;
  std::fclose(in);
  if (replacement.stream() == nullptr || !replacement.Close() || readFailed) return 0;
  // A failed backup costs only the backup, never the file itself; content
  // that is unchanged leaves both as they are.
  return replacement.Commit(backupPath) ? 1 : 0;
}

}  // namespace orvane
