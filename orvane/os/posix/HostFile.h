// Whole-file reads and crash-safe writes of host files, for the posix
// backend of the OS seam.
#ifndef ORVANE_OS_POSIX_HOSTFILE_H_
#define ORVANE_OS_POSIX_HOSTFILE_H_

#include <string>

#include "orvane/os/Status.h"

namespace orvane::os::posix {

// The bytes of a host file (kFileNotFound when it is missing).
Expected<std::string> ReadHostFile(const std::string& hostPath);

// The new content of a host file, written to a temporary file beside it and
// renamed over it by Commit, so that a crash, a full disk or a second writer
// leaves either the old or the new content, never a mix.
//
// The temporary is named "<file name>.~<process id>.<count>" and created
// exclusively (never through an existing file or a planted symbolic link).
// It gets the permission bits of the file it replaces, or newFileMode for a
// new file, and holds an flock for the writer's lifetime, so that a later
// writer can tell a temporary left by a killed writer from one still being
// written: Begin removes the former beside the file.
//
// A file that is a symbolic link is replaced at the file the link leads to,
// as long as that lies inside the machine's folder; a link leading out of it
// is refused with kAccessDenied.
class HostReplacement {
 public:
  static Expected<HostReplacement> Begin(const std::string& hostPath, int newFileMode);
  HostReplacement(HostReplacement&& other) noexcept;
  HostReplacement& operator=(HostReplacement&&) = delete;
  // Removes the temporary unless it was committed.
  ~HostReplacement();

  // The temporary's descriptor, open for writing.
  int fd() const { return m_fd; }
  // Forces the content to disk and renames the temporary over the file;
  // with backupHostPath, the file's previous content is moved there.
  Status Commit(const std::string* backupHostPath = nullptr);

 private:
  HostReplacement(std::string target, std::string temporary, int fd);

  std::string m_target;
  std::string m_temporary;
  int m_fd;
  bool m_committed = false;
};

// Removes the temporaries beside hostPath whose writers are gone.
void RemoveStaleTemporaries(const std::string& hostPath);

// Replaces a host file's content as one step, through a HostReplacement
// (a new file gets 0666 less the umask).
Status ReplaceHostFile(const std::string& hostPath, const std::string& bytes);

// Creates a new host file with the bytes; kAlreadyExists when there is one.
// A file that cannot be written completely is removed again.
Status CreateHostFile(const std::string& hostPath, const std::string& bytes);

// An exclusive flock on a lock file (created when missing), held for the
// object's lifetime; it dies with its process. Unless wait is set, a lock
// held elsewhere fails at once with kLockViolation.
class HostFileLock {
 public:
  explicit HostFileLock(const std::string& lockPath, bool wait = true);
  ~HostFileLock();
  HostFileLock(const HostFileLock&) = delete;
  HostFileLock& operator=(const HostFileLock&) = delete;

  const Status& status() const { return m_status; }

 private:
  int m_fd = -1;
  Status m_status;
};

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_HOSTFILE_H_
