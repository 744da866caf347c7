// The registry seam on the emulated machine: every key operation reads the
// registry as it is now (the parsed tree that RegistryStore keeps while the
// file is unchanged), and every change is one transaction of RegistryStore.
// An open key remembers its path, not a snapshot, so it sees the changes of
// other processes; when another process deleted it, its
// operations fail with kKeyDeleted.
//
// A hive file (SaveToFile) is registry editor text whose headers name the
// saved key by its full path, as the registry editor exports a branch.
// RestoreFromFile takes the key of the file's first header as the saved key.
#include "orvane/os/Registry.h"
#include "orvane/os/Backend.h"

#include "orvane/os/posix/HostFile.h"
#include "orvane/os/posix/Machine.h"
#include "orvane/os/posix/RegistryFile.h"
#include "orvane/os/posix/RegistryStore.h"

namespace orvane::os::backend {

using posix::RegistryNode;

class RegistryKey::Impl {
 public:
  Impl(std::vector<std::string> path, RegistryAccess access)
      : path(std::move(path)), access(access) {}

  bool mayRead() const { return access != RegistryAccess::kWrite; }
  bool mayWrite() const { return access != RegistryAccess::kRead; }

  std::vector<std::string> path;  // from the hive down, as spelt in the registry
  RegistryAccess access;
};

namespace {

// Names and classes end up on lines of the registry file.
bool HasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

// The path as spelt in the tree; path must name an existing key.
std::vector<std::string> SpeltPath(const RegistryNode& tree, const std::vector<std::string>& path) {
  std::vector<std::string> spelt;
  const RegistryNode* node = &tree;
  for (const std::string& name : path) {
    node = node->FindSubkey(name);
    spelt.push_back(node->name());
  }
  return spelt;
}

// Runs a read of the key at path: fails with kKeyDeleted when it is gone.
template <class Read>
auto ReadKey(const std::vector<std::string>& path, Read read) -> decltype(read(RegistryNode())) {
  Expected<posix::RegistrySnapshot> tree = posix::ReadRegistry();
  if (!tree.ok()) return tree.status();
  const RegistryNode* key = (*tree)->FindPath(path);
  if (key == nullptr) return Status::Failure(kKeyDeleted);
  return read(*key);
}

// Runs a change of the key at path in one transaction.
Status ChangeKey(const std::vector<std::string>& path,
                 const std::function<Status(RegistryNode* key)>& change) {
  return posix::ChangeRegistry([&](RegistryNode* tree, bool* changed) {
    RegistryNode* key = tree->FindPath(path);
    if (key == nullptr) return Status::Failure(kKeyDeleted);
    Status status = change(key);
    *changed = status.ok();
    return status;
  });
}

Expected<std::string> NameAt(const std::vector<std::string>& names, unsigned long index) {
  if (index >= names.size()) return Status::Failure(kNoMoreItems);
  return names[index];
}

}  // namespace

RegistryKey::RegistryKey(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;
RegistryKey::~RegistryKey() = default;

Expected<RegistryKey> RegistryKey::Open(RegistryRoot root, const std::string& subkey,
                                        RegistryAccess access) {
  Expected<posix::RegistrySnapshot> tree = posix::ReadRegistry();
  if (!tree.ok()) return tree.status();
  std::vector<std::string> path = posix::HiveKeyPath(root, subkey);
  if ((*tree)->FindPath(path) == nullptr) return Status::Failure(kFileNotFound);
  return RegistryKey(std::make_unique<Impl>(SpeltPath(**tree, path), access));
}

Expected<RegistryKey> RegistryKey::Create(RegistryRoot root, const std::string& subkey,
                                          const std::string& keyClass, RegistryAccess access) {
  std::vector<std::string> path = posix::HiveKeyPath(root, subkey);
  if (HasLineBreak(subkey) || HasLineBreak(keyClass) || path.size() > posix::kMaxRegistryDepth) {
    return Status::Failure(kInvalidParameter);
  }
  std::vector<std::string> spelt;
  Status created = posix::ChangeRegistry([&](RegistryNode* tree, bool* changed) {
    RegistryNode* key = tree;
    for (const std::string& name : path) {
      bool added = false;
      key = &key->AddSubkey(name, keyClass, &added);
      *changed = *changed || added;
    }
    spelt = SpeltPath(*tree, path);
    return Status();
  });
  if (!created.ok()) return created;
  return RegistryKey(std::make_unique<Impl>(std::move(spelt), access));
}

Expected<RegistryKey> RegistryKey::OpenSubkey(const std::string& subkey,
                                              RegistryAccess access) const {
  std::vector<std::string> path = m_impl->path;
  std::vector<std::string> names = posix::SplitKeyPath(subkey);
  path.insert(path.end(), names.begin(), names.end());
  Expected<posix::RegistrySnapshot> tree = posix::ReadRegistry();
  if (!tree.ok()) return tree.status();
  if ((*tree)->FindPath(m_impl->path) == nullptr) return Status::Failure(kKeyDeleted);
  if ((*tree)->FindPath(path) == nullptr) return Status::Failure(kFileNotFound);
  return RegistryKey(std::make_unique<Impl>(SpeltPath(**tree, path), access));
}

Expected<RegistryValue> RegistryKey::QueryValue(const std::string& name) const {
  if (!m_impl->mayRead()) return Status::Failure(kAccessDenied);
  return ReadKey(m_impl->path, [&](const RegistryNode& key) -> Expected<RegistryValue> {
    const RegistryValue* value = key.FindValue(name);
    if (value == nullptr) return Status::Failure(kFileNotFound);
    return *value;
  });
}

Status RegistryKey::SetValue(const std::string& name, const RegistryValue& value) {
  if (!m_impl->mayWrite()) return Status::Failure(kAccessDenied);
  if (HasLineBreak(name)) return Status::Failure(kInvalidParameter);
  return posix::ChangeRegistry([&](RegistryNode* tree, bool* changed) {
    RegistryNode* key = tree->FindPath(m_impl->path);
    if (key == nullptr) return Status::Failure(kKeyDeleted);
    // Setting a value to what it holds leaves the file alone: a service's
    // status queries and the clock set values many times a second.
    *changed = key->ChangeValue(name, value);
    return Status();
  });
}

Status RegistryKey::DeleteValue(const std::string& name) {
  if (!m_impl->mayWrite()) return Status::Failure(kAccessDenied);
  return ChangeKey(m_impl->path, [&](RegistryNode* key) {
    return key->RemoveValue(name) ? Status() : Status::Failure(kFileNotFound);
  });
}

Expected<std::string> RegistryKey::EnumerateSubkey(unsigned long index) const {
  if (!m_impl->mayRead()) return Status::Failure(kAccessDenied);
  return ReadKey(m_impl->path, [&](const RegistryNode& key) {
    std::vector<std::string> names;
    for (const RegistryNode& subkey : key.subkeys()) names.push_back(subkey.name());
    return NameAt(names, index);
  });
}

Expected<std::string> RegistryKey::EnumerateValue(unsigned long index) const {
  if (!m_impl->mayRead()) return Status::Failure(kAccessDenied);
  return ReadKey(m_impl->path, [&](const RegistryNode& key) {
    std::vector<std::string> names;
    for (const posix::NamedValue& value : key.values()) names.push_back(value.name);
    return NameAt(names, index);
  });
}

Expected<std::string> RegistryKey::KeyClass() const {
  if (!m_impl->mayRead()) return Status::Failure(kAccessDenied);
  return ReadKey(m_impl->path,
                 [](const RegistryNode& key) -> Expected<std::string> { return key.keyClass(); });
}

Status RegistryKey::SaveToFile(const std::string& path) const {
  Expected<std::string> hostPath = posix::HostPath(path);
  if (!hostPath.ok()) return hostPath.status();
  Expected<std::string> text = ReadKey(m_impl->path, [&](const RegistryNode& key) {
    return Expected<std::string>(posix::WriteRegistryKeyText(key, m_impl->path));
  });
  if (!text.ok()) return text.status();
  return posix::CreateHostFile(*hostPath, *text);
}

Status RegistryKey::RestoreFromFile(const std::string& path) {
  Expected<std::string> hostPath = posix::HostPath(path);
  if (!hostPath.ok()) return hostPath.status();
  Expected<std::string> text = posix::ReadHostFile(*hostPath);
  if (!text.ok()) return text.status();
  RegistryNode hive;
  std::string error;
  std::vector<std::string> savedPath;
  if (!posix::ParseRegistryText(*text, path, &hive, &error, &savedPath)) {
    return Status::Failure(kRegistryCorrupt);
  }
  RegistryNode* saved = hive.FindPath(savedPath);
  if (savedPath.empty() || saved == nullptr) return Status::Failure(kRegistryCorrupt);
  return ChangeKey(m_impl->path, [&](RegistryNode* key) {
    key->ReplaceContent(std::move(*saved));
    return Status();
  });
}

Status DeleteRegistryKey(RegistryRoot root, const std::string& subkey) {
  std::vector<std::string> path = posix::HiveKeyPath(root, subkey);
  if (path.size() == 1) return Status::Failure(kAccessDenied);
  std::string name = path.back();
  path.pop_back();
  return posix::ChangeRegistry([&](RegistryNode* tree, bool* changed) {
    RegistryNode* parent = tree->FindPath(path);
    const RegistryNode* key = parent == nullptr ? nullptr : parent->FindSubkey(name);
    if (key == nullptr) return Status::Failure(kFileNotFound);
    if (!key->subkeys().empty()) return Status::Failure(kAccessDenied);
    *changed = parent->RemoveSubkey(name);
    return Status();
  });
}

}  // namespace orvane::os::backend
