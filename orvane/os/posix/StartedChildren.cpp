#include "orvane/os/posix/StartedChildren.h"

#include <poll.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <vector>

namespace orvane::os::posix {
namespace {

// A process descriptor becomes readable when its process ends, reaped or
// not, and it never names a later process that reuses the id.
std::mutex g_mutex;
std::vector<int> g_children;

std::int64_t NowMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Closes and forgets the descriptors whose processes have ended.
void ForgetEnded(std::vector<pollfd>& polled) {
  std::vector<int> running;
  for (const pollfd& entry : polled) {
    if (entry.revents != 0) {
      close(entry.fd);
    } else {
      running.push_back(entry.fd);
    }
  }
  g_children = running;
}

}  // namespace

void NoteStartedChild(pid_t child) {
  long descriptor = syscall(SYS_pidfd_open, child, 0);
  // A program that has already ended (and was reaped) needs no time.
  if (descriptor < 0) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_children.push_back(static_cast<int>(descriptor));
}

void GiveRealTimeToStartedChildren(unsigned long milliseconds) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const std::int64_t deadline = NowMilliseconds() + static_cast<std::int64_t>(milliseconds);
  while (!g_children.empty()) {
    std::vector<pollfd> polled;
    for (int descriptor : g_children) polled.push_back(pollfd{descriptor, POLLIN, 0});
    // Any one process that ends wakes the wait; the others are polled again.
    const std::int64_t left = deadline - NowMilliseconds();
    int ready = poll(polled.data(), polled.size(), left > 0 ? static_cast<int>(left) : 0);
    if (ready < 0 && errno != EINTR) return;
    if (ready > 0) ForgetEnded(polled);
    if (ready == 0 && left <= 0) return;
  }
}

}  // namespace orvane::os::posix
