// The registry on the Win32 API.
#include "orvane/os/Registry.h"
#include "orvane/os/Backend.h"

#include <string>
#include <vector>

#include "orvane/os/win32/ApiStatus.h"
#include "orvane/os/win32/ScopedHandle.h"
#include "orvane/os/win32/Wine.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os::backend {

class RegistryKey::Impl {
 public:
  explicit Impl(HKEY key) : m_key(key) {}
  HKEY get() const { return m_key.get(); }

 private:
  ScopedRegistryKey m_key;
};

namespace {

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

REGSAM AccessMask(RegistryAccess access) {
  switch (access) {
    case RegistryAccess::kRead:
      return KEY_READ;
    case RegistryAccess::kWrite:
      return KEY_READ | KEY_WRITE;
    case RegistryAccess::kAll:
      break;
  }
  return KEY_ALL_ACCESS;
}

// Restores a hive file onto a key the way RegRestoreKey does: the hive is
// loaded as a key of its own, the target's values and subkeys are replaced by
// a copy of it, and the hive is unloaded again.
Status RestoreByCopy(HKEY target, const std::string& path) {
  std::string loadName = "OrvaneRestore-" + std::to_string(::GetCurrentProcessId()) + "-" +
                         std::to_string(::GetTickCount());
  LONG code = ::RegLoadKeyA(HKEY_USERS, loadName.c_str(), path.c_str());
  if (code != ERROR_SUCCESS) return StatusFromCode(code);
  HKEY loaded = nullptr;
  code = ::RegOpenKeyExA(HKEY_USERS, loadName.c_str(), 0, KEY_READ, &loaded);
  if (code == ERROR_SUCCESS) {
    code = ::RegDeleteTreeA(target, nullptr);
    if (code == ERROR_SUCCESS) code = ::RegCopyTreeA(loaded, nullptr, target);
    ::RegCloseKey(loaded);
  }
  ::RegUnLoadKeyA(HKEY_USERS, loadName.c_str());
  return StatusFromCode(code);
}

// Longest key name and value name the registry allows, with the terminator.
constexpr DWORD kMaxKeyNameChars = 256;
constexpr DWORD kMaxValueNameChars = 16384;

}  // namespace

