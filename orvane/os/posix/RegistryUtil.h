// Registry chores of the posix backend on top of the seam's registry: removal
// of whole subtrees (the seam, as Windows NT, deletes only keys without
// subkeys) and dword values with a default, read through a key or from a
// node of a registry snapshot.
#ifndef ORVANE_OS_POSIX_REGISTRYUTIL_H_
#define ORVANE_OS_POSIX_REGISTRYUTIL_H_

#include <string>

#include "orvane/os/Backend.h"
#include "orvane/os/posix/RegistryFile.h"

namespace orvane::os::posix {

// Deletes a key with its values and every key below it, deepest first.
// kFileNotFound when the key does not exist.
Status DeleteRegistryTree(RegistryRoot root, const std::string& subkey);

// A dword value of a key, or fallback when it is absent or not a dword.
unsigned long QueryDwordOr(const backend::RegistryKey& key, const std::string& name,
                           unsigned long fallback);

// The same of a key of a parsed tree; fallback too when key is null.
unsigned long DwordOr(const RegistryNode* key, const std::string& name, unsigned long fallback);

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_REGISTRYUTIL_H_
