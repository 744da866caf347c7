// Status from the two ways the Win32 API reports a failure: a returned error
// code (the registry, Windows Sockets start-up) or the thread's last error.
#ifndef ORVANE_OS_WIN32_APISTATUS_H_
#define ORVANE_OS_WIN32_APISTATUS_H_

#include "orvane/os/Status.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {

// Success for ERROR_SUCCESS, else a failure with that code.
inline Status StatusFromCode(LONG code) {
  return code == ERROR_SUCCESS ? Status() : Status::Failure(static_cast<unsigned long>(code));
}

// The failure of an API call that has just returned its failure value. A
// call that failed without setting the last error still fails.
inline Status LastErrorFailure() {
  DWORD code = ::GetLastError();
  return Status::Failure(code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE);
}

}  // namespace orvane::os

#endif  // ORVANE_OS_WIN32_APISTATUS_H_
