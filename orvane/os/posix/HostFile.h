// Whole-file reads and crash-safe writes of host files, for the posix
// backend of the OS seam.
#ifndef ORVANE_OS_POSIX_HOSTFILE_H_
#define ORVANE_OS_POSIX_HOSTFILE_H_

#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>

#include "orvane/os/Files.h"
#include "orvane/os/Status.h"

namespace orvane::os::posix {

// The bytes of a host file (kFileNotFound when it is missing). statSize,
// the size a stat just gave of it as a regular file, lets a file that still
// has that size be read in one call.
Expected<std::string> ReadHostFile(const std::string& hostPath,
                                   std::optional<off_t> statSize = std::nullopt);

// Writes all bytes to fd; the errno of the failure, or 0.
int WriteAll(int fd, const std::string& bytes);

// The folder that holds a host path's last component, reached without
// following a symbolic link in any component below the machine's root (the
// root itself may be one); a path outside the machine is taken as it stands.
// A link on the way fails with kAccessDenied, a missing folder with
// kPathNotFound. Operations relative to fd() cannot be diverted by a link
// planted on the way after the folder was opened.
class HostFolder {
 public:
  static Expected<HostFolder> Of(const std::string& hostPath);
  HostFolder(HostFolder&& other) noexcept;
  HostFolder& operator=(HostFolder&&) = delete;
  ~HostFolder();

  int fd() const { return m_fd; }
  // The last component of the path the folder was opened for.
  const std::string& name() const { return m_name; }
  // True when name() is a symbolic link; a file that the library writes is
  // never written through one.
  bool NameIsLink() const;

 private:
  HostFolder(int fd, std::string name) : m_fd(fd), m_name(std::move(name)) {}

  int m_fd;
  std::string m_name;
};

// Opens a host file with open's flags. One opened for writing is reached as
// HostFolder tells and never through a symbolic link at its name
// (kAccessDenied); one opened for reading follows links as open does.
// The descriptor, which the caller closes.
Expected<int> OpenHostFile(const std::string& hostPath, int flags, int createMode = 0666);

// The new content of a host file, written to a temporary file beside it and
// renamed over it by Commit, so that a crash, a full disk or a second writer
// leaves either the old or the new content, never a mix.
//
// The temporary is named "<file name>.~<process id>.<count>" and created
// exclusively (never through an existing file or a planted symbolic link),
// in the file's folder reached as HostFolder tells. It gets the permission
// bits of the file it replaces, or newFileMode for a new file, as modeRule
// says (see ReplacedFileMode). It holds an flock
// for the writer's lifetime, so that a later writer can tell a temporary
// left by a killed writer from one still being written: Begin removes the
// former beside the file.
//
// A symbolic link at the file's name is replaced like a file, never
// followed, and never kept as the backup.
class HostReplacement {
 public:
  static Expected<HostReplacement> Begin(const std::string& hostPath, int newFileMode,
                                         ReplacedFileMode modeRule = ReplacedFileMode::kKept);
  HostReplacement(HostReplacement&& other) noexcept;
  HostReplacement& operator=(HostReplacement&&) = delete;
  // Removes the temporary unless it was committed.
  ~HostReplacement();

  // The temporary's descriptor, open for writing.
  int fd() const { return m_fd; }
  // Forces the content to disk and renames the temporary over the file;
  // with backupHostPath, the file's previous content is moved there, with
  // the mode of the new content, unless the new content equals it (bytes
  // and mode): then the temporary goes and nothing else changes.
  Status Commit(const std::string* backupHostPath = nullptr);

 private:
  HostReplacement(HostFolder folder, std::string temporary, int fd, int mode);
  void KeepAsBackup(const std::string& backupHostPath);

  HostFolder m_folder;
  std::string m_temporary;  // a name in m_folder
  int m_fd;
  int m_mode;  // the new content's permission bits
  bool m_committed = false;
};

// Replaces a host file's content as one step, through a HostReplacement: a
// new file gets 0666 less the umask and a replaced one keeps its mode, or
// with mode, exactly that mode in either case.
Status ReplaceHostFile(const std::string& hostPath, const std::string& bytes,
                       std::optional<int> mode = std::nullopt);

// Creates a new host file with the bytes (0666 less the umask, or exactly
// mode); kAlreadyExists when there is one, a symbolic link included. A file
// that cannot be written completely is removed again.
Status CreateHostFile(const std::string& hostPath, const std::string& bytes,
                      std::optional<int> mode = std::nullopt);

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
