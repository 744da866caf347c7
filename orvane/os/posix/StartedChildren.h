// The programs this process started and did not wait for, so that a sleep on
// the virtual clock can give them real time.
//
// A virtual sleep advances the machine's clock at once; a program started
// beside it runs in real time. Without help, a caller that polls for a
// program's result on the virtual clock would see minutes pass before the
// program had run a millisecond. So a virtual sleep first waits, for real and
// for a short while at most, until the programs still running have ended.
#ifndef ORVANE_OS_POSIX_STARTEDCHILDREN_H_
#define ORVANE_OS_POSIX_STARTEDCHILDREN_H_

#include <sys/types.h>

namespace orvane::os::posix {

// Notes a program this process started (its process id, just after the start).
void NoteStartedChild(pid_t child);

// Waits until every noted program has ended, at most the given real
// milliseconds; programs that have ended are forgotten. Returns at once when
// none is running.
void GiveRealTimeToStartedChildren(unsigned long milliseconds);

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_STARTEDCHILDREN_H_
