#include "orvane/platform/TextFileRewrite.h"

#include <utility>

#include "orvane/os/Files.h"

namespace orvane {

void CopyLines(FILE* in, FILE* out, const LineRule& rule) {
  char line[kMaxLineChars + 1];
  while (std::fgets(line, sizeof line, in) != nullptr) {
    if (rule(line, out)) std::fputs(line, out);
  }
}

FileReplacement::FileReplacement(std::string path)
    : m_path(std::move(path)), m_tempPath(m_path + ".tmp"), m_out(os::OpenFile(m_tempPath, "w")) {}

FileReplacement::~FileReplacement() {
  if (m_out != nullptr) std::fclose(m_out);
  if (!m_committed) os::DeleteFile(m_tempPath);
}

bool FileReplacement::Close() {
  if (m_out != nullptr) {
    m_writeFailed = std::ferror(m_out) != 0;
    if (std::fclose(m_out) != 0) m_writeFailed = true;
    m_out = nullptr;
    m_closed = true;
  }
  return m_closed && !m_writeFailed;
}

bool FileReplacement::Commit() {
  if (!Close()) return false;
  m_committed = os::MoveFile(m_tempPath, m_path).ok();
  return m_committed;
}

int RewriteWithBackup(const std::string& path, const std::string& backupPath,
                      const ContentWriter& write) {
  const bool hasPrevious = os::PathExists(path);
  FILE* in = os::OpenFile(hasPrevious ? path : backupPath, "r");
  if (in == nullptr) return 0;

  FileReplacement replacement(path);
  if (replacement.stream() != nullptr) write(in, replacement.stream());
  std::fclose(in);
  if (replacement.stream() == nullptr || !replacement.Close()) return 0;

  // A failed backup copy costs only the backup, never the file itself.
  if (hasPrevious) os::CopyFile(path, backupPath);
  return replacement.Commit() ? 1 : 0;
}

}  // namespace orvane
