// An exclusive lock that another process taking the same lock waits for,
// held on a small file for as long as the object lives.
#ifndef ORVANECTL_FILELOCK_H_
#define ORVANECTL_FILELOCK_H_

#include <cstdio>
#include <string>

namespace orvanectl {

class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Opens (or creates) the lock file, a Windows path on the machine, and
  // waits until this process holds the lock. False when the file cannot be
  // opened or locked.
  bool Acquire(const std::string& windowsPath);

 private:
  std::FILE* m_file = nullptr;
};

}  // namespace orvanectl

#endif  // ORVANECTL_FILELOCK_H_
