// A file's content as read at one moment, for readers that keep what they
// parsed from it as long as the file stays unchanged.
//
// Whether the file is still the version read costs one stat: its identity
// (device and inode, or volume and file index), its size and its
// modification time. Files shared between processes are replaced by a
// rename, which gives a new identity, so another process's change is seen at
// the next test.
#ifndef ORVANE_OS_FILESNAPSHOT_H_
#define ORVANE_OS_FILESNAPSHOT_H_

#include <memory>
#include <string>

#include "orvane/os/Status.h"

namespace orvane::os {

#include "orvane/os/FileSnapshotCalls.inc"

}  // namespace orvane::os

#endif  // ORVANE_OS_FILESNAPSHOT_H_
