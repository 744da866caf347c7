// The registry of the OS seam.
//
// Keys and values as Windows keeps them: key and value names keep their
// spelling and are matched without regard to letter case; subkeys enumerate in
// alphabetical order ignoring case. On the emulated machine the registry is the
// machine's registry.reg file, rewritten atomically under a lock on every
// change.
#ifndef ORVANE_OS_REGISTRY_H_
#define ORVANE_OS_REGISTRY_H_

#include <memory>
#include <string>
#include <vector>

#include "orvane/os/Status.h"

namespace orvane::os {

enum class RegistryRoot { kLocalMachine, kCurrentUser };

// The Win32 value types (REG_SZ and so on), by their numbers.
enum class ValueType : unsigned long {
  kNone = 0,
  kString = 1,
  kExpandString = 2,
  kBinary = 3,
  kDword = 4,
  kMultiString = 7,
};

// A value's type and its data as Windows stores it: strings in the ANSI code
// page with their terminating NUL, dwords as four little-endian bytes.
struct RegistryValue {
  ValueType type = ValueType::kNone;
  std::vector<unsigned char> data;

  static RegistryValue String(const std::string& text);
  static RegistryValue Dword(unsigned long number);
  // The text of a string value up to its first NUL.
  std::string AsString() const;
  // The number of a dword value (0 when the data is shorter than four bytes).
  unsigned long AsDword() const;
};

enum class RegistryAccess { kRead, kWrite, kAll };

#include "orvane/os/RegistryCalls.inc"

}  // namespace orvane::os

#endif  // ORVANE_OS_REGISTRY_H_
