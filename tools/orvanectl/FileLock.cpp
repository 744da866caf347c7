#include "FileLock.h"

#include "orvane/os/Files.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>

#include <cerrno>
#endif

namespace orvanectl {

namespace {

bool LockWholeFile(std::FILE* file) {
#if defined(_WIN32)
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  OVERLAPPED at = {};
  return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &at) != 0;
#else
  int result;
  do {
    result = flock(fileno(file), LOCK_EX);
  } while (result != 0 && errno == EINTR);
  return result == 0;
#endif
}

}  // namespace

FileLock::~FileLock() {
  // Closing the file releases the lock.
  if (m_file != nullptr) std::fclose(m_file);
}

bool FileLock::Acquire(const std::string& windowsPath) {
  // Appending writes nothing and never truncates what is there.
  m_file = orvane::os::OpenFile(windowsPath, "ab");
  if (m_file == nullptr) return false;
  if (LockWholeFile(m_file)) return true;
  std::fclose(m_file);
  m_file = nullptr;
  return false;
}

}  // namespace orvanectl
