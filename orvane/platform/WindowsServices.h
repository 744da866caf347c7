// Generic operations on a Windows service given by name, and the search for
// the running Velq database service.
//
// The service control manager and the service are opened with full access
// for each operation and closed before it returns. None of these operations
// reports a message; KelGetLastError tells the system's reason after a
// failure.
#ifndef ORVANE_PLATFORM_WINDOWSSERVICES_H_
#define ORVANE_PLATFORM_WINDOWSSERVICES_H_

#include "orvane/export.h"
#include "orvane/os/Services.h"
#include "orvane/os/Status.h"

// Starts the service and waits while it reports progress: it sleeps the wait
// hint the service reports and stops waiting when a status query fails or the
// check point does not grow. 1 when it is running at the end (also when it
// already was), else 0.
ORVANE_C_API int KelStartSvc(const char* name);
// Sends the stop control without waiting. 1 when the service was not
// running; otherwise whether the control was accepted.
ORVANE_C_API int KelStopSvc(const char* name);
// Change the start type only, under the service database lock; 0 when the
// service or the lock cannot be obtained or the change fails.
ORVANE_C_API int KelSetSvcAuto(const char* name);
ORVANE_C_API int KelSetSvcManual(const char* name);
// 1 when the start type is automatic, however large the configuration is.
ORVANE_C_API int KelIsSvcAuto(const char* name);
// 1 when the service is running; 0 also when it cannot be opened or queried.
ORVANE_C_API int KelIsSvcActive(const char* name);
// The system's last error code of the calling thread.
ORVANE_C_API unsigned long KelGetLastError();

// Finds a running service whose name begins with "VELQ" and whose image path
// has a component "velqsyscs.exe" (letter case ignored), and copies its name
// with the terminator into buffer when it is shorter than size; services that
// are not running or do not fit are passed over. 1 when a name was copied.
ORVANE_C_API int KelGetVelqService(char* buffer, int size);

namespace orvane {

// A service opened together with the manager it was opened through.
struct NamedService {
  os::ServiceManager manager;
  os::Service service;
};

// Opens the local service control manager, then the service by name.
os::Expected<NamedService> OpenNamedService(const char* name);

// The service's configuration however large it is: queried at the product's
// buffer size first, then again at the size it needs.
os::Expected<os::ServiceConfig> QueryWholeConfig(const os::Service& service);

// 1 when the service is stopped; 0 also when it cannot be queried (a service
// that does not exist is neither running nor stopped).
int IsNamedServiceStopped(const char* name);

}  // namespace orvane

#endif  // ORVANE_PLATFORM_WINDOWSSERVICES_H_
