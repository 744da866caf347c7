#include "orvane/os/posix/TextStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace orvane::os::posix {

namespace {

constexpr size_t kStdioBufferSize = 65536;
constexpr size_t kReadAheadSize = 65536;

// The translation under a buffered stdio stream. stdio counts positions in
// the characters it holds, which are translated ones; so when it asks where
// the stream stands, the answer is corrected by what its buffer holds: the
// unread part of the last chunk of text handed to it (whose raw length is
// known from the CRs dropped in it) or the pending output (one byte more per
// "\n"). Positions thus stay the file's byte offsets, as on Windows.
//
// One more correction: to seek, glibc goes to the buffer-aligned offset below
// the target and reads up to the target, counting characters; a read asked
// for that way is refused, upon which glibc seeks the rest in bytes.
class TextFile {
 public:
  // The descriptor may stand anywhere in its file already.
  explicit TextFile(int fd)
      : m_fd(fd), m_filePosition(std::max<off64_t>(lseek64(fd, 0, SEEK_CUR), 0)) {}

  // Gives the stream its buffer, which lives as long as the translation.
  void AttachStream(FILE* stream) {
    m_stream = stream;
    setvbuf(stream, m_stdioBuffer, _IOFBF, sizeof m_stdioBuffer);
  }
  ssize_t Read(char* out, size_t size);
  ssize_t Write(const char* data, size_t size);
  int Seek(off64_t* offset, int whence);
  int Close() { return close(m_fd); }

 private:
  // Reads more raw bytes after those still held; false at the end of the
  // file, or on an error (errno set, *failed true).
  bool ReadMore(bool* failed);
  // The file offset of the first character that stdio holds unread.
  off64_t UnreadStart(size_t* unread) const;
  // How many bytes more than characters the pending output will take.
  off64_t PendingLineEnds() const;
  void ForgetReadAhead();
  // True for the read with which glibc's fseek would skip characters up to
  // its target after an aligned seek; its own reads refill the whole buffer
  // from its start, with the buffer's pointers reset.
  bool IsSeekSkippingRead(const char* out, size_t size) const;

  int m_fd;
  FILE* m_stream = nullptr;
  char m_stdioBuffer[kStdioBufferSize];
  char m_buffer[kReadAheadSize];
  size_t m_begin = 0;  // raw bytes read ahead: m_buffer[m_begin, m_end)
  size_t m_end = 0;
  off64_t m_filePosition;  // the file descriptor's offset after reads

