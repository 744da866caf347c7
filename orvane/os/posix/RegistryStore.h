// The emulated machine's registry as a whole: reading it and changing it in
// transactions, for the registry seam and for every other piece of the
// posix backend that keeps its state in the registry (services, accounts,
// the machine clock).
//
// The registry is the text file <root>/registry.reg (see RegistryFile.h for
// its format; a missing file is an empty registry). A change is a
// read-modify-write transaction under an exclusive flock on
// <root>/registry.lock, and the file is replaced by a temporary file and a
// rename, so readers need no lock, two processes changing the registry at
// once lose nothing, and a crash never leaves it half-written.
#ifndef ORVANE_OS_POSIX_REGISTRYSTORE_H_
#define ORVANE_OS_POSIX_REGISTRYSTORE_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "orvane/os/Registry.h"
#include "orvane/os/Status.h"
#include "orvane/os/posix/RegistryFile.h"

namespace orvane::os::posix {

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
const char* HiveName(RegistryRoot root);

// The names of a key path below a hive ("SOFTWARE\VXR\VELQ"); empty parts
// (doubled or trailing backslashes) are skipped, "" is the hive itself.
std::vector<std::string> SplitKeyPath(const std::string& subkey);

// The hive's name followed by SplitKeyPath(subkey): a path from the top of
// the tree, as RegistryNode::FindPath takes it.
std::vector<std::string> HiveKeyPath(RegistryRoot root, const std::string& subkey);

// The machine's registry as it is now; both hives are always present.
// kRegistryCorrupt when the file cannot be parsed (the file and line go to
// standard error, as the emulated machine's event log).
//
// The parsed tree is kept in the process and shared by every reader: one
// stat per call tells whether the file is still the version parsed or
// written here (see HostFileVersion.h), so another process's change is seen
// at the next call and an unchanged file is parsed once.
using RegistrySnapshot = std::shared_ptr<const RegistryNode>;
Expected<RegistrySnapshot> ReadRegistry();

// One transaction: under the lock, reads the registry and runs change on
// the tree. When change succeeds and sets *changed, the tree is written back
// (and becomes what ReadRegistry gives); when it fails, its Status is
// returned and the file stays as it was. A change that succeeds without
// setting *changed must leave the tree as it found it. The machine's root
// folder is created when missing.
using RegistryChange = std::function<Status(RegistryNode* tree, bool* changed)>;
Status ChangeRegistry(const RegistryChange& change);

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_REGISTRYSTORE_H_