RegistryKey::RegistryKey(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;
RegistryKey::~RegistryKey() = default;

Expected<RegistryKey> RegistryKey::Open(RegistryRoot root, const std::string& subkey,
                                        RegistryAccess access) {
  HKEY key = nullptr;
  LONG code = ::RegOpenKeyExA(RootKey(root), subkey.c_str(), 0, AccessMask(access), &key);
  if (code != ERROR_SUCCESS) return StatusFromCode(code);
  return RegistryKey(std::make_unique<Impl>(key));
}

Expected<RegistryKey> RegistryKey::Create(RegistryRoot root, const std::string& subkey,
                                          const std::string& keyClass, RegistryAccess access) {
  Expected<RegistryKey> existing = Open(root, subkey, access);
  if (existing.ok() || existing.status().code() != kFileNotFound) return existing;
  // Wine, unlike Windows, gives the class to the existing keys on the way
  // too: only the missing part of the path is created, below the longest
  // leading part that exists.
  HKEY parent = RootKey(root);
  std::string missing = subkey;
  for (size_t split = subkey.rfind('\\'); split != std::string::npos && split > 0;
       split = subkey.rfind('\\', split - 1)) {
    existing = Open(root, subkey.substr(0, split), access);
    if (existing.ok()) {
      parent = existing->m_impl->get();
      missing = subkey.substr(split + 1);
      break;
    }
    if (existing.status().code() != kFileNotFound) return existing;
  }
  std::vector<char> classText(keyClass.begin(), keyClass.end());
  classText.push_back('\0');
  HKEY key = nullptr;
  LONG code = ::RegCreateKeyExA(parent, missing.c_str(), 0, classText.data(),
                                REG_OPTION_NON_VOLATILE, AccessMask(access), nullptr, &key,
                                nullptr);
  if (code != ERROR_SUCCESS) return StatusFromCode(code);
  return RegistryKey(std::make_unique<Impl>(key));
}

Expected<RegistryKey> RegistryKey::OpenSubkey(const std::string& subkey,
                                              RegistryAccess access) const {
  HKEY key = nullptr;
  LONG code = ::RegOpenKeyExA(m_impl->get(), subkey.c_str(), 0, AccessMask(access), &key);
  if (code != ERROR_SUCCESS) return StatusFromCode(code);
  return RegistryKey(std::make_unique<Impl>(key));
}

Expected<RegistryValue> RegistryKey::QueryValue(const std::string& name) const {
  DWORD type = REG_NONE;
  DWORD size = 0;
  LONG code = ::RegQueryValueExA(m_impl->get(), name.c_str(), nullptr, &type, nullptr, &size);
  RegistryValue value;
  while (code == ERROR_SUCCESS && size > 0) {
    value.data.resize(size);
    DWORD read = size;
    code = ::RegQueryValueExA(m_impl->get(), name.c_str(), nullptr, &type, value.data.data(),
                              &read);
    if (code != ERROR_MORE_DATA) {
      value.data.resize(read);
      break;
    }
    // The value grew after its size was asked: read again at the new size.
    size = read;
    code = ERROR_SUCCESS;
  }
  if (code != ERROR_SUCCESS) return StatusFromCode(code);
  value.type = static_cast<ValueType>(type);
  return value;
}

Status RegistryKey::SetValue(const std::string& name, const RegistryValue& value) {
  return StatusFromCode(::RegSetValueExA(m_impl->get(), name.c_str(), 0,
                                         static_cast<DWORD>(value.type),
                                         value.data.empty() ? nullptr : value.data.data(),
                                         static_cast<DWORD>(value.data.size())));
}

Status RegistryKey::DeleteValue(const std::string& name) {
  return StatusFromCode(::RegDeleteValueA(m_impl->get(), name.c_str()));
}

Expected<std::string> RegistryKey::EnumerateSubkey(unsigned long index) const {
  char name[kMaxKeyNameChars];
  DWORD length = sizeof name;
  LONG code = ::RegEnumKeyExA(m_impl->get(), index, name, &length, nullptr, nullptr, nullptr,
                              nullptr);
  if (code != ERROR_SUCCESS) return StatusFromCode(code);
  return std::string(name, length);
}

Expected<std::string> RegistryKey::EnumerateValue(unsigned long index) const {
  std::vector<char> name(kMaxValueNameChars);
  DWORD length = kMaxValueNameChars;
  LONG code = ::RegEnumValueA(m_impl->get(), index, name.data(), &length, nullptr, nullptr,
                              nullptr, nullptr);
  if (code != ERROR_SUCCESS) return StatusFromCode(code);
  return std::string(name.data(), length);
}

Expected<std::string> RegistryKey::KeyClass() const {
  DWORD length = 0;
  LONG code = ::RegQueryInfoKeyA(m_impl->get(), nullptr, &length, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (code != ERROR_SUCCESS) return StatusFromCode(code);
  std::vector<char> keyClass(length + 1);
  length = static_cast<DWORD>(keyClass.size());
  code = ::RegQueryInfoKeyA(m_impl->get(), keyClass.data(), &length, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (code != ERROR_SUCCESS) return StatusFromCode(code);
  return std::string(keyClass.data(), length);
}

Status RegistryKey::SaveToFile(const std::string& path) const {
  // Windows refuses to overwrite a hive file, Wine would overwrite it.
  if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return Status::Failure(kAlreadyExists);
  }
  LONG code = ::RegSaveKeyA(m_impl->get(), path.c_str(), nullptr);
  // Wine leaves the file of a failed save behind, which would block the next.
  if (code != ERROR_SUCCESS) ::DeleteFileA(path.c_str());
  return StatusFromCode(code);
}

Status RegistryKey::RestoreFromFile(const std::string& path) {
  // Wine's RegRestoreKey does nothing and reports success.
  if (RunningUnderWine()) return RestoreByCopy(m_impl->get(), path);
  return StatusFromCode(::RegRestoreKeyA(m_impl->get(), path.c_str(), REG_FORCE_RESTORE));
}

Status DeleteRegistryKey(RegistryRoot root, const std::string& subkey) {
  return StatusFromCode(::RegDeleteKeyA(RootKey(root), subkey.c_str()));
}

}  // namespace orvane::os::backend
