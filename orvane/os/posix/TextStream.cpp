#include "orvane/os/posix/TextStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvane::os::posix {

namespace {

class TextFile {
 public:
  explicit TextFile(int fd) : m_fd(fd) {}

  ssize_t Read(char* out, size_t size);
  ssize_t Write(const char* data, size_t size);
  int Seek(off64_t* offset, int whence);
  int Close() { return close(m_fd); }

 private:
  // Reads more raw bytes after those still held; false at the end of the
  // file, or on an error (errno set, *failed true).
  bool ReadMore(bool* failed);

  int m_fd;
  char m_buffer[4096];
  size_t m_begin = 0;  // raw bytes read ahead: m_buffer[m_begin, m_end)
  size_t m_end = 0;
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
      return true;
    }
    if (count == 0) return false;
    if (errno != EINTR) {
      *failed = true;
      return false;
    }
  }
}

ssize_t TextFile::Read(char* out, size_t size) {
  size_t produced = 0;
  bool failed = false;
  while (produced < size) {
    if (m_begin == m_end && !ReadMore(&failed)) break;
    char c = m_buffer[m_begin];
    // A CR at the end of what is held needs the next byte to decide.
    if (c == '\r' && m_begin + 1 == m_end) ReadMore(&failed);
    if (failed) break;
    if (c == '\r' && m_begin + 1 < m_end && m_buffer[m_begin + 1] == '\n') {
      c = '\n';
      ++m_begin;
    }
    ++m_begin;
    out[produced++] = c;
  }
  if (failed && produced == 0) return -1;
  return static_cast<ssize_t>(produced);
}

ssize_t TextFile::Write(const char* data, size_t size) {
  std::string translated;
  translated.reserve(size + size / 16);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') translated.push_back('\r');
    translated.push_back(data[i]);
  }
  size_t written = 0;
  while (written < translated.size()) {
    ssize_t count = write(m_fd, translated.data() + written, translated.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return -1;
    written += static_cast<size_t>(count);
  }
  return static_cast<ssize_t>(size);
}

int TextFile::Seek(off64_t* offset, int whence) {
  off64_t target = *offset;
  if (whence == SEEK_CUR) {
    // The file descriptor stands after the bytes read ahead.
    off64_t current = lseek64(m_fd, 0, SEEK_CUR);
    if (current < 0) return -1;
    target += current - static_cast<off64_t>(m_end - m_begin);
    whence = SEEK_SET;
  }
  off64_t result = lseek64(m_fd, target, whence);
  if (result < 0) return -1;
  m_begin = m_end = 0;
  *offset = result;
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

FILE* OpenTextStream(const std::string& hostPath, const StreamMode& mode) {
  int fd = open(hostPath.c_str(), mode.openFlags | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return OpenTextStreamOn(fd, mode.stdioMode.c_str());
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
  setvbuf(stream, nullptr, _IONBF, 0);
  return stream;
}

}  // namespace orvane::os::posix
