// The emulated machine's clock.
//
// Normally it is the host's real time and sleeping really waits. When
// HKEY_LOCAL_MACHINE\EMULATION has VirtualClock=dword:1 the clock is kept in
// that key instead: ClockSeconds (dword) and ClockMilliseconds (dword, the
// remainder below one second), both 0 when absent. Sleeping then advances
// that clock at once, without waiting, so that tests and demonstrations
// cover minutes of waiting in no time; only while a program that this
// process started is still running does a sleep also wait for real, up to a
// tenth of a second, so that the program keeps pace with the clock.
// SleepMilliseconds (Process.h) is implemented here.
#ifndef ORVANE_OS_POSIX_CLOCK_H_
#define ORVANE_OS_POSIX_CLOCK_H_

#include <cstdint>

#include "orvane/os/posix/RegistryFile.h"

namespace orvane::os::posix {

// True when the machine's registry switches the virtual clock on.
bool IsVirtualClock();

// The machine's clock in milliseconds: the host's real time since 1970, or
// the virtual clock's reading.
std::uint64_t MachineClockMilliseconds();
// The same as a snapshot of the registry (tree) has it.
std::uint64_t MachineClockMilliseconds(const RegistryNode& tree);

// The same in whole seconds, as a dword holds it (real time fits one until
// the year 2106).
unsigned long MachineClockSeconds();
unsigned long MachineClockSeconds(const RegistryNode& tree);

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_CLOCK_H_
