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

// An open registry key; closed when the object goes. Move-only. When the key
// is deleted while it is open, its operations fail with kKeyDeleted.
class RegistryKey {
 public:
  class Impl;

  // Opens an existing key below a root; subkey may name several levels
  // ("SOFTWARE\VXR\VELQ").
  static Expected<RegistryKey> Open(RegistryRoot root, const std::string& subkey,
                                    RegistryAccess access);
  // Opens a key, creating it and every missing key on the way; keys that are
  // created get the class keyClass.
  static Expected<RegistryKey> Create(RegistryRoot root, const std::string& subkey,
                                      const std::string& keyClass, RegistryAccess access);

  RegistryKey(RegistryKey&&) noexcept;
  RegistryKey& operator=(RegistryKey&&) noexcept;
  ~RegistryKey();

  Expected<RegistryKey> OpenSubkey(const std::string& subkey, RegistryAccess access) const;

  // A value by name; "" is the key's default value. kFileNotFound when absent.
  Expected<RegistryValue> QueryValue(const std::string& name) const;
  Status SetValue(const std::string& name, const RegistryValue& value);
  Status DeleteValue(const std::string& name);

  // The name of the subkey at index in Windows order; kNoMoreItems past the end.
  Expected<std::string> EnumerateSubkey(unsigned long index) const;
  // The name of the value at index; kNoMoreItems past the end.
  Expected<std::string> EnumerateValue(unsigned long index) const;
  // The class the key was created with ("" when none).
  Expected<std::string> KeyClass() const;

  // Saves this key with its whole subtree into a hive file; fails with
  // kAlreadyExists when the file exists. Needs the backup privilege on Windows.
  Status SaveToFile(const std::string& path) const;
  // Replaces this key's values and subtree with those saved in a hive file.
  // Needs the restore privilege on Windows.
  Status RestoreFromFile(const std::string& path);

 private:
  explicit RegistryKey(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_impl;
};

// Deletes a key with its values; fails with kAccessDenied when it has subkeys,
// as Windows NT does.
Status DeleteRegistryKey(RegistryRoot root, const std::string& subkey);

}  // namespace orvane::os

#endif  // ORVANE_OS_REGISTRY_H_
