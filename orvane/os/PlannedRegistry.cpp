#include "orvane/os/PlannedRegistry.h"

#include <algorithm>

#include "orvane/os/Backend.h"
#include "orvane/os/WindowsNames.h"

namespace orvane::os {
namespace {

std::vector<std::string> Components(const std::string& subkey) {
  std::vector<std::string> names;
  std::string::size_type start = 0;
  while (start <= subkey.size()) {
    std::string::size_type end = subkey.find('\\', start);
    if (end == std::string::npos) end = subkey.size();
    if (end > start) names.push_back(subkey.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), UpperAscii);
  return text;
}

// Names compared as Upper would spell them, without making the copies.
bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

// Bytes ordered as std::string orders them, unsigned.
bool NameBefore(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(UpperAscii(x)) < static_cast<unsigned char>(UpperAscii(y));
  });
}

std::string Joined(const std::vector<std::string>& names, size_t count) {
  std::string joined;
  for (size_t i = 0; i < count; ++i) joined += (i == 0 ? "" : "\\") + names[i];
  return joined;
}

// The root, then each name of the path after a backslash, in upper case;
// empty names (doubled or trailing backslashes) are left out.
std::string KeyId(RegistryRoot root, const std::string& subkey) {
  std::string id = root == RegistryRoot::kLocalMachine ? "HKLM" : "HKCU";
  id.reserve(id.size() + subkey.size() + 1);
  bool inName = false;
  for (char c : subkey) {
    if (c == '\\') {
      inName = false;
      continue;
    }
    if (!inName) id += '\\';
    inName = true;
    id += UpperAscii(c);
  }
  return id;
}

bool SameValue(const std::optional<RegistryValue>& a, const std::optional<RegistryValue>& b) {
  if (!a || !b) return !a && !b;
  return a->type == b->type && a->data == b->data;
}

Expected<backend::RegistryKey> OpenBackend(RegistryRoot root, const std::string& subkey) {
  return backend::RegistryKey::Open(root, subkey, RegistryAccess::kRead);
}

// The names that the backend's key enumerates (none when it has no such
// key), in its order.
std::vector<std::string> BackendNames(
    RegistryRoot root, const std::string& subkey,
    Expected<std::string> (backend::RegistryKey::*enumerate)(unsigned long) const) {
  std::vector<std::string> names;
  Expected<backend::RegistryKey> key = OpenBackend(root, subkey);
  for (unsigned long index = 0; key.ok(); ++index) {
    Expected<std::string> name = ((*key).*enumerate)(index);
    if (!name.ok()) break;
    names.push_back(*name);
  }
  return names;
}

// The backend's answer kept in slot after the first call, so that the backend
// is asked once; asked every time when slot is null.
template <class T, class Read>
T ReadOnce(std::optional<T>* slot, const Read& read) {
  if (slot == nullptr) return read();
  if (!*slot) *slot = read();
  return **slot;
}

// An open key of the layer: it names the key; every call asks the layer,
// which overlays the backend (kPlan) or records and reaches it
// (kPassThrough).
class LayerKey final : public RegistryKey::Impl {
 public:
  LayerKey(PlannedRegistry& registry, RegistryRoot root, std::string subkey, RegistryAccess access)
      : m_registry(registry.weak_from_this()),
        m_root(root),
        m_subkey(std::move(subkey)),
        m_access(access) {}

