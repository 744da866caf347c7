// On Windows the snapshot keeps no handle open (that would stand in the way
// of the renames that replace shared files); the file index carries a
// sequence number, so a new file does not take over an old one's identity.
#include "orvane/os/FileSnapshot.h"
#include "orvane/os/Backend.h"

#include "orvane/os/win32/ApiStatus.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os::backend {

namespace {

// A handle that shares everything, so that readers never stand in the way of
// writers, renames or deletions.
class SharingHandle {
 public:
  SharingHandle(const std::string& path, DWORD access)
      : m_handle(::CreateFileA(path.c_str(), access,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~SharingHandle() {
    if (valid()) ::CloseHandle(m_handle);
  }
  SharingHandle(const SharingHandle&) = delete;
  SharingHandle& operator=(const SharingHandle&) = delete;

  bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return m_handle; }

 private:
  HANDLE m_handle;
};

struct Version {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  DWORD sizeHigh = 0;
  DWORD sizeLow = 0;
  FILETIME written = {};

  bool operator==(const Version& other) const {
    return volume == other.volume && indexHigh == other.indexHigh &&
           indexLow == other.indexLow && sizeHigh == other.sizeHigh &&
           sizeLow == other.sizeLow && written.dwLowDateTime == other.written.dwLowDateTime &&
           written.dwHighDateTime == other.written.dwHighDateTime;
  }
};

bool VersionOf(HANDLE file, Version* version) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file, &info)) return false;
  version->volume = info.dwVolumeSerialNumber;
  version->indexHigh = info.nFileIndexHigh;
  version->indexLow = info.nFileIndexLow;
  version->sizeHigh = info.nFileSizeHigh;
  version->sizeLow = info.nFileSizeLow;
  version->written = info.ftLastWriteTime;
  return true;
}

}  // namespace

class FileSnapshot::Impl {
 public:
  std::string path;
  Version version;
  std::string bytes;
};

Expected<FileSnapshot> FileSnapshot::Take(const std::string& path) {
  SharingHandle file(path, GENERIC_READ);
  if (!file.valid()) return LastErrorFailure();
  auto impl = std::make_unique<Impl>();
  impl->path = path;
  if (!VersionOf(file.get(), &impl->version)) return LastErrorFailure();
  char buffer[65536];
  DWORD got = 0;
  while (true) {
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return LastErrorFailure();
    if (got == 0) break;
    impl->bytes.append(buffer, got);
  }
  return FileSnapshot(std::move(impl));
}

FileSnapshot::FileSnapshot(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
FileSnapshot::FileSnapshot(FileSnapshot&&) noexcept = default;
FileSnapshot& FileSnapshot::operator=(FileSnapshot&&) noexcept = default;
FileSnapshot::~FileSnapshot() = default;

const std::string& FileSnapshot::bytes() const { return m_impl->bytes; }

bool FileSnapshot::IsCurrent() const {
  SharingHandle file(m_impl->path, FILE_READ_ATTRIBUTES);
  Version now;
  return file.valid() && VersionOf(file.get(), &now) && now == m_impl->version;
}

}  // namespace orvane::os::backend
