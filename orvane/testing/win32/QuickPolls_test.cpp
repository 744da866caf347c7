#include "orvane/testing/QuickPolls.h"

#include <gtest/gtest.h>

#include "orvane/platform/Processes.h"

namespace {

using orvane::test::QuickPolls;

// The library's waits reach the test program's sleep: were the library's own
// linked instead, the poll clock would not move.
TEST(QuickPollsTest, TheLibrarysWaitsRunOnThePollClock) {
  EXPECT_FALSE(QuickPolls::Active());
  {
    QuickPolls quickPolls;
    EXPECT_TRUE(QuickPolls::Active());
    orvane::SleepSeconds(3);
    orvane::SleepSeconds(0);
    orvane::SleepSeconds(2);
    EXPECT_EQ(QuickPolls::WaitedMilliseconds(), 5000u);
  }
  EXPECT_FALSE(QuickPolls::Active());
  EXPECT_EQ(QuickPolls::WaitedMilliseconds(), 0u);
  QuickPolls again;  // each scope's clock starts anew
  EXPECT_EQ(QuickPolls::WaitedMilliseconds(), 0u);
}

}  // namespace
