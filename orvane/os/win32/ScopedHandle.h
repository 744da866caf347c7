// Owners of Win32 handles: a registry key, a service handle, a search handle
// and so on, closed when the owner goes. Move-only.
#ifndef ORVANE_OS_WIN32_SCOPEDHANDLE_H_
#define ORVANE_OS_WIN32_SCOPEDHANDLE_H_

#include <utility>

#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os {

// Traits says what a handle is, which value means "none" and how it is closed.
template <class Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) : m_handle(handle) {}
  ScopedHandle(ScopedHandle&& other) noexcept : m_handle(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { reset(); }

  Handle get() const { return m_handle; }
  bool valid() const { return m_handle != Traits::None(); }
  Handle release() { return std::exchange(m_handle, Traits::None()); }

  // Closes the handle held. Closing keeps the thread's last error, so that a
  // failure's code survives the clean-up on the way out.
  void reset(Handle handle = Traits::None()) {
    if (valid()) {
      DWORD lastError = ::GetLastError();
      Traits::Close(m_handle);
      ::SetLastError(lastError);
    }
    m_handle = handle;
  }

 private:
  Handle m_handle = Traits::None();
};

struct RegistryKeyTraits {
  using Handle = HKEY;
  static HKEY None() { return nullptr; }
  static void Close(HKEY key) { ::RegCloseKey(key); }
};
using ScopedRegistryKey = ScopedHandle<RegistryKeyTraits>;

struct ServiceHandleTraits {
  using Handle = SC_HANDLE;
  static SC_HANDLE None() { return nullptr; }
  static void Close(SC_HANDLE handle) { ::CloseServiceHandle(handle); }
};
using ScopedServiceHandle = ScopedHandle<ServiceHandleTraits>;

struct ServiceLockTraits {
  using Handle = SC_LOCK;
  static SC_LOCK None() { return nullptr; }
  static void Close(SC_LOCK lock) { ::UnlockServiceDatabase(lock); }
};
using ScopedServiceLock = ScopedHandle<ServiceLockTraits>;

struct FindHandleTraits {
  using Handle = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE search) { ::FindClose(search); }
};
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;

struct KernelHandleTraits {
  using Handle = HANDLE;
  static HANDLE None() { return nullptr; }
  static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;

// CreateFile's handles, whose "none" is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
  using Handle = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
using ScopedFileHandle = ScopedHandle<FileHandleTraits>;

}  // namespace orvane::os

#endif  // ORVANE_OS_WIN32_SCOPEDHANDLE_H_
