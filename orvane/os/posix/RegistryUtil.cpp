#include "orvane/os/posix/RegistryUtil.h"

#include <vector>

namespace orvane::os::posix {

Status DeleteRegistryTree(RegistryRoot root, const std::string& subkey) {
  Expected<backend::RegistryKey> key =
      backend::RegistryKey::Open(root, subkey, RegistryAccess::kRead);
  if (!key) return key.status();
  std::vector<std::string> children;
  for (unsigned long index = 0;; ++index) {
    Expected<std::string> child = key->EnumerateSubkey(index);
    if (!child) break;
    children.push_back(*child);
  }
  for (const std::string& child : children) {
    Status removed = DeleteRegistryTree(root, subkey + "\\" + child);
    if (!removed) return removed;
  }
  return backend::DeleteRegistryKey(root, subkey);
}

unsigned long QueryDwordOr(const backend::RegistryKey& key, const std::string& name,
                           unsigned long fallback) {
  Expected<RegistryValue> value = key.QueryValue(name);
  if (!value || value->type != ValueType::kDword) return fallback;
  return value->AsDword();
}

unsigned long DwordOr(const RegistryNode* key, const std::string& name, unsigned long fallback) {
  const RegistryValue* value = key == nullptr ? nullptr : key->FindValue(name);
  if (value == nullptr || value->type != ValueType::kDword) return fallback;
  return value->AsDword();
}

}  // namespace orvane::os::posix
