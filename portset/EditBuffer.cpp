#include "portset/EditBuffer.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "orvane/os/Files.h"

namespace orvane {

namespace {

// Letters, digits and the underscore make words, as do the bytes above 127,
// which are the accented letters of the ANSI code page.
bool IsWordCharacter(char ch) {
  const auto byte = static_cast<unsigned char>(ch);
  return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
         (byte >= '0' && byte <= '9') || byte == '_' || byte >= 0x80;
}

char ToLowerAscii(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; }

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// The failure of a stream operation: the seam's last error when it recorded
// one, else a generic read or write fault.
os::Status StreamFailure(unsigned long fallback) {
  const unsigned long code = os::LastError();
  return os::Status::Failure(code != os::kSuccess ? code : fallback);
}

}  // namespace

EditBuffer::EditBuffer(std::string text) : m_text(std::move(text)) {}

os::Expected<EditBuffer> EditBuffer::Load(const std::string& path) {
  os::SetLastError(os::kSuccess);
  FilePtr file(os::OpenFile(path, "rb"));
  if (!file) return StreamFailure(os::kFileNotFound);

  std::string text;
  char chunk[8192];
  std::size_t count;
  while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    text.append(chunk, count);
  }
  if (std::ferror(file.get())) return os::Status::Failure(os::kReadFault);
  return EditBuffer(std::move(text));
}

std::size_t EditBuffer::FindWholeWord(std::string_view word) {
  m_selectionStart = 0;
  m_selectionLength = 0;
  if (word.empty() || word.size() > m_text.size()) return kNotFound;
  for (std::size_t position = 0; position + word.size() <= m_text.size(); ++position) {
    if (MatchesAt(position, word) && IsWordBoundary(position) &&
        IsWordBoundary(position + word.size())) {
      m_selectionStart = position;
      m_selectionLength = word.size();
      return position;
    }
  }
  return kNotFound;
}

void EditBuffer::ReplaceSelection(std::string_view text) {
  m_text.replace(m_selectionStart, m_selectionLength, text.data(), text.size());
  m_selectionLength = text.size();
}

os::Status EditBuffer::Save(const std::string& path) const {
  os::SetLastError(os::kSuccess);
  os::ReplacementFile file(path, "wb");
  if (file.stream() == nullptr) return file.status();
  if (std::fwrite(m_text.data(), 1, m_text.size(), file.stream()) != m_text.size()) {
    return StreamFailure(os::kWriteFault);
  }
  return file.Commit();
}

bool EditBuffer::IsWordBoundary(std::size_t position) const {
  if (position == 0 || position == m_text.size()) return true;
  return IsWordCharacter(m_text[position - 1]) != IsWordCharacter(m_text[position]);
}

bool EditBuffer::MatchesAt(std::size_t position, std::string_view word) const {
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (ToLowerAscii(m_text[position + i]) != ToLowerAscii(word[i])) return false;
  }
  return true;
}

}  // namespace orvane
