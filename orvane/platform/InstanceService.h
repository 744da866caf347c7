// The Windows service of an instance: "TQ" followed by the instance name,
// running the installation's server controller with the instance's
// controller configuration.
//
// Its start parameters are the registry value of the same name under the
// product key, "-i <instance directory>\srvrctrl.ini". Starting and stopping
// wait in one-second polls, at most 180 of them.
#ifndef ORVANE_PLATFORM_INSTANCESERVICE_H_
#define ORVANE_PLATFORM_INSTANCESERVICE_H_

#include "orvane/export.h"

class MSInfo;

// 1 when the instance's service is running.
ORVANE_API int KelIsTQSvcActive(MSInfo& info);
// Starts the instance's service with status messages (46 already active, 42
// started, 44 cannot start); the result of StartInstanceService, 1 when it
// was already running.
ORVANE_API int KelStartTQSvc(MSInfo& info);
// Stops it with status messages (47 already inactive, 43 stopped, 45 cannot
// stop); the result of StopInstanceService, 1 when it was not running.
ORVANE_API int KelStopTQSvc(MSInfo& info);
// Loads the instance data file and starts every instance's service in list
// order, ignoring the individual results, after status message 34. 0 when the
// file cannot be loaded, else 1.
ORVANE_C_API int KelStartTQServer(const char* dataFile);

namespace orvane {

// Writes the start parameters, replaces a service of the same name and
// creates the service (own process, local system account; demand start, or
// the start type of the service it replaces).
// 0 when the installation directory, the parameters or the service cannot be
// had; a service that cannot be created (a name the service manager
// refuses) takes its start parameters with it.
int CreateInstanceService(MSInfo& info);
// Deletes the start parameters (when there are any) and the service; the
// result of the service deletion (0 when there is no such service).
int DeleteInstanceService(MSInfo& info);
// Starts a stopped service and polls for the running state; 0 when it is
// still not running after the last poll, else the start's own result. A
// service that is not stopped (running, pending or missing) gives 1 at once.
int StartInstanceService(MSInfo& info);
// The mirror image for stopping; a service that is not running gives 1.
int StopInstanceService(MSInfo& info);
// Makes the start type automatic when it is not; 1 when it already was.
int SetInstanceServiceAuto(MSInfo& info);

}  // namespace orvane

#endif  // ORVANE_PLATFORM_INSTANCESERVICE_H_
