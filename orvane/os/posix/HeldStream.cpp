// The posix backend's held streams (Backend.h's OpenHeldStream): a glibc
// fopencookie stream that appends what it is given to a string, translated
// as a text stream on a host file translates it, and goes on into a host
// file once the string would pass its limit.
#include "orvane/os/Backend.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "orvane/os/posix/ErrnoStatus.h"
#include "orvane/os/posix/HostFile.h"
#include "orvane/os/posix/TextStream.h"

namespace orvane::os::backend {
namespace {

class HeldOutput {
 public:
  HeldOutput(bool text, std::shared_ptr<HeldBytes> held, size_t limit,
             std::function<std::string()> newSpillPath)
      : m_text(text), m_held(std::move(held)), m_limit(limit), m_newSpillPath(std::move(newSpillPath)) {}

  ssize_t Write(const char* data, size_t size) {
    std::string piece;
    if (m_text) {
      posix::AppendWithCrLf(data, size, &piece);
    } else {
      piece.assign(data, size);
    }
    if (m_fd < 0 && m_held->bytes.size() + piece.size() > m_limit && !Spill()) return -1;
    m_written += static_cast<off64_t>(piece.size());
    if (m_fd < 0) {
      m_held->bytes += piece;
    } else if (int error = posix::WriteAll(m_fd, piece)) {
      errno = error;
      return -1;
    }
    return static_cast<ssize_t>(size);
  }

  void AttachStream(FILE* stream) { m_stream = stream; }

  // Only ftell is answered, with a host file's offset: stdio adds the
  // characters it holds unwritten to the answer, so a text stream's answer
  // counts the CR that each "\n" of them will take.
  int Seek(off64_t* offset, int whence) {
    if (whence != SEEK_CUR || *offset != 0) {
      errno = ESPIPE;
      return -1;
    }
    *offset = m_written;
    if (m_text && m_stream != nullptr && m_stream->_IO_write_ptr > m_stream->_IO_write_base) {
      *offset += std::count(m_stream->_IO_write_base, m_stream->_IO_write_ptr, '\n');
    }
    return 0;
  }

  int Close() { return m_fd >= 0 ? close(m_fd) : 0; }

 private:
  // Moves what is held into a new host file, where the rest goes too.
  bool Spill() {
    const std::string path = m_newSpillPath();
    if (path.empty()) return false;
    m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (m_fd < 0) return false;
    m_held->spillPath = path;
    if (int error = posix::WriteAll(m_fd, m_held->bytes)) {
      errno = error;
      return false;
    }
    m_held->bytes.clear();
    m_held->bytes.shrink_to_fit();
    return true;
  }

  bool m_text;
  std::shared_ptr<HeldBytes> m_held;
  size_t m_limit;
  std::function<std::string()> m_newSpillPath;
  FILE* m_stream = nullptr;
  int m_fd = -1;
  off64_t m_written = 0;
};

ssize_t WriteHeld(void* cookie, const char* data, size_t size) {
  return static_cast<HeldOutput*>(cookie)->Write(data, size);
}

int SeekHeld(void* cookie, off64_t* offset, int whence) {
  return static_cast<HeldOutput*>(cookie)->Seek(offset, whence);
}

int CloseHeld(void* cookie) {
  auto* output = static_cast<HeldOutput*>(cookie);
  const int result = output->Close();
  delete output;
  return result;
}

}  // namespace

FILE* OpenHeldStream(const char* mode, std::shared_ptr<HeldBytes> held, size_t limit,
                     std::function<std::string()> newSpillPath) {
  if (mode == nullptr || mode[0] != 'w' || std::strchr(mode, '+') != nullptr) {
    Status::Failure(kInvalidParameter);
    return nullptr;
  }
  const bool text = std::strchr(mode, 'b') == nullptr;
  auto* output = new HeldOutput(text, std::move(held), limit, std::move(newSpillPath));
  cookie_io_functions_t functions = {nullptr, WriteHeld, SeekHeld, CloseHeld};
  FILE* stream = fopencookie(output, "w", functions);
  if (stream == nullptr) {
    posix::FailureFromErrno(errno);
    delete output;
    return nullptr;
  }
  output->AttachStream(stream);
  return stream;
}

}  // namespace orvane::os::backend
