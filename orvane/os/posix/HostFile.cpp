#include "orvane/os/posix/HostFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <utility>

#include "orvane/os/posix/ErrnoStatus.h"
#include "orvane/os/posix/Machine.h"

namespace orvane::os::posix {

namespace {

constexpr char kTemporaryMark[] = ".~";

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

std::string FolderOf(const std::string& hostPath) {
  size_t slash = hostPath.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : hostPath.substr(0, slash);
}

std::string NameOf(const std::string& hostPath) { return hostPath.substr(hostPath.rfind('/') + 1); }

std::optional<std::string> RealPath(const std::string& hostPath) {
  char* resolved = realpath(hostPath.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string result = resolved;
  std::free(resolved);
  return result;
}

// The file that a write to hostPath replaces: hostPath itself, or the file
// its symbolic link leads to when that stays inside the machine's folder.
Expected<std::string> ReplacedFile(const std::string& hostPath) {
  struct stat info;
  if (lstat(hostPath.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return hostPath;
  std::optional<std::string> target = RealPath(hostPath);
  if (!target) return FailureFromErrno(errno);
  std::optional<std::string> root = RealPath(MachineRoot());
  if (!root || target->compare(0, root->size() + 1, *root + "/") != 0) {
    return Status::Failure(kAccessDenied);
  }
  return *target;
}

// The process id in a temporary's name after "<file name>.~", or 0.
pid_t WriterOf(const std::string& entry, const std::string& prefix) {
  if (entry.compare(0, prefix.size(), prefix) != 0) return 0;
  char* end = nullptr;
  long pid = std::strtol(entry.c_str() + prefix.size(), &end, 10);
  return pid > 0 && *end == '.' ? static_cast<pid_t>(pid) : 0;
}

bool IsRunning(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }

// A temporary is stale when its writer process has ended and nobody holds
// its lock (the lock also covers a writer in another process namespace).
void RemoveIfStale(const std::string& temporary, pid_t writer) {
  if (writer == getpid() || IsRunning(writer)) return;
  int fd = open(temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) unlink(temporary.c_str());
  close(fd);
}

// Creates the temporary beside target; its descriptor, or -1 with errno.
int CreateTemporaryBeside(const std::string& target, int mode, std::string* temporary) {
  static std::atomic<unsigned> counter{0};
  while (true) {
    *temporary = target + kTemporaryMark + std::to_string(getpid()) + "." +
                 std::to_string(counter++);
    int fd = open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  static_cast<mode_t>(mode));
    if (fd >= 0 || errno != EEXIST) return fd;
  }
}

// Makes a rename in folder durable; a folder that cannot be synced (some
// file systems refuse) leaves the rename as durable as the system makes it.
void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Swaps two names in one step where the system can (Linux); false when it
// cannot, with both names as they were.
bool ExchangeFiles(const std::string& first, const std::string& second) {
#if defined(RENAME_EXCHANGE)
  return renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0;
#else
  static_cast<void>(first);
  static_cast<void>(second);
  return false;
#endif
}

// The backup where names cannot be exchanged: a copy of the previous content.
void CopyPrevious(const std::string& hostPath, const std::string& backupHostPath) {
  Expected<std::string> bytes = ReadHostFile(hostPath);
  if (bytes.ok()) ReplaceHostFile(backupHostPath, *bytes);
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

HostReplacement::HostReplacement(std::string target, std::string temporary, int fd)
    : m_target(std::move(target)), m_temporary(std::move(temporary)), m_fd(fd) {}

HostReplacement::HostReplacement(HostReplacement&& other) noexcept
    : m_target(std::move(other.m_target)),
      m_temporary(std::move(other.m_temporary)),
      m_fd(std::exchange(other.m_fd, -1)),
      m_committed(std::exchange(other.m_committed, true)) {}

HostReplacement::~HostReplacement() {
  if (m_committed) return;
  unlink(m_temporary.c_str());
  if (m_fd >= 0) close(m_fd);  // unlinked first: the lock covers the unlink
}

Expected<HostReplacement> HostReplacement::Begin(const std::string& hostPath, int newFileMode) {
  Expected<std::string> target = ReplacedFile(hostPath);
  if (!target.ok()) return target.status();
  RemoveStaleTemporaries(*target);
  std::string temporary;
  int fd = CreateTemporaryBeside(*target, newFileMode & 07777, &temporary);
  if (fd < 0) return FailureFromErrno(errno);
  HostReplacement replacement(*target, temporary, fd);
  struct stat existing;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 ||
      (stat(target->c_str(), &existing) == 0 && fchmod(fd, existing.st_mode & 07777) != 0)) {
    return FailureFromErrno(errno);
  }
  return replacement;
}

Status HostReplacement::Commit(const std::string* backupHostPath) {
  if (m_committed) return Status::Failure(kInvalidHandle);
  if (fsync(m_fd) != 0) return FailureFromErrno(errno);
  const bool keepPrevious = backupHostPath != nullptr && access(m_target.c_str(), F_OK) == 0;
  if (keepPrevious && ExchangeFiles(m_temporary, m_target)) {
    // The temporary's name now holds the previous content: no copy, and the
    // file was never missing.
    m_committed = true;
    if (rename(m_temporary.c_str(), backupHostPath->c_str()) != 0) unlink(m_temporary.c_str());
  } else {
    if (keepPrevious) CopyPrevious(m_target, *backupHostPath);
    if (rename(m_temporary.c_str(), m_target.c_str()) != 0) return FailureFromErrno(errno);
    m_committed = true;
  }
  SyncFolder(FolderOf(m_target));
  close(m_fd);
  m_fd = -1;
  return Status();
}

void RemoveStaleTemporaries(const std::string& hostPath) {
  const std::string folder = FolderOf(hostPath);
  const std::string prefix = NameOf(hostPath) + kTemporaryMark;
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = readdir(listing)) {
    if (pid_t writer = WriterOf(entry->d_name, prefix)) {
      RemoveIfStale(folder + "/" + entry->d_name, writer);
    }
  }
  closedir(listing);
}

Status ReplaceHostFile(const std::string& hostPath, const std::string& bytes) {
  Expected<HostReplacement> replacement = HostReplacement::Begin(hostPath, 0666);
  if (!replacement.ok()) return replacement.status();
  if (int error = WriteAll(replacement->fd(), bytes)) return FailureFromErrno(error);
  return replacement->Commit();
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

HostFileLock::HostFileLock(const std::string& lockPath, bool wait) {
  m_fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (m_fd < 0) {
    m_status = FailureFromErrno(errno);
    return;
  }
  while (flock(m_fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) {
      m_status = errno == EWOULDBLOCK ? Status::Failure(kLockViolation) : FailureFromErrno(errno);
      return;
    }
  }
}

HostFileLock::~HostFileLock() {
  if (m_fd >= 0) close(m_fd);  // closing releases the lock
}

}  // namespace orvane::os::posix
