// Which version of a host file a reader has seen, for readers that keep
// what they parsed for as long as the file stays unchanged.
//
// A version is the file's identity (device and inode) with its size and its
// modification time to the nanosecond, taken with the file open; the file is
// kept open while the version is held, so that its inode cannot pass to a
// later file. Every writer of the emulated machine's shared files renames a
// new file into place, so a change from any process gives a new identity;
// one changed in place shows a new size or modification time.
#ifndef ORVANE_OS_POSIX_HOSTFILEVERSION_H_
#define ORVANE_OS_POSIX_HOSTFILEVERSION_H_

#include <sys/stat.h>

#include <string>

#include "orvane/os/Status.h"

namespace orvane::os::posix {

class HostFileVersion {
 public:
  // The version of the file at hostPath now (kFileNotFound when missing);
  // with bytes given, its content too, read through the same descriptor.
  static Expected<HostFileVersion> Open(const std::string& hostPath, std::string* bytes = nullptr);

  HostFileVersion(HostFileVersion&& other) noexcept;
  HostFileVersion& operator=(HostFileVersion&& other) noexcept;
  HostFileVersion(const HostFileVersion&) = delete;
  HostFileVersion& operator=(const HostFileVersion&) = delete;
  ~HostFileVersion();

  // One stat: true while hostPath names this very file, unchanged.
  bool IsCurrent(const std::string& hostPath) const;

 private:
  HostFileVersion(int fd, const struct stat& info) : m_fd(fd), m_info(info) {}

  int m_fd;
  struct stat m_info;
};

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_HOSTFILEVERSION_H_
