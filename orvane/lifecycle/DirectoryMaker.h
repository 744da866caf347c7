// The directory maker of the instance operations: makes sure a directory path
// exists, creating each missing component in turn, and gives every directory
// on the way the caller's owner and mode.
#ifndef ORVANE_LIFECYCLE_DIRECTORYMAKER_H_
#define ORVANE_LIFECYCLE_DIRECTORYMAKER_H_

namespace orvane {

// An existing path gets the owner and mode and gives 1. Otherwise the path
// must begin with a drive ("X:\"), else 0; each component after the drive
// that does not exist is created, with the owner and mode, and a failed
// creation gives 0.
int MakeDirectoryPath(const char* path, const char* owner, int mode);

}  // namespace orvane

#endif  // ORVANE_LIFECYCLE_DIRECTORYMAKER_H_