  // The last chunk handed to stdio: where it began in the file, its length
  // in characters, and the indices of its "\n"s that stand for CR LF.
  off64_t m_chunkStart = 0;
  size_t m_chunkLength = 0;
  std::vector<size_t> m_chunkLineEnds;
  bool m_justSeekedToBlock = false;
};

bool TextFile::ReadMore(bool* failed) {
  if (m_begin > 0) {
    std::memmove(m_buffer, m_buffer + m_begin, m_end - m_begin);
    m_end -= m_begin;
    m_begin = 0;
  }
  while (true) {
    ssize_t count = read(m_fd, m_buffer + m_end, sizeof m_buffer - m_end);
    if (count > 0) {
      m_end += static_cast<size_t>(count);
      m_filePosition += count;
      return true;
    }
    if (count == 0) return false;
    if (errno != EINTR) {
      *failed = true;
      return false;
    }
  }
}

bool TextFile::IsSeekSkippingRead(const char* out, size_t size) const {
  if (!m_justSeekedToBlock || m_stream == nullptr || out != m_stream->_IO_buf_base) return false;
  return size < kStdioBufferSize || m_stream->_IO_read_base != m_stream->_IO_read_end;
}

ssize_t TextFile::Read(char* out, size_t size) {
  const bool refused = IsSeekSkippingRead(out, size);
  m_justSeekedToBlock = false;
  if (refused) return 0;
  m_chunkStart = m_filePosition - static_cast<off64_t>(m_end - m_begin);
  m_chunkLineEnds.clear();
  size_t produced = 0;
  bool failed = false;
  while (produced < size) {
    if (m_begin == m_end && !ReadMore(&failed)) break;
    // Runs without a CR are copied as they are.
    const char* from = m_buffer + m_begin;
    size_t run = std::min(m_end - m_begin, size - produced);
    const void* cr = std::memchr(from, '\r', run);
    if (cr != nullptr) run = static_cast<size_t>(static_cast<const char*>(cr) - from);
    std::memcpy(out + produced, from, run);
    produced += run;
    m_begin += run;
    if (cr == nullptr || produced == size) continue;
    // A CR at the end of what is held needs the next byte to decide.
    if (m_begin + 1 == m_end) ReadMore(&failed);
    if (failed) break;
    if (m_begin + 1 < m_end && m_buffer[m_begin + 1] == '\n') {
      m_chunkLineEnds.push_back(produced);
      out[produced++] = '\n';
      m_begin += 2;
    } else {
      out[produced++] = '\r';
      ++m_begin;
    }
  }
  m_chunkLength = produced;
  if (failed && produced == 0) return -1;
  return static_cast<ssize_t>(produced);
}

ssize_t TextFile::Write(const char* data, size_t size) {
  std::string translated;
  AppendWithCrLf(data, size, &translated);
  size_t written = 0;
  while (written < translated.size()) {
    ssize_t count = write(m_fd, translated.data() + written, translated.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return -1;
    written += static_cast<size_t>(count);
  }
  return static_cast<ssize_t>(size);
}

off64_t TextFile::UnreadStart(size_t* unread) const {
  *unread = 0;
  if (m_stream != nullptr && m_stream->_IO_read_ptr < m_stream->_IO_read_end) {
    *unread = std::min(static_cast<size_t>(m_stream->_IO_read_end - m_stream->_IO_read_ptr),
                       m_chunkLength);
  }
  const size_t consumed = m_chunkLength - *unread;
  const size_t lineEndsBefore = static_cast<size_t>(
      std::lower_bound(m_chunkLineEnds.begin(), m_chunkLineEnds.end(), consumed) -
      m_chunkLineEnds.begin());
  return m_chunkStart + static_cast<off64_t>(consumed + lineEndsBefore);
}

off64_t TextFile::PendingLineEnds() const {
  if (m_stream == nullptr || m_stream->_IO_write_ptr <= m_stream->_IO_write_base) return 0;
  return std::count(m_stream->_IO_write_base, m_stream->_IO_write_ptr, '\n');
}

void TextFile::ForgetReadAhead() {
  m_begin = m_end = 0;
  m_chunkLength = 0;
  m_chunkLineEnds.clear();
}

int TextFile::Seek(off64_t* offset, int whence) {
  // stdio subtracts the unread characters it holds from our answer (or
  // adds its pending ones), so the answer is where the end of what it holds
  // lies counted in characters.
  size_t unread = 0;
  const off64_t unreadStart = UnreadStart(&unread);
  const off64_t here = unreadStart + static_cast<off64_t>(unread) + PendingLineEnds();
  if (whence == SEEK_CUR && *offset == 0) {
    // ftell: stdio keeps its buffer, so nothing moves.
    *offset = m_chunkLength > 0 ? here : lseek64(m_fd, 0, SEEK_CUR) + PendingLineEnds();
    return *offset < 0 ? -1 : 0;
  }
  off64_t target = *offset;
  if (whence == SEEK_CUR) {
    target += m_chunkLength > 0 ? here : lseek64(m_fd, 0, SEEK_CUR);
    whence = SEEK_SET;
  }
  off64_t result = lseek64(m_fd, target, whence);
  if (result < 0) return -1;
  ForgetReadAhead();
  m_filePosition = result;
  m_justSeekedToBlock = whence == SEEK_SET && result % static_cast<off64_t>(kStdioBufferSize) == 0;
  *offset = result + (whence == SEEK_END ? PendingLineEnds() : 0);
  return 0;
}

ssize_t ReadText(void* cookie, char* out, size_t size) {
  return static_cast<TextFile*>(cookie)->Read(out, size);
}

ssize_t WriteText(void* cookie, const char* data, size_t size) {
  return static_cast<TextFile*>(cookie)->Write(data, size);
}

int SeekText(void* cookie, off64_t* offset, int whence) {
  return static_cast<TextFile*>(cookie)->Seek(offset, whence);
}

int CloseText(void* cookie) {
  auto* file = static_cast<TextFile*>(cookie);
  int result = file->Close();
  delete file;
  return result;
}

}  // namespace

void AppendWithCrLf(const char* data, size_t size, std::string* out) {
  if (out->empty()) out->reserve(size + size / 16);
  // Lines are copied whole: a large file's rewrite spends its time here.
  for (const char* start = data; start < data + size;) {
    const void* found = std::memchr(start, '\n', static_cast<size_t>(data + size - start));
    const char* end = found != nullptr ? static_cast<const char*>(found) : data + size;
    out->append(start, static_cast<size_t>(end - start));
    if (end == data + size) break;
    out->append("\r\n");
    start = end + 1;
  }
}

std::optional<StreamMode> ParseStreamMode(const char* mode) {
  if (mode == nullptr) return std::nullopt;
  StreamMode parsed;
  bool update = std::strchr(mode, '+') != nullptr;
  parsed.binary = std::strchr(mode, 'b') != nullptr;
  switch (mode[0]) {
    case 'r':
      parsed.openFlags = update ? O_RDWR : O_RDONLY;
      break;
    case 'w':
      parsed.openFlags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
      if (std::strchr(mode, 'x') != nullptr) parsed.openFlags |= O_EXCL;
      break;
    case 'a':
      parsed.openFlags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
      break;
    default:
      return std::nullopt;
  }
  parsed.stdioMode = std::string(1, mode[0]) + (update ? "+" : "");
  return parsed;
}

FILE* OpenTextStreamOn(int fd, const char* stdioMode) {
  auto* file = new TextFile(fd);
  cookie_io_functions_t functions = {ReadText, WriteText, SeekText, CloseText};
  FILE* stream = fopencookie(file, stdioMode, functions);
  if (stream == nullptr) {
    int error = errno;
    file->Close();
    delete file;
    errno = error;
    return nullptr;
  }
  file->AttachStream(stream);
  return stream;
}

}  // namespace orvane::os::posix
