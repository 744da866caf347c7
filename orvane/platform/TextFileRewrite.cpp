#include "orvane/platform/TextFileRewrite.h"


namespace orvane {

bool ReadLine(FILE* in, std::string* line) {
  line->clear();
  int c;
  while ((c = std::getc(in)) != EOF) {
    line->push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line->empty();
}

void CopyLines(FILE* in, FILE* out, const LineRule& rule) {
  std::string line;
  while (ReadLine(in, &line)) {
    if (rule(line.c_str(), out)) std::fwrite(line.data(), 1, line.size(), out);
  }
}

FileReplacement::FileReplacement(std::string path, int newFileMode)
    : m_file(path, "w", newFileMode) {}

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

  // A failed backup copy costs only the backup, never the file itself.
  if (hasPrevious) os::CopyFile(path, backupPath);
  return replacement.Commit() ? 1 : 0;
}

}  // namespace orvane
