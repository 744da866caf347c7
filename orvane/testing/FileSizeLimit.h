// A full disk for the test's own process: while the object lives, a write
// that would make a file larger than the limit fails (EFBIG), as it does on
// a disk that has filled up. The host's file size limit, so POSIX only.
#ifndef ORVANE_TESTING_FILESIZELIMIT_H_
#define ORVANE_TESTING_FILESIZELIMIT_H_

#if !defined(_WIN32)
#include <sys/resource.h>

#include <csignal>

namespace orvane::test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_previous);
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_previous;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_previousHandler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit m_previous{};
  void (*m_previousHandler)(int);
};

}  // namespace orvane::test

#endif  // !_WIN32
#endif  // ORVANE_TESTING_FILESIZELIMIT_H_
