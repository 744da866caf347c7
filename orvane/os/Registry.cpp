// The public registry calls: each reaches the active layer when there is
// one, else the backend.
#include "orvane/os/Registry.h"

#include "orvane/os/Backend.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {
namespace {

class BackendKey final : public RegistryKey::Impl {
 public:
  explicit BackendKey(backend::RegistryKey key) : m_key(std::move(key)) {}

  static Expected<std::unique_ptr<RegistryKey::Impl>> From(Expected<backend::RegistryKey> key) {
    if (!key.ok()) return key.status();
    return std::unique_ptr<RegistryKey::Impl>(std::make_unique<BackendKey>(std::move(*key)));
  }

  Expected<std::unique_ptr<Impl>> OpenSubkey(const std::string& subkey,
                                             RegistryAccess access) const override {
    return From(m_key.OpenSubkey(subkey, access));
  }
  Expected<RegistryValue> QueryValue(const std::string& name) const override {
    return m_key.QueryValue(name);
  }
  Status SetValue(const std::string& name, const RegistryValue& value) override {
    return m_key.SetValue(name, value);
  }
  Status DeleteValue(const std::string& name) override { return m_key.DeleteValue(name); }
  Expected<std::string> EnumerateSubkey(unsigned long index) const override {
    return m_key.EnumerateSubkey(index);
  }
  Expected<std::string> EnumerateValue(unsigned long index) const override {
    return m_key.EnumerateValue(index);
  }
  Expected<std::string> KeyClass() const override { return m_key.KeyClass(); }
  Status SaveToFile(const std::string& path) const override { return m_key.SaveToFile(path); }
  Status RestoreFromFile(const std::string& path) override { return m_key.RestoreFromFile(path); }

 private:
  backend::RegistryKey m_key;
};

Expected<RegistryKey> Wrap(Expected<std::unique_ptr<RegistryKey::Impl>> impl,
                           RegistryKey (*make)(std::unique_ptr<RegistryKey::Impl>)) {
  if (!impl.ok()) return impl.status();
  return make(std::move(*impl));
}

}  // namespace

RegistryKey::RegistryKey(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;
RegistryKey::~RegistryKey() = default;

Expected<RegistryKey> RegistryKey::Open(RegistryRoot root, const std::string& subkey,
                                        RegistryAccess access) {
  SeamLayer* layer = ActiveSeamLayer();
  return Wrap(layer != nullptr ? layer->OpenRegistryKey(root, subkey, access)
                               : BackendKey::From(backend::RegistryKey::Open(root, subkey, access)),
              [](std::unique_ptr<Impl> impl) { return RegistryKey(std::move(impl)); });
}

Expected<RegistryKey> RegistryKey::Create(RegistryRoot root, const std::string& subkey,
                                          const std::string& keyClass, RegistryAccess access) {
  SeamLayer* layer = ActiveSeamLayer();
  return Wrap(layer != nullptr
                  ? layer->CreateRegistryKey(root, subkey, keyClass, access)
                  : BackendKey::From(backend::RegistryKey::Create(root, subkey, keyClass, access)),
              [](std::unique_ptr<Impl> impl) { return RegistryKey(std::move(impl)); });
}

Expected<RegistryKey> RegistryKey::OpenSubkey(const std::string& subkey,
                                              RegistryAccess access) const {
  return Wrap(m_impl->OpenSubkey(subkey, access),
              [](std::unique_ptr<Impl> impl) { return RegistryKey(std::move(impl)); });
}

Expected<RegistryValue> RegistryKey::QueryValue(const std::string& name) const {
  return m_impl->QueryValue(name);
}
Status RegistryKey::SetValue(const std::string& name, const RegistryValue& value) {
  return m_impl->SetValue(name, value);
}
Status RegistryKey::DeleteValue(const std::string& name) { return m_impl->DeleteValue(name); }
Expected<std::string> RegistryKey::EnumerateSubkey(unsigned long index) const {
  return m_impl->EnumerateSubkey(index);
}
Expected<std::string> RegistryKey::EnumerateValue(unsigned long index) const {
  return m_impl->EnumerateValue(index);
}
Expected<std::string> RegistryKey::KeyClass() const { return m_impl->KeyClass(); }
Status RegistryKey::SaveToFile(const std::string& path) const { return m_impl->SaveToFile(path); }
Status RegistryKey::RestoreFromFile(const std::string& path) {
  return m_impl->RestoreFromFile(path);
}

Status DeleteRegistryKey(RegistryRoot root, const std::string& subkey) {
  if (SeamLayer* layer = ActiveSeamLayer()) return layer->DeleteRegistryKey(root, subkey);
  return backend::DeleteRegistryKey(root, subkey);
}

}  // namespace orvane::os
