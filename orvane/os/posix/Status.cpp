// The last error and errno translation of the posix backend.
#include <cerrno>

#include "orvane/os/Status.h"
#include "orvane/os/posix/ErrnoStatus.h"

namespace orvane::os {

namespace {
thread_local unsigned long t_lastError = kSuccess;
}  // namespace

unsigned long LastError() { return t_lastError; }

void SetLastError(unsigned long code) { t_lastError = code; }

namespace posix {

unsigned long Win32ErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return kSuccess;
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
    case ELOOP:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY:
    case ETXTBSY:
      return kAccessDenied;
    case EEXIST:
      return kAlreadyExists;
    case ENOTEMPTY:
      return kDirectoryNotEmpty;
    case ENOSPC:
    case EDQUOT:
      return kDiskFull;
    case ENOMEM:
      return kNotEnoughMemory;
    case ENAMETOOLONG:
      return kInvalidName;
    case EBADF:
      return kInvalidHandle;
    case EIO:
      return kWriteFault;
    case ENOSYS:
    case EOPNOTSUPP:
      return kNotSupported;
    default:
      return kInvalidParameter;
  }
}

Status FailureFromErrno(int error) {
  unsigned long code = Win32ErrorFromErrno(error);
  return Status::Failure(code == kSuccess ? kInvalidParameter : code);
}

}  // namespace posix
}  // namespace orvane::os