  Expected<std::unique_ptr<Impl>> OpenSubkey(const std::string& subkey,
                                             RegistryAccess access) const override {
    Expected<std::shared_ptr<PlannedRegistry>> registry = Usable();
    if (!registry.ok()) return registry.status();
    return (*registry)->Open(m_root, m_subkey + "\\" + subkey, access);
  }
  Expected<RegistryValue> QueryValue(const std::string& name) const override {
    Expected<std::shared_ptr<PlannedRegistry>> registry = Usable(RegistryAccess::kWrite);
    if (!registry.ok()) return registry.status();
    return (*registry)->QueryValue(m_root, m_subkey, name);
  }
  Status SetValue(const std::string& name, const RegistryValue& value) override {
    Expected<std::shared_ptr<PlannedRegistry>> registry = Usable(RegistryAccess::kRead);
    if (!registry.ok()) return registry.status();
    return (*registry)->SetValue(m_root, m_subkey, name, value);
  }
  Status DeleteValue(const std::string& name) override {
    Expected<std::shared_ptr<PlannedRegistry>> registry = Usable(RegistryAccess::kRead);
    if (!registry.ok()) return registry.status();
    return (*registry)->DeleteValue(m_root, m_subkey, name);
  }
  Expected<std::string> EnumerateSubkey(unsigned long index) const override {
    Expected<std::shared_ptr<PlannedRegistry>> registry = Usable(RegistryAccess::kWrite);
    if (!registry.ok()) return registry.status();
    return NameAt((*registry)->SubkeyNames(m_root, m_subkey), index);
  }
  Expected<std::string> EnumerateValue(unsigned long index) const override {
    Expected<std::shared_ptr<PlannedRegistry>> registry = Usable(RegistryAccess::kWrite);
    if (!registry.ok()) return registry.status();
    return NameAt((*registry)->ValueNames(m_root, m_subkey), index);
  }
  Expected<std::string> KeyClass() const override {
    Expected<std::shared_ptr<PlannedRegistry>> registry = Usable(RegistryAccess::kWrite);
    if (!registry.ok()) return registry.status();
    return (*registry)->KeyClass(m_root, m_subkey);
  }
  // A hive file holds a backend's own format: a plan cannot write the
  // pending keys into one, nor take keys from one that it did not write.
  Status SaveToFile(const std::string& path) const override {
    Expected<std::shared_ptr<PlannedRegistry>> registry = Usable();
    if (!registry.ok()) return registry.status();
    if ((*registry)->mode() == Recording::kPlan) return Status::Failure(kNotSupported);
    Expected<backend::RegistryKey> key = BackendKey();
    return key.ok() ? key->SaveToFile(path) : key.status();
  }
  Status RestoreFromFile(const std::string& path) override {
    Expected<std::shared_ptr<PlannedRegistry>> registry = Usable();
    if (!registry.ok()) return registry.status();
    if ((*registry)->mode() == Recording::kPlan) return Status::Failure(kNotSupported);
    (*registry)->TouchKey(m_root, m_subkey);
    Expected<backend::RegistryKey> key = BackendKey();
    return key.ok() ? key->RestoreFromFile(path) : key.status();
  }

 private:
  // The layer, unless the recorder has gone, the key is gone or the handle
  // lacks the right (a handle of access `lacking` may not make the call).
  Expected<std::shared_ptr<PlannedRegistry>> Usable(
      std::optional<RegistryAccess> lacking = std::nullopt) const {
    std::shared_ptr<PlannedRegistry> registry = m_registry.lock();
    if (!registry) return Status::Failure(kInvalidHandle);
    if (m_access == lacking) return Status::Failure(kAccessDenied);
    if (!registry->Exists(m_root, m_subkey)) return Status::Failure(kKeyDeleted);
    return registry;
  }
  Expected<backend::RegistryKey> BackendKey() const {
    return backend::RegistryKey::Open(m_root, m_subkey, RegistryAccess::kAll);
  }
  static Expected<std::string> NameAt(const std::vector<std::string>& names, unsigned long index) {
    if (index >= names.size()) return Status::Failure(kNoMoreItems);
    return names[index];
  }

  std::weak_ptr<PlannedRegistry> m_registry;
  RegistryRoot m_root;
  std::string m_subkey;
  RegistryAccess m_access;
};

}  // namespace

PlannedRegistry::PlannedRegistry(Recording mode) : m_mode(mode) {}

const PlannedRegistry::PendingKey* PlannedRegistry::Pending(RegistryRoot root,
                                                            const std::string& subkey) const {
  if (m_pending.empty()) return nullptr;
  auto found = m_pending.find(KeyId(root, subkey));
  return found == m_pending.end() ? nullptr : &found->second;
}

PlannedRegistry::PendingKey& PlannedRegistry::PendingFor(RegistryRoot root,
                                                         const std::string& subkey) {
  auto [entry, added] = m_pending.try_emplace(KeyId(root, subkey));
  if (added) {
    std::vector<std::string> names = Components(subkey);
    entry->second.name = names.empty() ? std::string() : names.back();
    entry->second.exists = BackendOpened(root, subkey).ok();
  }
  return entry->second;
}

bool PlannedRegistry::Exists(RegistryRoot root, const std::string& subkey) const {
  if (const PendingKey* key = Pending(root, subkey)) return key->exists;
  return BackendOpened(root, subkey).ok();
}

PlannedRegistry::BackendKey* PlannedRegistry::Remembered(RegistryRoot root,
                                                         const std::string& subkey) const {
  if (m_mode == Recording::kPassThrough) return nullptr;
  return &m_backend[KeyId(root, subkey)];
}

Status PlannedRegistry::BackendOpened(RegistryRoot root, const std::string& subkey) const {
  BackendKey* key = Remembered(root, subkey);
  return ReadOnce(key != nullptr ? &key->opened : nullptr,
                  [&] { return OpenBackend(root, subkey).status(); });
}

Expected<RegistryValue> PlannedRegistry::BackendValue(RegistryRoot root, const std::string& subkey,
                                                      const std::string& name) const {
  BackendKey* key = Remembered(root, subkey);
  return ReadOnce(key != nullptr ? &key->values[Upper(name)] : nullptr,
                  [&]() -> Expected<RegistryValue> {
                    Expected<backend::RegistryKey> open = OpenBackend(root, subkey);
                    if (!open.ok()) return Status::Failure(kFileNotFound);
                    return open->QueryValue(name);
                  });
}

