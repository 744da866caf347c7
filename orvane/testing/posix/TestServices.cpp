// Test services on the emulated machine: registry entries with the
// emulation's knobs, timed on the virtual clock.
#include "orvane/testing/TestServices.h"

#include "orvane/os/Registry.h"

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
  m_machine.WriteRegistry(service.RegistryText(name, true));
}

void TestServices::Own(const std::string&) {}

unsigned long TestServices::ElapsedSeconds() const {
  return ClockSeconds() - static_cast<unsigned long>(m_startMs / 1000);
}

}  // namespace orvane::test
