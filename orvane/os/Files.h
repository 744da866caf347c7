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

// Which mode the content of a ReplacementFile gets.
enum class ReplacedFileMode {
  kKept,            // the mode of the file it replaces; newFileMode for a new file
  kWithoutOthers,  // as kKept, less the bits for others (0644 becomes 0640)
  kReset,           // exactly newFileMode, also over a file that had another
};

// An exclusive lock on a lock file (created when missing), for files that
// other processes change too: held for the object's lifetime, and released
// when its process dies. It waits for another holder to release it, or with
// kFailIfHeld fails at once with kLockViolation, so that a caller can say
// that it waits.
enum class LockWait { kWait, kFailIfHeld };

struct DirectoryEntry {
  std::string name;  // spelling as stored, without the directory
  bool isDirectory;
};

#include "orvane/os/FilesCalls.inc"

}  // namespace orvane::os

#endif  // ORVANE_OS_FILES_H_