std::vector<std::string> PlannedRegistry::BackendSubkeyNames(RegistryRoot root,
                                                             const std::string& subkey) const {
  BackendKey* key = Remembered(root, subkey);
  return ReadOnce(key != nullptr ? &key->subkeyNames : nullptr, [&] {
    return BackendNames(root, subkey, &backend::RegistryKey::EnumerateSubkey);
  });
}

std::vector<std::string> PlannedRegistry::BackendValueNames(RegistryRoot root,
                                                            const std::string& subkey) const {
  BackendKey* key = Remembered(root, subkey);
  return ReadOnce(key != nullptr ? &key->valueNames : nullptr, [&] {
    return BackendNames(root, subkey, &backend::RegistryKey::EnumerateValue);
  });
}

Expected<std::string> PlannedRegistry::BackendKeyClass(RegistryRoot root,
                                                       const std::string& subkey) const {
  BackendKey* key = Remembered(root, subkey);
  return ReadOnce(key != nullptr ? &key->keyClass : nullptr, [&]() -> Expected<std::string> {
    Expected<backend::RegistryKey> open = OpenBackend(root, subkey);
    if (!open.ok()) return open.status();
    return open->KeyClass();
  });
}

std::optional<RegistryValue> PlannedRegistry::ValueNow(RegistryRoot root, const std::string& subkey,
                                                       const std::string& name) const {
  Expected<RegistryValue> value = QueryValue(root, subkey, name);
  if (!value.ok()) return std::nullopt;
  return *value;
}

Expected<RegistryValue> PlannedRegistry::QueryValue(RegistryRoot root, const std::string& subkey,
                                                    const std::string& name) const {
  if (const PendingKey* key = Pending(root, subkey)) {
    if (!key->exists) return Status::Failure(kFileNotFound);
    for (const auto& [valueName, value] : key->values) {
      if (SameName(valueName, name)) {
        if (!value) return Status::Failure(kFileNotFound);
        return *value;
      }
    }
    if (key->fresh) return Status::Failure(kFileNotFound);
  }
  return BackendValue(root, subkey, name);
}

void PlannedRegistry::TouchKey(RegistryRoot root, const std::string& subkey) {
  const std::string id = KeyId(root, subkey);
  if (m_touchedIndex.count(id) != 0) return;
  m_touchedIndex.emplace(id, m_touched.size());
  m_touched.push_back({root, subkey, std::nullopt, Exists(root, subkey), std::nullopt});
}

void PlannedRegistry::TouchValue(RegistryRoot root, const std::string& subkey,
                                 const std::string& name) {
  const std::string id = KeyId(root, subkey) + "\n" + Upper(name);
  if (m_touchedIndex.count(id) != 0) return;
  m_touchedIndex.emplace(id, m_touched.size());
  m_touched.push_back({root, subkey, name, false, ValueNow(root, subkey, name)});
}

Status PlannedRegistry::SetValue(RegistryRoot root, const std::string& subkey,
                                 const std::string& name, const RegistryValue& value) {
  TouchValue(root, subkey, name);
  if (m_mode == Recording::kPassThrough) {
    Expected<backend::RegistryKey> key =
        backend::RegistryKey::Open(root, subkey, RegistryAccess::kWrite);
    return key.ok() ? key->SetValue(name, value) : Status::Failure(kKeyDeleted);
  }
  PendingKey& key = PendingFor(root, subkey);
  for (auto& [valueName, held] : key.values) {
    if (SameName(valueName, name)) {
      held = value;
      return Status();
    }
  }
  key.values.emplace_back(name, value);
  return Status();
}

Status PlannedRegistry::DeleteValue(RegistryRoot root, const std::string& subkey,
                                    const std::string& name) {
  if (!ValueNow(root, subkey, name)) return Status::Failure(kFileNotFound);
  TouchValue(root, subkey, name);
  if (m_mode == Recording::kPassThrough) {
    Expected<backend::RegistryKey> key =
        backend::RegistryKey::Open(root, subkey, RegistryAccess::kWrite);
    return key.ok() ? key->DeleteValue(name) : Status::Failure(kKeyDeleted);
  }
  PendingKey& key = PendingFor(root, subkey);
  for (auto& [valueName, held] : key.values) {
    if (SameName(valueName, name)) {
      held.reset();
      return Status();
    }
  }
  key.values.emplace_back(name, std::nullopt);
  return Status();
}

