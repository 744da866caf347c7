// Files and directories on the emulated machine's drives. Windows paths are
// mapped to host paths by Machine.h; failures carry the codes that Windows
// gives for them, which tells a missing file (kFileNotFound) from a missing
// folder on the way (kPathNotFound).
#include "orvane/os/Files.h"
#include "orvane/os/Backend.h"
#include "orvane/os/WindowsNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>

#include "orvane/os/posix/ErrnoStatus.h"
#include "orvane/os/posix/HostFile.h"
#include "orvane/os/posix/Machine.h"
#include "orvane/os/posix/TextStream.h"

namespace orvane::os::backend {

using posix::HostPath;

namespace {

bool IsHostDirectory(const std::string& hostPath) {
  struct stat info;
  return stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// What a host path leads to (links followed, as stat follows them), from
// the lstat that mapping it gave; *target receives the stat when it leads
// somewhere. A link costs one more look-up, anything else none.
PathKind KindOfEntry(const std::optional<struct stat>& entry, const std::string& hostPath,
                     struct stat* target) {
  if (!entry) return PathKind::kMissing;
  *target = *entry;
  if (S_ISLNK(entry->st_mode) && stat(hostPath.c_str(), target) != 0) return PathKind::kMissing;
  return S_ISDIR(target->st_mode) ? PathKind::kDirectory : PathKind::kFile;
}

// The host path of a Windows path, and in *kind what it leads to.
Expected<std::string> HostPathAndKind(const std::string& path, PathKind* kind) {
  std::optional<struct stat> entry;
  Expected<std::string> hostPath = HostPath(path, &entry);
  struct stat target;
  *kind = hostPath.ok() ? KindOfEntry(entry, *hostPath, &target) : PathKind::kMissing;
  return hostPath;
}

std::string HostParentOf(const std::string& hostPath) {
  size_t slash = hostPath.rfind('/');
  return slash == std::string::npos || slash == 0 ? "/" : hostPath.substr(0, slash);
}

// The failure for errno after a host call on hostPath.
Status PathFailure(int error, const std::string& hostPath) {
  if (error == ENOENT && !IsHostDirectory(HostParentOf(hostPath))) {
    return Status::Failure(kPathNotFound);
  }
  return posix::FailureFromErrno(error);
}

// lstat of the host path, or the failure Windows reports for a missing one.
Status StatHost(const std::string& hostPath, struct stat* info) {
  if (lstat(hostPath.c_str(), info) != 0) return PathFailure(errno, hostPath);
  return Status();
}

// The failure of a host call that opens or creates hostPath.
Status OpenFailure(const Status& failure, const std::string& hostPath) {
  // CreateFile reports an existing file that must be new as "file exists".
  if (failure.code() == kAlreadyExists) return Status::Failure(kFileExists);
  if (failure.code() == kFileNotFound) return PathFailure(ENOENT, hostPath);
  return failure;
}

// Moves a file to another file system, as a rename across drives does.
Status MoveAcrossFileSystems(const std::string& source, const std::string& target) {
  Expected<std::string> bytes = posix::ReadHostFile(source);
  if (!bytes.ok()) return bytes.status();
  struct stat info;
  if (stat(source.c_str(), &info) != 0) return posix::FailureFromErrno(errno);
  Status copied = posix::ReplaceHostFile(target, *bytes, info.st_mode & 07777);
  if (copied.ok() && unlink(source.c_str()) != 0) return posix::FailureFromErrno(errno);
  return copied;
}

}  // namespace

FILE* OpenFile(const std::string& path, const char* mode, int newFileMode) {
  std::optional<posix::StreamMode> streamMode = posix::ParseStreamMode(mode);
  if (!streamMode) {
    Status::Failure(kInvalidParameter);
    return nullptr;
  }
  streamMode->createMode = newFileMode & 07777;
  PathKind kind;
  Expected<std::string> hostPath = HostPathAndKind(path, &kind);
  if (!hostPath.ok()) return nullptr;
  if (kind == PathKind::kDirectory) {
    Status::Failure(kAccessDenied);
    return nullptr;
  }
  Expected<int> fd = posix::OpenHostFile(*hostPath, streamMode->openFlags, streamMode->createMode);
  if (!fd.ok()) {
    OpenFailure(fd.status(), *hostPath);
    return nullptr;
  }
  FILE* stream = streamMode->binary ? fdopen(*fd, streamMode->stdioMode.c_str())
                                    : posix::OpenTextStreamOn(*fd, streamMode->stdioMode.c_str());
  if (stream == nullptr) {
    if (streamMode->binary) close(*fd);
    posix::FailureFromErrno(errno);
  }
  return stream;
}

FILE* OpenHostStream(const std::string& hostPath, const char* mode, int newFileMode) {
  std::optional<posix::StreamMode> streamMode = posix::ParseStreamMode(mode);
  if (!streamMode) {
    Status::Failure(kInvalidParameter);
    return nullptr;
  }
  int fd = open(hostPath.c_str(), streamMode->openFlags | O_CLOEXEC, newFileMode & 07777);
  if (fd < 0) {
    posix::FailureFromErrno(errno);
    return nullptr;
  }
  FILE* stream = streamMode->binary ? fdopen(fd, streamMode->stdioMode.c_str())
                                    : posix::OpenTextStreamOn(fd, streamMode->stdioMode.c_str());
  if (stream == nullptr && streamMode->binary) close(fd);
  return stream;
}

unsigned long CurrentProcessId() {
  return static_cast<unsigned long>(getpid());
}

Expected<std::string> MakeScratchFolder() {
  const char* temporary = std::getenv("TMPDIR");
  std::string pattern = std::string(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp") +
                        "/orvane-plan.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return posix::FailureFromErrno(errno);
  return pattern;
}

void RemoveScratchFolder(const std::string& hostPath) {
  if (DIR* folder = opendir(hostPath.c_str())) {
    while (const dirent* entry = readdir(folder)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") unlink((hostPath + "/" + name).c_str());
    }
    closedir(folder);
  }
  rmdir(hostPath.c_str());
}

class ReplacementFile::Impl {
 public:
  Impl(const std::string& path, const char* mode, int newFileMode, ReplacedFileMode modeRule);

  std::optional<posix::HostReplacement> replacement;
  FILE* stream = nullptr;
  Status status;
  bool finished = false;
};

ReplacementFile::Impl::Impl(const std::string& path, const char* mode, int newFileMode,
                            ReplacedFileMode modeRule) {
  std::optional<posix::StreamMode> streamMode = posix::ParseStreamMode(mode);
  if (!streamMode || mode[0] != 'w') {
    status = Status::Failure(kInvalidParameter);
    return;
  }
  PathKind kind;
  Expected<std::string> hostPath = HostPathAndKind(path, &kind);
  if (!hostPath.ok()) {
    status = hostPath.status();
    return;
  }
  if (kind == PathKind::kDirectory) {
    status = Status::Failure(kAccessDenied);
    return;
  }
  Expected<posix::HostReplacement> begun =
      posix::HostReplacement::Begin(*hostPath, newFileMode, modeRule);
  if (!begun.ok()) {
    status = begun.status().code() == kFileNotFound ? PathFailure(ENOENT, *hostPath)
                                                    : begun.status();
    return;
  }
  // The stream writes through a descriptor of its own; the replacement's
  // keeps the writer's lock until the rename.
  int fd = fcntl(begun->fd(), F_DUPFD_CLOEXEC, 0);
  if (fd >= 0) {
    stream = streamMode->binary ? fdopen(fd, "w") : posix::OpenTextStreamOn(fd, "w");
    if (stream == nullptr && streamMode->binary) close(fd);
  }
  if (stream == nullptr) {
    status = posix::FailureFromErrno(errno);
    return;
  }
  replacement.emplace(std::move(*begun));
}

ReplacementFile::ReplacementFile(const std::string& path, const char* mode, int newFileMode,
                                 ReplacedFileMode modeRule)
    : m_impl(std::make_unique<Impl>(path, mode, newFileMode, modeRule)) {}

ReplacementFile::~ReplacementFile() {
  if (m_impl->stream != nullptr) std::fclose(m_impl->stream);
}

FILE* ReplacementFile::stream() const { return m_impl->stream; }

const Status& ReplacementFile::status() const { return m_impl->status; }

Status ReplacementFile::Finish() {
  Impl& impl = *m_impl;
  if (impl.finished || impl.stream == nullptr) return impl.status;
  impl.finished = true;
  errno = 0;
  bool failed = std::fflush(impl.stream) != 0 || std::ferror(impl.stream) != 0;
  int error = errno;
  if (std::fclose(impl.stream) != 0 && !failed) {
    failed = true;
    error = errno;
  }
  impl.stream = nullptr;
  if (failed) impl.status = posix::FailureFromErrno(error != 0 ? error : EIO);
  return impl.status;
}

Status ReplacementFile::Commit() {
  Status finished = Finish();
  if (!finished.ok() || !m_impl->replacement) return finished;
  m_impl->status = m_impl->replacement->Commit();
  m_impl->replacement.reset();
  return m_impl->status;
}

Status ReplacementFile::Commit(const std::string& backupPath) {
  Status finished = Finish();
  if (!finished.ok() || !m_impl->replacement) return finished;
  Expected<std::string> backupHost = HostPath(backupPath);
  m_impl->status = m_impl->replacement->Commit(backupHost.ok() ? &*backupHost : nullptr);
  m_impl->replacement.reset();
  return m_impl->status;
}

class FileLock::Impl {
 public:
  Impl(const std::string& lockPath, LockWait wait) {
    Expected<std::string> hostPath = HostPath(lockPath);
    if (hostPath.ok()) {
      lock.emplace(*hostPath, wait == LockWait::kWait);
      status = lock->status();
    } else {
      status = hostPath.status();
    }
  }

  std::optional<posix::HostFileLock> lock;
  Status status;
};

FileLock::FileLock(const std::string& lockPath, LockWait wait)
    : m_impl(std::make_unique<Impl>(lockPath, wait)) {}

FileLock::~FileLock() = default;

const Status& FileLock::status() const { return m_impl->status; }

// The stream keeps its FILE object and its file descriptor, which now refers
// to the file (dup2), so that the programs started afterwards inherit the
// file as their standard output or error, as they do on Windows. It writes
// bytes unchanged: the children write to the descriptor as they please. Only
// streams with a file descriptor can be reopened (kInvalidHandle for the
// text streams of OpenFile, which have none).
FILE* ReopenFile(const std::string& path, const char* mode, FILE* stream) {
  std::optional<posix::StreamMode> streamMode = posix::ParseStreamMode(mode);
  if (!streamMode) {
    Status::Failure(kInvalidParameter);
    return nullptr;
  }
  int target = fileno(stream);
  if (target < 0) {
    Status::Failure(kInvalidHandle);
    return nullptr;
  }
  Expected<std::string> hostPath = HostPath(path);
  if (!hostPath.ok()) return nullptr;
  Expected<int> fd = posix::OpenHostFile(*hostPath, streamMode->openFlags);
  if (!fd.ok()) {
    OpenFailure(fd.status(), *hostPath);
    return nullptr;
  }
  std::fflush(stream);  // what was written so far goes to the old file
  bool moved = dup2(*fd, target) >= 0;
  int error = errno;
  close(*fd);
  if (!moved) {
    posix::FailureFromErrno(error);
    return nullptr;
  }
  std::clearerr(stream);
  return stream;
}

bool PathExists(const std::string& path) { return KindOfPath(path) != PathKind::kMissing; }

bool DirectoryExists(const std::string& path) { return KindOfPath(path) == PathKind::kDirectory; }

PathKind KindOfPath(const std::string& path) {
  PathKind kind;
  HostPathAndKind(path, &kind);
  return kind;
}

PathState StateOfPath(const std::string& path, bool withBytes) {
  PathState state;
  std::optional<struct stat> entry;
  Expected<std::string> hostPath = HostPath(path, &entry);
  if (!hostPath.ok()) state.mode = hostPath.status();
  if (!entry) return state;
  state.mode = static_cast<int>(entry->st_mode & 07777);
  struct stat target;
  state.kind = KindOfEntry(entry, *hostPath, &target);
  if (withBytes && state.kind == PathKind::kFile) {
    const std::optional<off_t> size =
        S_ISREG(target.st_mode) ? std::optional<off_t>(target.st_size) : std::nullopt;
    Expected<std::string> bytes = posix::ReadHostFile(*hostPath, size);
    if (bytes.ok()) state.bytes = std::move(*bytes);
  }
  return state;
}

bool IsLink(const std::string& path) {
  Expected<std::string> hostPath = HostPath(path);
  struct stat info;
  return hostPath.ok() && lstat(hostPath->c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
  Expected<std::string> hostA = HostPath(a);
  Expected<std::string> hostB = HostPath(b);
  struct stat infoA, infoB;
  return hostA.ok() && hostB.ok() && stat(hostA->c_str(), &infoA) == 0 &&
         stat(hostB->c_str(), &infoB) == 0 && infoA.st_dev == infoB.st_dev &&
         infoA.st_ino == infoB.st_ino;
}

Status CopyFile(const std::string& source, const std::string& target, bool failIfExists) {
  Expected<std::string> sourceHost = HostPath(source);
  if (!sourceHost.ok()) return sourceHost.status();
  Expected<std::string> targetHost = HostPath(target);
  if (!targetHost.ok()) return targetHost.status();
  struct stat sourceInfo;
  Status found = StatHost(*sourceHost, &sourceInfo);
  if (!found.ok()) return found;
  if (IsHostDirectory(*sourceHost) || IsHostDirectory(*targetHost)) {
    return Status::Failure(kAccessDenied);
  }
  Expected<std::string> bytes = posix::ReadHostFile(*sourceHost);
  if (!bytes.ok()) return bytes.status();
  // Like CopyFile's attributes, the mode goes along (a copied program stays
  // executable).
  if (stat(sourceHost->c_str(), &sourceInfo) != 0) return PathFailure(errno, *sourceHost);
  const int mode = static_cast<int>(sourceInfo.st_mode & 07777);
  Status written = failIfExists ? posix::CreateHostFile(*targetHost, *bytes, mode)
                                : posix::ReplaceHostFile(*targetHost, *bytes, mode);
  return written.ok() ? written : OpenFailure(written, *targetHost);
}

Status MoveFile(const std::string& source, const std::string& target) {
  Expected<std::string> sourceHost = HostPath(source);
  if (!sourceHost.ok()) return sourceHost.status();
  std::string finalName;
  Expected<std::string> targetFolder = posix::HostParentPath(target, &finalName);
  if (!targetFolder.ok()) return targetFolder.status();
  Expected<std::string> targetHost = HostPath(target);
  if (!targetHost.ok()) return targetHost.status();
  struct stat sourceInfo, targetInfo;
  Status found = StatHost(*sourceHost, &sourceInfo);
  if (!found.ok()) return found;
  std::string destination = *targetHost;
  if (lstat(targetHost->c_str(), &targetInfo) == 0) {
    bool sameFile = sourceInfo.st_dev == targetInfo.st_dev && sourceInfo.st_ino == targetInfo.st_ino;
    if (sameFile) {
      // Only the letter case changes.
      destination = *targetFolder + "/" + finalName;
    } else if (S_ISDIR(targetInfo.st_mode) || S_ISDIR(sourceInfo.st_mode)) {
      return Status::Failure(kAccessDenied);
    }
  }
  Expected<posix::HostFolder> from = posix::HostFolder::Of(*sourceHost);
  if (!from.ok()) return from.status();
  Expected<posix::HostFolder> to = posix::HostFolder::Of(destination);
  if (!to.ok()) return to.status();
  if (renameat(from->fd(), from->name().c_str(), to->fd(), to->name().c_str()) == 0) {
    return Status();
  }
  if (errno == EXDEV && S_ISREG(sourceInfo.st_mode)) {
    return MoveAcrossFileSystems(*sourceHost, destination);
  }
  return PathFailure(errno, destination);
}

Status DeleteFile(const std::string& path) {
  Expected<std::string> hostPath = HostPath(path);
  if (!hostPath.ok()) return hostPath.status();
  struct stat info;
  Status found = StatHost(*hostPath, &info);
  if (!found.ok()) return found;
  if (S_ISDIR(info.st_mode)) return Status::Failure(kAccessDenied);
  Expected<posix::HostFolder> folder = posix::HostFolder::Of(*hostPath);
  if (!folder.ok()) return folder.status();
  if (unlinkat(folder->fd(), folder->name().c_str(), 0) != 0) return posix::FailureFromErrno(errno);
  return Status();
}

Status CreateDirectory(const std::string& path) {
  Expected<std::string> hostPath = HostPath(path);
  if (!hostPath.ok()) return hostPath.status();
  Expected<posix::HostFolder> folder = posix::HostFolder::Of(*hostPath);
  if (!folder.ok()) return folder.status();
  if (mkdirat(folder->fd(), folder->name().c_str(), 0777) != 0) {
    return errno == ENOENT ? Status::Failure(kPathNotFound) : posix::FailureFromErrno(errno);
  }
  return Status();
}

Status RemoveDirectory(const std::string& path) {
  Expected<std::string> hostPath = HostPath(path);
  if (!hostPath.ok()) return hostPath.status();
  struct stat info;
  Status found = StatHost(*hostPath, &info);
  if (!found.ok()) return found;
  if (!S_ISDIR(info.st_mode)) return Status::Failure(kDirectoryInvalid);
  Expected<posix::HostFolder> folder = posix::HostFolder::Of(*hostPath);
  if (!folder.ok()) return folder.status();
  if (unlinkat(folder->fd(), folder->name().c_str(), AT_REMOVEDIR) != 0) {
    bool notEmpty = errno == ENOTEMPTY || errno == EEXIST;
    return notEmpty ? Status::Failure(kDirectoryNotEmpty) : posix::FailureFromErrno(errno);
  }
  return Status();
}

Expected<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory,
                                                    const std::string& pattern) {
  Expected<std::string> hostPath = HostPath(directory);
  if (!hostPath.ok()) return hostPath.status();
  DIR* listing = opendir(hostPath->c_str());
  if (listing == nullptr) {
    return errno == ENOENT || errno == ENOTDIR ? Status::Failure(kPathNotFound)
                                               : posix::FailureFromErrno(errno);
  }
  std::vector<DirectoryEntry> entries;
  while (const dirent* entry = readdir(listing)) {
    std::string name = entry->d_name;
    if (name == "." || name == ".." || !MatchesWildcard(name, pattern)) continue;
    entries.push_back(DirectoryEntry{name, IsHostDirectory(*hostPath + "/" + name)});
  }
  closedir(listing);
  if (entries.empty()) return Status::Failure(kFileNotFound);
  std::sort(entries.begin(), entries.end(), ListedBefore);
  return entries;
}

Expected<std::string> ShortPathName(const std::string& path) {
  Expected<std::string> hostPath = HostPath(path);
  if (!hostPath.ok()) return hostPath.status();
  struct stat info;
  if (stat(hostPath->c_str(), &info) != 0) return PathFailure(errno, *hostPath);
  return path;
}

std::string WindowsDirectory() { return "C:\\WINNT"; }

Status SetFileMode(const std::string& path, int mode) {
  Expected<std::string> hostPath = HostPath(path);
  if (!hostPath.ok()) return hostPath.status();
  Expected<posix::HostFolder> folder = posix::HostFolder::Of(*hostPath);
  if (!folder.ok()) return folder.status();
  // Opened without following a link at the name, and changed on the open file.
  int fd = openat(folder->fd(), folder->name().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ELOOP ? Status::Failure(kAccessDenied) : PathFailure(errno, *hostPath);
  const bool changed = fchmod(fd, static_cast<mode_t>(mode)) == 0;
  const int error = errno;
  close(fd);
  return changed ? Status() : posix::FailureFromErrno(error);
}

Expected<int> FileMode(const std::string& path) {
  Expected<std::string> hostPath = HostPath(path);
  if (!hostPath.ok()) return hostPath.status();
  struct stat info;
  if (lstat(hostPath->c_str(), &info) != 0) return PathFailure(errno, *hostPath);
  return static_cast<int>(info.st_mode & 07777);
}

Status SetFileOwner(const std::string&, const std::string&) { return Status(); }

}  // namespace orvane::os::backend
