#include "orvane/os/posix/HeldStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "orvane/os/posix/ErrnoStatus.h"
#include "orvane/os/posix/HostFile.h"
#include "orvane/os/posix/TextStream.h"

namespace orvane::os::posix {
namespace {

class HeldOutput {
 public:
  HeldOutput(bool text, std::shared_ptr<backend::HeldBytes> held, size_t limit,
             std::function<std::string()> newSpillPath)
      : m_text(text), m_held(std::move(held)), m_limit(limit), m_newSpillPath(std::move(newSpillPath)) {}

  ssize_t Write(const char* data, size_t size) {
    std::string piece;
    if (m_text) {
      AppendWithCrLf(data, size, &piece);
    } else {
      piece.assign(data, size);
    }
    if (m_fd < 0 && m_held->bytes.size() + piece.size() > m_limit && !Spill()) return -1;
    m_written += static_cast<off64_t>(piece.size());
    if (m_fd < 0) {
      m_held->bytes += piece;
    } else if (int error = WriteAll(m_fd, piece)) {
      errno = error;
      return -1;
    }
    return static_cast<ssize_t>(size);
  }

  // Only ftell is answered: the bytes written so far, as a host file's offset.
  int Seek(off64_t* offset, int whence) {
    if (whence != SEEK_CUR || *offset != 0) {
      errno = ESPIPE;
      return -1;
    }
    *offset = m_written;
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
    if (int error = WriteAll(m_fd, m_held->bytes)) {
      errno = error;
      return false;
    }
    m_held->bytes.clear();
    m_held->bytes.shrink_to_fit();
    return true;
  }

  bool m_text;
  std::shared_ptr<backend::HeldBytes> m_held;
  size_t m_limit;
  std::function<std::string()> m_newSpillPath;
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

FILE* OpenHeldStream(const char* mode, std::shared_ptr<backend::HeldBytes> held, size_t limit,
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
    FailureFromErrno(errno);
    delete output;
  }
  return stream;
}

}  // namespace orvane::os::posix
