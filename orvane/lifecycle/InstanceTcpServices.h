// The TCP service entries of an instance: one per process, so that every
// process finds its port by name in the system's services file.
//
// Names are "tq" + instance name for the server controller, that prefix and
// "_k" for server process k (1 to N), and the prefix, "_", a helper code and
// "_k" for the helper processes: "pb" (pay_back), "pe" (pay_cashet), "cy"
// (pay_cyber), "sched" (scheduler). The server group sits on the instance's
// port block P0 ... P0 + N; the seven payment entries follow at P0 + N + 1;
// pay_cyber and the ten scheduler entries take a block of eleven ports of
// their own, searched from 40000 in steps of 10.
#ifndef ORVANE_LIFECYCLE_INSTANCETCPSERVICES_H_
#define ORVANE_LIFECYCLE_INSTANCETCPSERVICES_H_

#include <string>
#include <vector>

#include "orvane/platform/ServicesFile.h"

class MSInfo;

namespace orvane {

// The queue bridge's entry: "tq" + instance name + "_ece_1".
std::string BridgeTcpServiceName(const MSInfo& info);

// The groups in the order creation registers them.
enum class TcpServiceGroup {
  kController,  // the server controller alone
  kServers,     // the server processes 1 to N
  kPayment,     // pay_back 1 and pay_cashet 1 to 6
  kHelpers,     // pay_cyber 1 and scheduler 1 to 10, on the helper block
};

// The entries of one group, with the comment "Tessaly - " and the process's
// description; a port that the block puts beyond the highest port is -1.
// helperBlock is the first port of the helper block; only kHelpers uses it.
// A damaged record's process count is taken as 0 to 99, the rule's bounds.
std::vector<TcpServiceEntry> InstanceTcpServices(const MSInfo& info, TcpServiceGroup group,
                                                 int helperBlock = 0);

// The first of 40000, 40010, ... whose eleven ports are all free; a port that
// the services file lists only under the instance's own helper names counts
// as free, so that creating an instance again keeps its block. -1 when no
// block fits below 65536 (or the socket layer cannot be started).
int FindHelperPortBlock(const MSInfo& info);

// Registers every entry in one rewrite of the services file (each replaces
// an entry of its name); 1 when all were registered. An entry whose port
// lies outside 1 to 65535 (a record without a valid port block) is not
// registered and counts as a failure.
int RegisterTcpServices(const std::vector<TcpServiceEntry>& entries);
// Removes every entry of these names; 1 when each name had an entry.
int UnregisterTcpServices(const std::vector<TcpServiceEntry>& entries);

}  // namespace orvane

#endif  // ORVANE_LIFECYCLE_INSTANCETCPSERVICES_H_
