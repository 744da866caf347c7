// On the emulated machine a snapshot holds the file open (HostFileVersion),
// so that no later file can take over its inode while the snapshot lives.
#include "orvane/os/FileSnapshot.h"
#include "orvane/os/Backend.h"

#include "orvane/os/posix/HostFileVersion.h"
#include "orvane/os/posix/Machine.h"

namespace orvane::os::backend {

class FileSnapshot::Impl {
 public:
  Impl(std::string hostPath, posix::HostFileVersion version, std::string bytes)
      : hostPath(std::move(hostPath)), version(std::move(version)), bytes(std::move(bytes)) {}

  std::string hostPath;
  posix::HostFileVersion version;
  std::string bytes;
};

Expected<FileSnapshot> FileSnapshot::Take(const std::string& path) {
  Expected<std::string> hostPath = posix::HostPath(path);
  if (!hostPath.ok()) return hostPath.status();
  std::string bytes;
  Expected<posix::HostFileVersion> version = posix::HostFileVersion::Open(*hostPath, &bytes);
  if (!version.ok()) return version.status();
  return FileSnapshot(
      std::make_unique<Impl>(std::move(*hostPath), std::move(*version), std::move(bytes)));
}

FileSnapshot::FileSnapshot(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
FileSnapshot::FileSnapshot(FileSnapshot&&) noexcept = default;
FileSnapshot& FileSnapshot::operator=(FileSnapshot&&) noexcept = default;
FileSnapshot::~FileSnapshot() = default;

const std::string& FileSnapshot::bytes() const { return m_impl->bytes; }

bool FileSnapshot::IsCurrent() const { return m_impl->version.IsCurrent(m_impl->hostPath); }

}  // namespace orvane::os::backend
