// Whole-file reads and crash-safe writes of host files, for the posix
// backend of the OS seam.
#ifndef ORVANE_OS_POSIX_HOSTFILE_H_
#define ORVANE_OS_POSIX_HOSTFILE_H_

#include <string>

#include "orvane/os/Status.h"

namespace orvane::os::posix {

// The bytes of a host file (kFileNotFound when it is missing).
Expected<std::string> ReadHostFile(const std::string& hostPath);

// Replaces a host file's content as one step: the bytes go to a temporary
// file beside it that is then renamed over it, so that a crash or a full
// disk leaves either the old or the new content. A replaced file keeps its
// permission bits; a new one gets 0666 less the umask.
Status ReplaceHostFile(const std::string& hostPath, const std::string& bytes);

// Creates a new host file with the bytes; kAlreadyExists when there is one.
// A file that cannot be written completely is removed again.
Status CreateHostFile(const std::string& hostPath, const std::string& bytes);

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_HOSTFILE_H_
