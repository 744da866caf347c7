// The queue bridge of an instance: the server process "tqei_ece" that moves
// orders between the instance and message queues. Setting it up writes the
// process's configuration file, registers its TCP service, adds it to the
// server controller's process pool, installs the client or server variant of
// the bridge's common library and, for a queue client, points the queue
// client at its server.
#ifndef ORVANE_LIFECYCLE_QUEUEBRIDGE_H_
#define ORVANE_LIFECYCLE_QUEUEBRIDGE_H_

#include "orvane/export.h"

class MSInfo;

// Sets up the bridge from its command line: args[0] the program, then the
// instance name, port number, server name, inbound, outbound and error
// queues, queue manager, bridge user id, "client" or "server", channel name
// and (optional) server port; count elements in all. Elements past count
// read as empty. 0 when the installation directory cannot be found (message
// 5), else 1: the steps' own failures are not part of the result.
ORVANE_C_API int KelCreateFixpackQVInit(MSInfo& info, char** args, int count);

namespace orvane {

// The port element as a TCP port: decimal digits only, 1 to 65535; -1
// otherwise.
int ParseBridgePort(const char* text);

}  // namespace orvane

#endif  // ORVANE_LIFECYCLE_QUEUEBRIDGE_H_
