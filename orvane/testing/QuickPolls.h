// Quick polls for the tests of operations that wait in one-second polls (a
// service's 180 polls, a database script's 600).
//
//   TEST_F(InstanceServiceTest, StartThatNeverCompletes...) {
//     orvane::test::QuickPolls quickPolls;
//     ...  // every wait of the library now takes a hundredth of its time
//   }
//
// On the emulated machine the clock is virtual already: there a QuickPolls
// changes nothing. On Windows (and Wine) the library's waits are real; the
// test program links its own backend::SleepMilliseconds in place of the
// library's, and while a QuickPolls lives each wait sleeps kSpeedUp times
// less than asked, while a poll clock counts the time asked for in full. Like the
// emulated machine's virtual clock, the poll clock advances by waits alone,
// from the scope's beginning: the test services read it
// (TestServices::ElapsedSeconds()) while the scope lives, so a test keeps
// exact expectations such as "181 seconds". A test service's own delays stay
// real: the scope suits tests whose services hang (or fail at once), not ones
// whose services must finish on the poll clock.
// One QuickPolls at a time, made and ended on the test's thread.
#ifndef ORVANE_TESTING_QUICKPOLLS_H_
#define ORVANE_TESTING_QUICKPOLLS_H_

namespace orvane::test {

class QuickPolls {
 public:
  // How many times shorter each wait is: a hundredth keeps 180 polls under
  // two seconds and each wait (10 ms) well above the timer's granularity.
  static constexpr unsigned long kSpeedUp = 100;

  QuickPolls();
  ~QuickPolls();
  QuickPolls(const QuickPolls&) = delete;
  QuickPolls& operator=(const QuickPolls&) = delete;

  // True while a QuickPolls lives (always false on the emulated machine).
  static bool Active();

#if defined(_WIN32)
  // The milliseconds of waits asked for since the scope began, counted in
  // full; 0 when no QuickPolls lives.
  static unsigned long long WaitedMilliseconds();
#endif
};

}  // namespace orvane::test

#endif  // ORVANE_TESTING_QUICKPOLLS_H_
