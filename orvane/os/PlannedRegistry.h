// The registry part of the recording layer (ChangeRecorder.h).
//
// Under Recording::kPlan the pending state is kept per key (by root and the
// key's path in upper case): created or deleted, its class, and the values
// set or deleted since; a key created anew hides what the backend held
// under its name. Whatever the overlay does not hold is read from the
// backend, each part of a key (its opening, a value, its names, its class)
// once, at the plan's first read of it: nothing the plan does changes the
// backend, so asking again would only cost time. Under kPassThrough every
// call reaches the backend. Both keep each key's existence and each value at
// its first change, and the change set compares them with what is seen now.
#ifndef ORVANE_OS_PLANNEDREGISTRY_H_
#define ORVANE_OS_PLANNEDREGISTRY_H_

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "orvane/os/ChangeRecorder.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {

// Owned by a shared pointer: its key handles hold it weakly, so that one
// kept after the recorder has gone fails (kInvalidHandle).
class PlannedRegistry : public std::enable_shared_from_this<PlannedRegistry> {
 public:
  explicit PlannedRegistry(Recording mode);
  PlannedRegistry(const PlannedRegistry&) = delete;
  PlannedRegistry& operator=(const PlannedRegistry&) = delete;

  Expected<std::unique_ptr<RegistryKey::Impl>> Open(RegistryRoot root, const std::string& subkey,
                                                    RegistryAccess access);
  Expected<std::unique_ptr<RegistryKey::Impl>> Create(RegistryRoot root, const std::string& subkey,
                                                      const std::string& keyClass,
                                                      RegistryAccess access);
  Status DeleteKey(RegistryRoot root, const std::string& subkey);

  void AppendChanges(ChangeSet* changes) const;

  // What a key handle of the layer asks; subkey as the library spelt it.
  bool Exists(RegistryRoot root, const std::string& subkey) const;
  Expected<RegistryValue> QueryValue(RegistryRoot root, const std::string& subkey,
                                     const std::string& name) const;
  Status SetValue(RegistryRoot root, const std::string& subkey, const std::string& name,
                  const RegistryValue& value);
  Status DeleteValue(RegistryRoot root, const std::string& subkey, const std::string& name);
  std::vector<std::string> SubkeyNames(RegistryRoot root, const std::string& subkey) const;
  std::vector<std::string> ValueNames(RegistryRoot root, const std::string& subkey) const;
  Expected<std::string> KeyClass(RegistryRoot root, const std::string& subkey) const;

  // Records a key's or a value's state before its first change.
  void TouchKey(RegistryRoot root, const std::string& subkey);
  void TouchValue(RegistryRoot root, const std::string& subkey, const std::string& name);

  Recording mode() const { return m_mode; }

 private:
  struct PendingKey {
    bool exists = true;
    bool fresh = false;  // the backend's values and subkeys are hidden
    std::string name;    // the last component, as spelt
    std::string keyClass;
    std::vector<std::pair<std::string, std::optional<RegistryValue>>> values;  // nothing: deleted
  };
  struct Touched {
    RegistryRoot root;
    std::string subkey;
    std::optional<std::string> value;
    bool existed = false;                 // a key
    std::optional<RegistryValue> before;  // a value
  };

  // What the backend showed of a key under kPlan, each part as first read.
  struct BackendKey {
    std::optional<Status> opened;
    std::unordered_map<std::string, std::optional<Expected<RegistryValue>>> values;  // upper case
    std::optional<std::vector<std::string>> subkeyNames;
    std::optional<std::vector<std::string>> valueNames;
    std::optional<Expected<std::string>> keyClass;
  };

  const PendingKey* Pending(RegistryRoot root, const std::string& subkey) const;
  // The backend's key as the plan has read it; null under kPassThrough.
  BackendKey* Remembered(RegistryRoot root, const std::string& subkey) const;
  Status BackendOpened(RegistryRoot root, const std::string& subkey) const;
  Expected<RegistryValue> BackendValue(RegistryRoot root, const std::string& subkey,
                                       const std::string& name) const;
  std::vector<std::string> BackendSubkeyNames(RegistryRoot root, const std::string& subkey) const;
  std::vector<std::string> BackendValueNames(RegistryRoot root, const std::string& subkey) const;
  Expected<std::string> BackendKeyClass(RegistryRoot root, const std::string& subkey) const;
  PendingKey& PendingFor(RegistryRoot root, const std::string& subkey);
  std::optional<RegistryValue> ValueNow(RegistryRoot root, const std::string& subkey,
                                        const std::string& name) const;

  Recording m_mode;
  std::unordered_map<std::string, PendingKey> m_pending;
  std::vector<Touched> m_touched;
  std::unordered_map<std::string, size_t> m_touchedIndex;
  mutable std::unordered_map<std::string, BackendKey> m_backend;  // by key id
};

}  // namespace orvane::os

#endif  // ORVANE_OS_PLANNEDREGISTRY_H_
