#include "orvane/os/posix/Clock.h"

#include <time.h>

#include <algorithm>
#include <cerrno>

#include "orvane/os/Process.h"
#include "orvane/os/Backend.h"
#include "orvane/os/posix/RegistryStore.h"
#include "orvane/os/posix/RegistryUtil.h"
#include "orvane/os/posix/StartedChildren.h"

namespace orvane::os {

namespace posix {

namespace {

constexpr char kEmulationKey[] = "EMULATION";
constexpr char kVirtualClockValue[] = "VirtualClock";
constexpr char kSecondsValue[] = "ClockSeconds";
constexpr char kMillisecondsValue[] = "ClockMilliseconds";
// The most real time one virtual sleep gives to programs still running: a
// program that never ends costs a ten-minute poll about a minute.
constexpr unsigned long kRealTimeForChildren = 100;

const RegistryNode* EmulationKey(const RegistryNode& tree) {
  // Split once: every service operation reads the clock.
  static const std::vector<std::string> kPath =
      HiveKeyPath(RegistryRoot::kLocalMachine, kEmulationKey);
  return tree.FindPath(kPath);
}

bool VirtualClockIsOn(const RegistryNode* emulation) {
  return DwordOr(emulation, kVirtualClockValue, 0) == 1;
}

std::uint64_t VirtualReading(const RegistryNode* emulation) {
  return std::uint64_t{DwordOr(emulation, kSecondsValue, 0)} * 1000 +
         DwordOr(emulation, kMillisecondsValue, 0) % 1000;
}

std::uint64_t RealMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000 +
         static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
}

void WaitForReal(unsigned long milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

// Advances the virtual clock by milliseconds when it is on; false when the
// clock is real (or the registry cannot be changed), so the caller waits.
bool AdvanceVirtualClock(unsigned long milliseconds) {
  bool advanced = false;
  ChangeRegistry([&](RegistryNode* tree, bool* changed) {
    RegistryNode* emulation = tree->FindPath(HiveKeyPath(RegistryRoot::kLocalMachine,
                                                         kEmulationKey));
    if (!VirtualClockIsOn(emulation)) return Status();
    std::uint64_t reading = VirtualReading(emulation) + milliseconds;
    emulation->SetValue(kSecondsValue,
                        RegistryValue::Dword(static_cast<unsigned long>(reading / 1000)));
    emulation->SetValue(kMillisecondsValue,
                        RegistryValue::Dword(static_cast<unsigned long>(reading % 1000)));
    advanced = *changed = true;
    return Status();
  });
  return advanced;
}

}  // namespace

bool IsVirtualClock() {
  Expected<RegistrySnapshot> tree = ReadRegistry();
  return tree.ok() && VirtualClockIsOn(EmulationKey(**tree));
}

std::uint64_t MachineClockMilliseconds() {
  Expected<RegistrySnapshot> tree = ReadRegistry();
  return tree.ok() ? MachineClockMilliseconds(**tree) : RealMilliseconds();
}

std::uint64_t MachineClockMilliseconds(const RegistryNode& tree) {
  const RegistryNode* emulation = EmulationKey(tree);
  return VirtualClockIsOn(emulation) ? VirtualReading(emulation) : RealMilliseconds();
}

unsigned long MachineClockSeconds() {
  return static_cast<unsigned long>(MachineClockMilliseconds() / 1000);
}

unsigned long MachineClockSeconds(const RegistryNode& tree) {
  return static_cast<unsigned long>(MachineClockMilliseconds(tree) / 1000);
}

}  // namespace posix

namespace backend {

void SleepMilliseconds(unsigned long milliseconds) {
  // Reading first keeps an ordinary sleep from taking the registry's lock.
  if (posix::IsVirtualClock()) {
    // A program started beside the sleeper runs in real time: it gets a
    // little of it, so that a poll for its result sees it finish.
    posix::GiveRealTimeToStartedChildren(std::min(milliseconds, posix::kRealTimeForChildren));
    if (posix::AdvanceVirtualClock(milliseconds)) return;
  }
  posix::WaitForReal(milliseconds);
}

}  // namespace backend
}  // namespace orvane::os
