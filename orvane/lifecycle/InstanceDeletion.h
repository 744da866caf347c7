// Instance deletion: undoes the registrations of instance creation, so that
// the instance's ports and its Windows service are free again, and moves its
// generated configuration files to their backup names. Nothing that holds
// data is removed: directories, logs, pages, scripts, the database and the
// copies of the server program stay; the caller removes the record from the
// instance list and regenerates the web server configuration.
#ifndef ORVANE_LIFECYCLE_INSTANCEDELETION_H_
#define ORVANE_LIFECYCLE_INSTANCEDELETION_H_

#include "orvane/export.h"

class MSInfo;

// Stops the instance's service, deletes it and its start parameters,
// removes the TCP service entries of the server controller, the server
// processes, the payment services (when the payment server is installed
// now), the pay_cyber and scheduler services and the queue bridge's entry,
// and moves aside the configuration files (the bridge's tqei_ece.ini too).
// 1 when every service and entry was removed (the bridge's only when the
// instance has a bridge), with status message 49; otherwise 0 with error
// message 50 (every step still runs).
ORVANE_API int KelDeleteSingleInst(MSInfo& info);

#endif  // ORVANE_LIFECYCLE_INSTANCEDELETION_H_
