// Test services on the emulated machine: registry entries with the
// emulation's knobs, timed on the virtual clock.
#include "orvane/testing/TestServices.h"

#include "orvane/os/Registry.h"
#include "orvane/os/Services.h"

namespace orvane::test {

const unsigned long TestServices::kSlackSeconds = 0;

namespace {

unsigned long ClockSeconds() {
  auto key = os::RegistryKey::Open(os::RegistryRoot::kLocalMachine, "EMULATION",
                                   os::RegistryAccess::kRead);
  if (!key) return 0;
  auto value = key->QueryValue("ClockSeconds");
  return value ? value->AsDword() : 0;
}

}  // namespace

TestServices::TestServices(TempMachine& machine)
    : m_machine(machine), m_startMs(ClockSeconds() * 1000ull) {}

TestServices::~TestServices() = default;

void TestServices::Add(const std::string& name, const EmulatedService& service) {
  // The run state of an earlier service of that name goes with it.
  m_machine.WriteRegistry("[-HKEY_LOCAL_MACHINE\\EMULATION\\Services\\" + name + "]\r\n" +
                          service.RegistryText(name, true));
}

// A service added Running() has no transition behind it; one that runs with a
// transition behind it was stopped and started again.
bool TestServices::Restarted(const std::string& name) const {
  auto key = os::RegistryKey::Open(os::RegistryRoot::kLocalMachine, "EMULATION\\Services\\" + name,
                                   os::RegistryAccess::kRead);
  if (!key) return false;
  auto state = key->QueryValue("State");
  return state && state->AsDword() == static_cast<unsigned long>(os::ServiceState::kRunning) &&
         key->QueryValue("PendingSince").ok();
}

void TestServices::Own(const std::string&) {}

unsigned long TestServices::ElapsedSeconds() const {
  return ClockSeconds() - static_cast<unsigned long>(m_startMs / 1000);
}

}  // namespace orvane::test
