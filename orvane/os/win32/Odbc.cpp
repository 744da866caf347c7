// The ODBC installer's SQLConfigDataSource for the seam.
#include "orvane/os/Odbc.h"
#include "orvane/os/Backend.h"

#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os::backend {
namespace {

// The installer reports its own error numbers (SQLInstallerError), not the
// thread's last error: each is told as the nearest Win32 code.
unsigned long InstallerFailureCode() {
  DWORD installerCode = 0;
  char message[SQL_MAX_MESSAGE_LENGTH];
  WORD length = 0;
  RETCODE found = ::SQLInstallerError(1, &installerCode, message, sizeof message, &length);
  if (found != SQL_SUCCESS && found != SQL_SUCCESS_WITH_INFO) return kBadConfiguration;
  switch (installerCode) {
    case ODBC_ERROR_COMPONENT_NOT_FOUND:
      return kFileNotFound;
    case ODBC_ERROR_INVALID_NAME:
    case ODBC_ERROR_INVALID_KEYWORD_VALUE:
    case ODBC_ERROR_INVALID_DSN:
    case ODBC_ERROR_INVALID_REQUEST_TYPE:
      return kInvalidParameter;
    case ODBC_ERROR_OUT_OF_MEM:
      return kNotEnoughMemory;
    default:
      return kBadConfiguration;
  }
}

}  // namespace

Status ConfigureDataSource(DataSourceRequest request, const std::string& driver,
                           const char* attributes) {
  if (::SQLConfigDataSource(nullptr, static_cast<WORD>(request), driver.c_str(), attributes)) {
    return Status();
  }
  return Status::Failure(InstallerFailureCode());
}

}  // namespace orvane::os::backend
