// The ODBC installer's data source configuration, for the OS seam.
#ifndef ORVANE_OS_ODBC_H_
#define ORVANE_OS_ODBC_H_

#include <string>

#include "orvane/os/Status.h"

namespace orvane::os {

// The SQLConfigDataSource requests, by their numbers.
enum class DataSourceRequest : unsigned short {
  kAddSystem = 4,
  kRemoveSystem = 6,
};

#include "orvane/os/OdbcCalls.inc"

}  // namespace orvane::os

#endif  // ORVANE_OS_ODBC_H_
