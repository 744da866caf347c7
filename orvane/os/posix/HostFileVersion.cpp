#include "orvane/os/posix/HostFileVersion.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "orvane/os/posix/ErrnoStatus.h"

namespace orvane::os::posix {

namespace {

bool SameVersion(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Appends the rest of fd's content to bytes; 0 or the errno of the failure.
int ReadRest(int fd, std::string* bytes) {
  char buffer[65536];
  while (true) {
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return errno == EISDIR ? EACCES : errno;
    if (count == 0) return 0;
    bytes->append(buffer, static_cast<size_t>(count));
  }
}

}  // namespace

Expected<HostFileVersion> HostFileVersion::Open(const std::string& hostPath, std::string* bytes) {
  int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FailureFromErrno(errno);
  struct stat info;
  int error = fstat(fd, &info) == 0 ? 0 : errno;
  if (error == 0 && bytes != nullptr) {
    bytes->clear();
    bytes->reserve(static_cast<size_t>(info.st_size));
    error = ReadRest(fd, bytes);
  }
  if (error != 0) {
    close(fd);
    return FailureFromErrno(error);
  }
  return HostFileVersion(fd, info);
}

HostFileVersion::HostFileVersion(HostFileVersion&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_info(other.m_info) {}

HostFileVersion& HostFileVersion::operator=(HostFileVersion&& other) noexcept {
  if (this != &other) {
    if (m_fd >= 0) close(m_fd);
    m_fd = std::exchange(other.m_fd, -1);
    m_info = other.m_info;
  }
  return *this;
}

HostFileVersion::~HostFileVersion() {
  if (m_fd >= 0) close(m_fd);
}

bool HostFileVersion::IsCurrent(const std::string& hostPath) const {
  struct stat now;
  return m_fd >= 0 && stat(hostPath.c_str(), &now) == 0 && SameVersion(now, m_info);
}

}  // namespace orvane::os::posix
