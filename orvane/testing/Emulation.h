// Tests that need the emulated machine's own knobs (the virtual clock,
// services with emulated run states and delays, accounts and the user name
// set through the registry or the environment, the machine's hosts file, the
// services file under C:\WINNT) have nothing to turn on a real Windows
// machine: there they skip, by name and with the reason, in the test's body or
// its fixture's SetUp.
#ifndef ORVANE_TESTING_EMULATION_H_
#define ORVANE_TESTING_EMULATION_H_

#include <gtest/gtest.h>

#if defined(_WIN32)
#include "orvane/os/win32/Wine.h"
#endif

#if defined(_WIN32)
#define ORVANE_SKIP_WITHOUT_EMULATION(reason) \
  GTEST_SKIP() << "needs the emulated machine: " << reason
#else
#define ORVANE_SKIP_WITHOUT_EMULATION(reason) static_cast<void>(0)
#endif

namespace orvane::test {

// True under Wine, where a few behaviours differ from Windows' (the service
// database lock is not exclusive, values enumerate in name order).
inline bool RunningUnderWine() {
#if defined(_WIN32)
  return os::RunningUnderWine();
#else
  return false;
#endif
}

}  // namespace orvane::test

#endif  // ORVANE_TESTING_EMULATION_H_
