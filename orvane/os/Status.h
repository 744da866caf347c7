// Results of the OS seam.
//
// Every operation of the seam that can fail says why with a Win32 error code,
// on every backend, so that the layers above can follow the product's
// algorithms (which test for "already exists", "no more items" and the like)
// and KelGetLastError can report the code. A failing operation also records
// its code as the calling thread's last error.
#ifndef ORVANE_OS_STATUS_H_
#define ORVANE_OS_STATUS_H_

#include <cassert>
#include <optional>
#include <utility>

namespace orvane::os {

// The Win32 error codes that the seam reports.
enum ErrorCode : unsigned long {
  kSuccess = 0,
  kFileNotFound = 2,
  kPathNotFound = 3,
  kAccessDenied = 5,
  kInvalidHandle = 6,
  kNotEnoughMemory = 8,
  kWriteFault = 29,
  kReadFault = 30,
  kLockViolation = 33,  // another process holds the lock
  kNotSupported = 50,
  kFileExists = 80,
  kInvalidParameter = 87,
  kDiskFull = 112,
  kInsufficientBuffer = 122,
  kInvalidName = 123,
  kDirectoryNotEmpty = 145,
  kAlreadyExists = 183,
  kMoreData = 234,
  kNoMoreItems = 259,
  kDirectoryInvalid = 267,  // a directory was expected ("the directory name is invalid")
  kServiceRequestTimeout = 1053,
  kServiceDatabaseLocked = 1055,
  kServiceAlreadyRunning = 1056,
  kServiceDisabled = 1058,
  kServiceDoesNotExist = 1060,
  kServiceCannotAcceptControl = 1061,
  kServiceNotActive = 1062,
  kServiceSpecificError = 1066,
  kServiceMarkedForDelete = 1072,
  kServiceExists = 1073,
  kNoneMapped = 1332,
  kBadConfiguration = 1610,
  kRegistryCorrupt = 1015,
  kKeyDeleted = 1018,  // the key was deleted since it was opened
  kUserNotFound = 2221,  // the network management interface's "user name could not be found"
};

// The calling thread's last error, as set by the last failing seam call (or
// by the operating system on the win32 backend).
unsigned long LastError();
void SetLastError(unsigned long code);

// Success, or the error code of a failure.
class Status {
 public:
  Status() = default;
  // A failure with the given code; records it as the thread's last error.
  static Status Failure(unsigned long code) {
    SetLastError(code);
    return Status(code);
  }
  // Takes the thread's last error (win32 backend, after a failed API call).
  static Status FromLastError() { return Status(LastError()); }

  bool ok() const { return m_code == kSuccess; }
  explicit operator bool() const { return ok(); }
  unsigned long code() const { return m_code; }

 private:
  explicit Status(unsigned long code) : m_code(code) {}
  unsigned long m_code = kSuccess;
};

// A value, or the Status of the failure that prevented it.
template <class T>
class Expected {
 public:
  Expected(T value) : m_value(std::move(value)) {}  // NOLINT: implicit on purpose
  Expected(Status failure) : m_status(failure) { assert(!failure.ok()); }  // NOLINT

  bool ok() const { return m_value.has_value(); }
  explicit operator bool() const { return ok(); }
  const Status& status() const { return m_status; }

  T& value() { return *m_value; }
  const T& value() const { return *m_value; }
  T& operator*() { return *m_value; }
  const T& operator*() const { return *m_value; }
  T* operator->() { return &*m_value; }
  const T* operator->() const { return &*m_value; }

 private:
  std::optional<T> m_value;
  Status m_status;
};

}  // namespace orvane::os

#endif  // ORVANE_OS_STATUS_H_
