// Files and directories of the OS seam.
//
// Paths are Windows paths ("C:\dir\file", "/" accepted like "\"). On the
// emulated machine they name files on the machine's drives, and existing
// components are matched without regard to letter case, as on Windows.
//
// Nothing here writes through a symbolic link: a folder that a call writes
// into (creating, replacing, renaming, deleting, changing a mode) is reached
// without following a link in any of its components below the machine's
// root (on Windows, below the drive's root: a reparse point, see IsLink),
// and a link on the way fails the call with kAccessDenied. Reading follows
// links.
#ifndef ORVANE_OS_FILES_H_
#define ORVANE_OS_FILES_H_

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "orvane/os/Status.h"

namespace orvane::os {

// Opens a file as fopen does, with fopen's mode letters. Without "b" the file
// is a text stream: "\n" is written as CR LF, and CR LF reads as "\n". With
// "b" bytes pass through unchanged. Null on failure (LastError tells why).
// The caller closes the stream with fclose. A file the call creates has
// newFileMode from the start (modes exist on the emulated machine only), so
// a private file is never open to others, not even for a moment. A file
// opened for writing is never one that a symbolic link at its name leads to
// (kAccessDenied).
FILE* OpenFile(const std::string& path, const char* mode, int newFileMode = 0666);

// Which mode the content of a ReplacementFile gets.
enum class ReplacedFileMode {
  kKept,            // the mode of the file it replaces; newFileMode for a new file
  kWithoutOthers,  // as kKept, less the bits for others (0644 becomes 0640)
  kReset,           // exactly newFileMode, also over a file that had another
};

// The new content of a file, written to a temporary file beside it and
// renamed over it by Commit, so that a crash, a full disk or a second writer
// never leaves the file half-written, missing or mixed with another's.
//
// The temporary has a unique name ("<file name>.~<process id>.<count>"), is
// created exclusively (never through an existing file or a planted symbolic
// link), gets its mode as modeRule says (modes exist on the emulated machine
// only) from the start, and is forced to disk before the rename.
// Temporaries that killed writers left beside the file are removed on the
// way. A symbolic link at the file's name is replaced by the file, never
// followed, and never becomes the backup.
//
// On Windows a newFileMode that gives nothing to group and others (0600,
// 0700) makes the file readable by its owner and the Administrators only.
class ReplacementFile {
 public:
  // mode is "w" (text stream) or "wb"; stream() is null when the temporary
  // cannot be made, and status() tells why.
  ReplacementFile(const std::string& path, const char* mode, int newFileMode = 0666,
                  ReplacedFileMode modeRule = ReplacedFileMode::kKept);
  // Removes the temporary unless it was committed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  FILE* stream() const;
  const Status& status() const;
  // Closes the stream, failing when anything written did not reach the disk;
  // the temporary stays until Commit or destruction.
  Status Finish();
  // Finishes if need be, then renames the temporary over the file.
  Status Commit();
  // As Commit, and the file's previous content (when there is one) ends up
  // under backupPath, replacing an older backup; the file is never missing
  // on the way. The backup has the mode of the new content. A failed backup
  // costs only the backup: the result tells about the file. New content that
  // equals the file's (bytes and mode; on Windows bytes, of a file that is
  // not private) changes nothing: the file and its backup stay as they are,
  // so that a second run of the same work keeps the backup of the first.
  Status Commit(const std::string& backupPath);

  class Impl;

 private:
  std::unique_ptr<Impl> m_impl;
};

// An exclusive lock on a lock file (created when missing), for files that
// other processes change too: held for the object's lifetime, and released
// when its process dies. It waits for another holder to release it, or with
// kFailIfHeld fails at once with kLockViolation, so that a caller can say
// that it waits.
enum class LockWait { kWait, kFailIfHeld };

class FileLock {
 public:
  explicit FileLock(const std::string& lockPath, LockWait wait = LockWait::kWait);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  const Status& status() const;

  class Impl;

 private:
  std::unique_ptr<Impl> m_impl;
};

// Reopens a standard stream (stdout, stderr) on a file, as freopen does.
FILE* ReopenFile(const std::string& path, const char* mode, FILE* stream);

// True when the path names an existing file or directory.
bool PathExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// True when the path's last component is a symbolic link (or, on Windows,
// another reparse point, such as a junction), whatever it leads to.
bool IsLink(const std::string& path);

// True when both paths name one existing file or directory, however they are
// spelt (letter case, ".", "..", "/" or a second link to it).
bool SameFile(const std::string& a, const std::string& b);

// Copies a file; an existing target is overwritten unless failIfExists. The
// copy is made beside the target and renamed into place, with the source's
// mode from the start: a link at the target's name is replaced, never
// written through.
Status CopyFile(const std::string& source, const std::string& target, bool failIfExists = false);

// Renames a file or directory, replacing an existing target file; atomic
// when both are on one drive.
Status MoveFile(const std::string& source, const std::string& target);

Status DeleteFile(const std::string& path);

// Makes one directory; its parent must exist. Fails with kAlreadyExists when
// the directory is there already.
Status CreateDirectory(const std::string& path);

// Removes an empty directory.
Status RemoveDirectory(const std::string& path);

struct DirectoryEntry {
  std::string name;  // spelling as stored, without the directory
  bool isDirectory;
};

// The entries of a directory whose names match a wildcard pattern ("*" and
// "?", letter case ignored), as a FindFirstFile search of directory\pattern
// gives them; "." and ".." are not listed. Fails with kFileNotFound when
// nothing matches and kPathNotFound when the directory does not exist.
Expected<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory,
                                                    const std::string& pattern = "*");

// The short (8.3) form of an existing path; the emulated drives have none, so
// there the path comes back unchanged.
Expected<std::string> ShortPathName(const std::string& path);

// The Windows directory, without a trailing backslash ("C:\WINNT").
std::string WindowsDirectory();

// Portability hooks for file modes and owners: nothing to do on Windows. On
// the emulated machine the mode is applied to the host file, never to where
// a symbolic link at the path leads (kAccessDenied), and owners are
// recorded nowhere.
Status SetFileMode(const std::string& path, int mode);
Status SetFileOwner(const std::string& path, const std::string& owner);

}  // namespace orvane::os

#endif  // ORVANE_OS_FILES_H_
