// A file's content as read at one moment, for readers that keep what they
// parsed from it as long as the file stays unchanged.
//
// Whether the file is still the version read costs one stat: its identity
// (device and inode, or volume and file index), its size and its
// modification time. Files shared between processes are replaced by a
// rename, which gives a new identity, so another process's change is seen at
// the next test.
#ifndef ORVANE_OS_FILESNAPSHOT_H_
#define ORVANE_OS_FILESNAPSHOT_H_

#include <memory>
#include <string>

#include "orvane/os/Status.h"

namespace orvane::os {

class FileSnapshot {
 public:
  // Reads the whole file at path, bytes unchanged (no line end translation).
  // Fails as OpenFile does (kFileNotFound, kPathNotFound, ...).
  static Expected<FileSnapshot> Take(const std::string& path);

  FileSnapshot(FileSnapshot&&) noexcept;
  FileSnapshot& operator=(FileSnapshot&&) noexcept;
  ~FileSnapshot();

  const std::string& bytes() const;
  // True while the path names the file that was read, unchanged.
  bool IsCurrent() const;

 private:
  class Impl;
  explicit FileSnapshot(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_impl;
};

}  // namespace orvane::os

#endif  // ORVANE_OS_FILESNAPSHOT_H_