std::vector<std::string> PlannedRegistry::SubkeyNames(RegistryRoot root,
                                                      const std::string& subkey) const {
  const PendingKey* key = Pending(root, subkey);
  std::vector<std::string> names;
  if (key == nullptr || !key->fresh) {
    names = BackendSubkeyNames(root, subkey);
  }
  const std::string id = KeyId(root, subkey);
  for (const auto& [childId, child] : m_pending) {
    if (childId.size() <= id.size() + 1 || childId.compare(0, id.size() + 1, id + "\\") != 0 ||
        childId.find('\\', id.size() + 1) != std::string::npos) {
      continue;
    }
    const std::string& childName = child.name;  // a lambda takes no structured binding
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&](const std::string& name) { return SameName(name, childName); }),
                names.end());
    if (child.exists) names.push_back(child.name);
  }
  std::sort(names.begin(), names.end(), NameBefore);
  return names;
}

std::vector<std::string> PlannedRegistry::ValueNames(RegistryRoot root,
                                                     const std::string& subkey) const {
  const PendingKey* key = Pending(root, subkey);
  std::vector<std::string> names;
  if (key == nullptr || !key->fresh) {
    names = BackendValueNames(root, subkey);
  }
  if (key == nullptr) return names;
  for (const auto& [valueName, value] : key->values) {
    const std::string& wanted = valueName;  // a lambda takes no structured binding
    auto held = std::find_if(names.begin(), names.end(),
                             [&](const std::string& name) { return SameName(name, wanted); });
    if (held != names.end() && !value) names.erase(held);
    if (held == names.end() && value) names.push_back(valueName);
  }
  return names;
}

Expected<std::string> PlannedRegistry::KeyClass(RegistryRoot root,
                                                const std::string& subkey) const {
  const PendingKey* key = Pending(root, subkey);
  if (key != nullptr && key->fresh) return key->keyClass;
  const Status opened = BackendOpened(root, subkey);
  if (!opened.ok()) return key != nullptr ? Expected<std::string>(key->keyClass) : opened;
  return BackendKeyClass(root, subkey);
}

Expected<std::unique_ptr<RegistryKey::Impl>> PlannedRegistry::Open(RegistryRoot root,
                                                                   const std::string& subkey,
                                                                   RegistryAccess access) {
  if (!Exists(root, subkey)) return Status::Failure(kFileNotFound);
  return std::unique_ptr<RegistryKey::Impl>(
      std::make_unique<LayerKey>(*this, root, subkey, access));
}

Expected<std::unique_ptr<RegistryKey::Impl>> PlannedRegistry::Create(RegistryRoot root,
                                                                     const std::string& subkey,
                                                                     const std::string& keyClass,
                                                                     RegistryAccess access) {
  std::vector<std::string> names = Components(subkey);
  for (size_t depth = 1; depth <= names.size(); ++depth) TouchKey(root, Joined(names, depth));
  if (m_mode == Recording::kPassThrough) {
    Expected<backend::RegistryKey> created =
        backend::RegistryKey::Create(root, subkey, keyClass, access);
    if (!created.ok()) return created.status();
  } else {
    for (size_t depth = 1; depth <= names.size(); ++depth) {
      PendingKey& key = PendingFor(root, Joined(names, depth));
      if (key.exists) continue;
      key = PendingKey{true, true, names[depth - 1], keyClass, {}};
    }
  }
  return std::unique_ptr<RegistryKey::Impl>(
      std::make_unique<LayerKey>(*this, root, subkey, access));
}

Status PlannedRegistry::DeleteKey(RegistryRoot root, const std::string& subkey) {
  if (Components(subkey).empty()) return Status::Failure(kAccessDenied);
  if (!Exists(root, subkey)) return Status::Failure(kFileNotFound);
  if (!SubkeyNames(root, subkey).empty()) return Status::Failure(kAccessDenied);
  TouchKey(root, subkey);
  if (m_mode == Recording::kPassThrough) return backend::DeleteRegistryKey(root, subkey);
  PendingKey& key = PendingFor(root, subkey);
  key = PendingKey{false, true, key.name, std::string(), {}};
  return Status();
}

void PlannedRegistry::AppendChanges(ChangeSet* changes) const {
  for (const Touched& touched : m_touched) {
    if (touched.value) {
      std::optional<RegistryValue> now = ValueNow(touched.root, touched.subkey, *touched.value);
      if (!SameValue(touched.before, now)) {
        changes->registry.push_back(
            {touched.root, touched.subkey, touched.value, touched.before, now});
      }
      continue;
    }
    const bool exists = Exists(touched.root, touched.subkey);
    if (exists == touched.existed) continue;
    auto state = [](bool there) {
      return there ? std::optional<RegistryValue>(RegistryValue()) : std::nullopt;
    };
    changes->registry.push_back(
        {touched.root, touched.subkey, std::nullopt, state(touched.existed), state(exists)});
  }
}

}  // namespace orvane::os
