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

// Reads a descriptor to its end and closes it. A regular file of statSize
// bytes is read with one call asking for one byte more: when exactly
// statSize come, that is its end (a file that grew since gives the extra byte
// and is read on).
Expected<std::string> ReadDescriptor(int fd, std::optional<off_t> statSize = std::nullopt) {
  std::string bytes;
  if (statSize && *statSize >= 0 && *statSize < (off_t{1} << 30)) {
    bytes.resize(static_cast<size_t>(*statSize) + 1);
    ssize_t count;
    do {
      count = read(fd, bytes.data(), bytes.size());
    } while (count < 0 && errno == EINTR);
    bytes.resize(count < 0 ? 0 : static_cast<size_t>(count));
    if (count == *statSize) {
      close(fd);
      return bytes;
    }
  }
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

std::string FolderOf(const std::string& hostPath) {
  size_t slash = hostPath.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : hostPath.substr(0, slash);
}

std::string NameOf(const std::string& hostPath) { return hostPath.substr(hostPath.rfind('/') + 1); }

#if defined(O_PATH)
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

bool IsLinkAt(int folderFd, const std::string& name) {
  struct stat info;
  return fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

// True when hostPath is root or lies below it.
bool IsWithin(const std::string& hostPath, const std::string& root) {
  return hostPath.compare(0, root.size(), root) == 0 &&
         (hostPath.size() == root.size() || hostPath[root.size()] == '/');
}

// Opens folder component by component from the machine's root, refusing a
// link in any of them; a folder outside the machine is opened as it stands.
Expected<int> OpenFolderWithoutLinks(const std::string& folder) {
  const std::string root = MachineRoot();
  const bool inside = IsWithin(folder, root);
  int fd = open(inside ? root.c_str() : folder.c_str(), kFolderFlags);
  if (fd < 0) return errno == ENOENT ? Status::Failure(kPathNotFound) : FailureFromErrno(errno);
  size_t start = inside ? root.size() : folder.size();
  while (start < folder.size()) {
    size_t end = folder.find('/', start + 1);
    if (end == std::string::npos) end = folder.size();
    const std::string component = folder.substr(start + 1, end - start - 1);
    start = end;
    if (component.empty()) continue;
    int next = openat(fd, component.c_str(), kFolderFlags | O_NOFOLLOW);
    if (next < 0) {
      int error = errno;
      const bool link = error == ELOOP || IsLinkAt(fd, component);
      close(fd);
      if (link) return Status::Failure(kAccessDenied);
      return error == ENOENT || error == ENOTDIR ? Status::Failure(kPathNotFound)
                                                 : FailureFromErrno(error);
    }
    close(fd);
    fd = next;
  }
  return fd;
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
void RemoveIfStale(int folderFd, const std::string& temporary, pid_t writer) {
  if (writer == getpid() || IsRunning(writer)) return;
  int fd = openat(folderFd, temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) unlinkat(folderFd, temporary.c_str(), 0);
  close(fd);
}

// Removes the temporaries beside the folder's name whose writers are gone.
void RemoveStaleTemporaries(const HostFolder& folder) {
  const std::string prefix = folder.name() + kTemporaryMark;
  int listingFd = openat(folder.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* listing = listingFd < 0 ? nullptr : fdopendir(listingFd);
  if (listing == nullptr) {
    if (listingFd >= 0) close(listingFd);
    return;
  }
  while (const dirent* entry = readdir(listing)) {
    if (pid_t writer = WriterOf(entry->d_name, prefix)) {
      RemoveIfStale(folder.fd(), entry->d_name, writer);
    }
  }
  closedir(listing);
}

// Creates the temporary beside the folder's name; its descriptor, or -1 with
// errno.
int CreateTemporaryBeside(const HostFolder& folder, int mode, std::string* temporary) {
  static std::atomic<unsigned> counter{0};
  while (true) {
    *temporary = folder.name() + kTemporaryMark + std::to_string(getpid()) + "." +
                 std::to_string(counter++);
    int fd = openat(folder.fd(), temporary->c_str(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    static_cast<mode_t>(mode));
    if (fd >= 0 || errno != EEXIST) return fd;
  }
}

// Makes a rename in the folder durable; a folder that cannot be synced (some
// file systems refuse) leaves the rename as durable as the system makes it.
void SyncFolder(const HostFolder& folder) {
  int fd = openat(folder.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Swaps two names of a folder in one step where the system can (Linux);
// false when it cannot, with both names as they were.
bool ExchangeNames(const HostFolder& folder, const std::string& first) {
#if defined(RENAME_EXCHANGE)
  return renameat2(folder.fd(), first.c_str(), folder.fd(), folder.name().c_str(),
                   RENAME_EXCHANGE) == 0;
#else
  static_cast<void>(folder);
  static_cast<void>(first);
  return false;
#endif
}

// Whether the folder's name is a regular file (not a link, not a folder).
bool NameIsRegularFile(const HostFolder& folder, struct stat* info) {
  return fstatat(folder.fd(), folder.name().c_str(), info, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISREG(info->st_mode);
}

// The bytes of the regular file at the folder's name, not through a link.
Expected<std::string> ReadNameOf(const HostFolder& folder) {
  int fd = openat(folder.fd(), folder.name().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return FailureFromErrno(errno);
  return ReadDescriptor(fd);
}

// Whether the temporary in the folder holds the bytes of the file at the
// folder's name, which has size bytes.
bool HoldsSameBytes(const HostFolder& folder, const std::string& temporary, off_t size) {
  struct stat info;
  if (fstatat(folder.fd(), temporary.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
      info.st_size != size) {
    return false;
  }
  int fd = openat(folder.fd(), temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  Expected<std::string> written = ReadDescriptor(fd);
  Expected<std::string> current = ReadNameOf(folder);
  return written.ok() && current.ok() && *written == *current;
}

}  // namespace

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

Expected<std::string> ReadHostFile(const std::string& hostPath, std::optional<off_t> statSize) {
  int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FailureFromErrno(errno);
  return ReadDescriptor(fd, statSize);
}

Expected<HostFolder> HostFolder::Of(const std::string& hostPath) {
  Expected<int> fd = OpenFolderWithoutLinks(FolderOf(hostPath));
  if (!fd.ok()) return fd.status();
  return HostFolder(*fd, NameOf(hostPath));
}

HostFolder::HostFolder(HostFolder&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_name(std::move(other.m_name)) {}

HostFolder::~HostFolder() {
  if (m_fd >= 0) close(m_fd);
}

bool HostFolder::NameIsLink() const { return IsLinkAt(m_fd, m_name); }

Expected<int> OpenHostFile(const std::string& hostPath, int flags, int createMode) {
  if ((flags & O_ACCMODE) == O_RDONLY && (flags & O_CREAT) == 0) {
    int fd = open(hostPath.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return FailureFromErrno(errno);
    return fd;
  }
  Expected<HostFolder> folder = HostFolder::Of(hostPath);
  if (!folder.ok()) return folder.status();
  int fd = openat(folder->fd(), folder->name().c_str(), flags | O_NOFOLLOW | O_CLOEXEC,
                  static_cast<mode_t>(createMode));
  // O_NOFOLLOW meets a link at the name with ELOOP.
  if (fd < 0) return errno == ELOOP ? Status::Failure(kAccessDenied) : FailureFromErrno(errno);
  return fd;
}

HostReplacement::HostReplacement(HostFolder folder, std::string temporary, int fd, int mode)
    : m_folder(std::move(folder)), m_temporary(std::move(temporary)), m_fd(fd), m_mode(mode) {}

HostReplacement::HostReplacement(HostReplacement&& other) noexcept
    : m_folder(std::move(other.m_folder)),
      m_temporary(std::move(other.m_temporary)),
      m_fd(std::exchange(other.m_fd, -1)),
      m_mode(other.m_mode),
      m_committed(std::exchange(other.m_committed, true)) {}

HostReplacement::~HostReplacement() {
  if (m_committed) return;
  unlinkat(m_folder.fd(), m_temporary.c_str(), 0);
  if (m_fd >= 0) close(m_fd);  // unlinked first: the lock covers the unlink
}

Expected<HostReplacement> HostReplacement::Begin(const std::string& hostPath, int newFileMode,
                                                 ReplacedFileMode modeRule) {
  Expected<HostFolder> folder = HostFolder::Of(hostPath);
  if (!folder.ok()) return folder.status();
  struct stat existing;
  const bool replacesFile = NameIsRegularFile(*folder, &existing);
  if (!replacesFile && fstatat(folder->fd(), folder->name().c_str(), &existing,
                               AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(existing.st_mode)) {
    return Status::Failure(kAccessDenied);
  }
  RemoveStaleTemporaries(*folder);
  std::string temporary;
  int fd = CreateTemporaryBeside(*folder, newFileMode & 07777, &temporary);
  if (fd < 0) return FailureFromErrno(errno);
  struct stat created;
  fstat(fd, &created);
  const int withheld = modeRule == ReplacedFileMode::kWithoutOthers ? 07 : 0;
  int mode = modeRule == ReplacedFileMode::kReset ? newFileMode & 07777
             : replacesFile                        ? existing.st_mode & 07777 & ~withheld
                                                   : created.st_mode & 07777;
  HostReplacement replacement(std::move(*folder), temporary, fd, mode);
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 || fchmod(fd, static_cast<mode_t>(mode)) != 0) {
    return FailureFromErrno(errno);
  }
  return replacement;
}

// The previous content, now under the temporary's name, gets the new
// content's mode and goes to the backup's name; when either fails it is
// removed, which costs only the backup.
void HostReplacement::KeepAsBackup(const std::string& backupHostPath) {
  const char* previous = m_temporary.c_str();
  int fd = openat(m_folder.fd(), previous, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  bool kept = fd >= 0 && fchmod(fd, static_cast<mode_t>(m_mode)) == 0;
  if (fd >= 0) close(fd);
  Expected<HostFolder> backupFolder = HostFolder::Of(backupHostPath);
  kept = kept && backupFolder.ok() &&
         renameat(m_folder.fd(), previous, backupFolder->fd(), backupFolder->name().c_str()) == 0;
  if (!kept) unlinkat(m_folder.fd(), previous, 0);
}

Status HostReplacement::Commit(const std::string* backupHostPath) {
  if (m_committed) return Status::Failure(kInvalidHandle);
  struct stat previous;
  const bool keepPrevious = backupHostPath != nullptr && NameIsRegularFile(m_folder, &previous);
  if (keepPrevious && (previous.st_mode & 07777) == static_cast<mode_t>(m_mode) &&
      HoldsSameBytes(m_folder, m_temporary, previous.st_size)) {
    // Nothing would change: the file stays, and so does the backup of what
    // it held before, which a second run would otherwise lose. Nothing needs
    // to reach the disk either.
    unlinkat(m_folder.fd(), m_temporary.c_str(), 0);
    close(m_fd);
    m_fd = -1;
    m_committed = true;
    return Status();
  }
  if (fsync(m_fd) != 0) return FailureFromErrno(errno);
  if (keepPrevious && ExchangeNames(m_folder, m_temporary)) {
    // The temporary's name now holds the previous content: no copy, and the
    // file was never missing.
    m_committed = true;
    KeepAsBackup(*backupHostPath);
  } else {
    if (keepPrevious) {
      // Where names cannot be exchanged: a copy of the previous content.
      Expected<std::string> bytes = ReadNameOf(m_folder);
      if (bytes.ok()) ReplaceHostFile(*backupHostPath, *bytes, m_mode);
    }
    if (renameat(m_folder.fd(), m_temporary.c_str(), m_folder.fd(), m_folder.name().c_str()) != 0) {
      return FailureFromErrno(errno);
    }
    m_committed = true;
  }
  SyncFolder(m_folder);
  close(m_fd);
  m_fd = -1;
  return Status();
}

Status ReplaceHostFile(const std::string& hostPath, const std::string& bytes,
                       std::optional<int> mode) {
  Expected<HostReplacement> replacement =
      mode ? HostReplacement::Begin(hostPath, *mode, ReplacedFileMode::kReset)
           : HostReplacement::Begin(hostPath, 0666);
  if (!replacement.ok()) return replacement.status();
  if (int error = WriteAll(replacement->fd(), bytes)) return FailureFromErrno(error);
  return replacement->Commit();
}

Status CreateHostFile(const std::string& hostPath, const std::string& bytes,
                      std::optional<int> mode) {
  Expected<HostFolder> folder = HostFolder::Of(hostPath);
  if (!folder.ok()) return folder.status();
  const char* name = folder->name().c_str();
  int fd = openat(folder->fd(), name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  static_cast<mode_t>(mode.value_or(0666)));
  if (fd < 0) return FailureFromErrno(errno);
  int error = mode && fchmod(fd, static_cast<mode_t>(*mode)) != 0 ? errno : WriteAll(fd, bytes);
  if (close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    unlinkat(folder->fd(), name, 0);
    return FailureFromErrno(error);
  }
  return Status();
}

HostFileLock::HostFileLock(const std::string& lockPath, bool wait) {
  Expected<int> fd = OpenHostFile(lockPath, O_RDWR | O_CREAT);
  if (!fd.ok()) {
    m_status = fd.status();
    return;
  }
  m_fd = *fd;
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
