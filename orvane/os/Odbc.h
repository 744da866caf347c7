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

// Adds or removes a system data source of a driver. attributes is the
// installer's list of "KEY=value" texts, each ended by a NUL, the list ended
// by a second NUL; "DSN=" names the data source. Adding fails when the driver
// is not registered. On the emulated machine data sources are kept where the
// installer keeps them: HKLM\SOFTWARE\ODBC\ODBC.INI.
Status ConfigureDataSource(DataSourceRequest request, const std::string& driver,
                           const char* attributes);

}  // namespace orvane::os

#endif  // ORVANE_OS_ODBC_H_
