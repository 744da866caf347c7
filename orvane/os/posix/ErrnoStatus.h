// Win32 error codes for the failures of host (POSIX) calls, for the posix
// backend of the OS seam.
#ifndef ORVANE_OS_POSIX_ERRNOSTATUS_H_
#define ORVANE_OS_POSIX_ERRNOSTATUS_H_

#include "orvane/os/Status.h"

namespace orvane::os::posix {

// The Win32 error code that Windows would report for a failure that the host
// reports as errno value error (ENOENT -> kFileNotFound, EEXIST ->
// kAlreadyExists, ENOSPC -> kDiskFull, ...). Callers that can tell a missing
// file from a missing directory pick kPathNotFound themselves.
unsigned long Win32ErrorFromErrno(int error);

// Status::Failure of that code; records it as the thread's last error.
Status FailureFromErrno(int error);

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_ERRNOSTATUS_H_
