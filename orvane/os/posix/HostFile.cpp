#include "orvane/os/posix/HostFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "orvane/os/posix/ErrnoStatus.h"

namespace orvane::os::posix {

namespace {

// Writes all bytes to fd; the errno of the failure, or 0.
int WriteAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t count = write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    written += static_cast<size_t>(count);
  }
  return 0;
}

// Creates a temporary file beside hostPath, readable and writable as the
// umask allows; its descriptor, or -1 with errno set.
int CreateTemporaryBeside(const std::string& hostPath, std::string* temporary) {
  static std::atomic<unsigned> counter{0};
  while (true) {
    *temporary = hostPath + ".~" + std::to_string(getpid()) + "." + std::to_string(counter++);
    int fd = open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
}

}  // namespace

Expected<std::string> ReadHostFile(const std::string& hostPath) {
  int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FailureFromErrno(errno);
  std::string bytes;
  char buffer[65536];
  while (true) {
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      int error = errno;
      close(fd);
      return FailureFromErrno(error == EISDIR ? EACCES : error);
    }
    if (count == 0) break;
    bytes.append(buffer, static_cast<size_t>(count));
  }
  close(fd);
  return bytes;
}

Status ReplaceHostFile(const std::string& hostPath, const std::string& bytes) {
  std::string temporary;
  int fd = CreateTemporaryBeside(hostPath, &temporary);
  if (fd < 0) return FailureFromErrno(errno);
  struct stat existing;
  int error = 0;
  if (stat(hostPath.c_str(), &existing) == 0 && fchmod(fd, existing.st_mode & 07777) != 0) {
    error = errno;
  }
  if (error == 0) error = WriteAll(fd, bytes);
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temporary.c_str(), hostPath.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    return FailureFromErrno(error);
  }
  return Status();
}

Status CreateHostFile(const std::string& hostPath, const std::string& bytes) {
  int fd = open(hostPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return FailureFromErrno(errno);
  int error = WriteAll(fd, bytes);
  if (close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    unlink(hostPath.c_str());
    return FailureFromErrno(error);
  }
  return Status();
}

}  // namespace orvane::os::posix
