// Quick polls on Windows: the test program's own backend::SleepMilliseconds,
// which the linker takes in place of the library's (orvane/os/win32/Clock.cpp).
#include "orvane/testing/QuickPolls.h"

#include <atomic>

#include "orvane/os/Backend.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane {
namespace {

std::atomic<bool> g_quick{false};
// The poll clock: the waits asked for since the QuickPolls began.
std::atomic<unsigned long long> g_waitedMs{0};

}  // namespace

namespace test {

QuickPolls::QuickPolls() {
  g_waitedMs = 0;
  g_quick = true;
}

QuickPolls::~QuickPolls() { g_quick = false; }

bool QuickPolls::Active() { return g_quick; }

unsigned long long QuickPolls::WaitedMilliseconds() { return g_quick ? g_waitedMs.load() : 0; }

}  // namespace test

namespace os::backend {

void SleepMilliseconds(unsigned long milliseconds) {
  if (!g_quick) {
    ::Sleep(milliseconds);
    return;
  }
  ::Sleep(milliseconds / test::QuickPolls::kSpeedUp);
  g_waitedMs += milliseconds;
}

}  // namespace os::backend
}  // namespace orvane
