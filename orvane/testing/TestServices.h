// Services for the tests of the service operations, on either backend.
//
// On the emulated machine a test service is a registry entry with the
// emulation's knobs, and its transitions run on the virtual clock. On
// Windows (and Wine) it is a real service of the machine's service control
// manager, running the test program orvane_test_service.exe, whose command
// line carries the same knobs; its transitions take real seconds, so tests
// keep their delays short there (QuickPolls shortens the library's waits, not
// theirs). Either way the test reads time through ElapsedSeconds().
#ifndef ORVANE_TESTING_TESTSERVICES_H_
#define ORVANE_TESTING_TESTSERVICES_H_

#include <map>
#include <string>
#include <vector>

#include "orvane/testing/TempMachine.h"

namespace orvane::test {

// Text as a quoted registry editor string, backslashes and quotes escaped.
std::string RegText(const std::string& text);
// A number as a registry editor dword.
std::string RegDword(unsigned long number);

// A test service: stopped, demand start, C:\bin\<name>.exe, no knobs,
// unless told otherwise. On Windows a service with an image of its own is
// registered but never runs (unless it is Running(), when the test program
// is copied to that image); StartFails() registers an image that does not
// exist, so a start request is refused.
class EmulatedService {
 public:
  EmulatedService& Running() { return Set(m_state, 4); }
  EmulatedService& Automatic() { return Set(m_startType, 2); }
  EmulatedService& StartDelay(unsigned long seconds) { return Set(m_startDelay, seconds); }
  EmulatedService& StopDelay(unsigned long seconds) { return Set(m_stopDelay, seconds); }
  EmulatedService& StartFails() { return Set(m_startFails, 1); }
  EmulatedService& Hangs() { return Set(m_hangs, 1); }
  EmulatedService& Image(const std::string& path) {
    m_image = path;
    return *this;
  }

  bool running() const { return m_state == 4; }
  unsigned long startType() const { return m_startType; }
  unsigned long startDelay() const { return m_startDelay; }
  unsigned long stopDelay() const { return m_stopDelay; }
  bool startFails() const { return m_startFails != 0; }
  bool hangs() const { return m_hangs != 0; }
  bool hasOwnImage() const { return !m_image.empty(); }
  std::string image(const std::string& name) const {
    return m_image.empty() ? "C:\\bin\\" + name + ".exe" : m_image;
  }

  // The service's configuration key as registry editor text; with
  // withRunState, also its emulated run state and knobs.
  std::string RegistryText(const std::string& name, bool withRunState) const;

 private:
  EmulatedService& Set(unsigned long& field, unsigned long value) {
    field = value;
    return *this;
  }

  unsigned long m_state = 1;
  unsigned long m_startType = 3;
  unsigned long m_startDelay = 0;
  unsigned long m_stopDelay = 0;
  unsigned long m_startFails = 0;
  unsigned long m_hangs = 0;
  std::string m_image;
};

// The services of one test, removed again when it ends (on Windows: stopped
// and deleted, the waits included, so that the next test can reuse a name).
class TestServices {
 public:
  explicit TestServices(TempMachine& machine);
  ~TestServices();
  TestServices(const TestServices&) = delete;
  TestServices& operator=(const TestServices&) = delete;

  // Adds (or replaces) a service; a Running() one is running on return.
  void Add(const std::string& name, const EmulatedService& service);
  // Names a service that the code under test creates, to remove it too.
  void Own(const std::string& name);

  // True when a service that was added Running() has been stopped and
  // started again since, and runs now.
  bool Restarted(const std::string& name) const;

  // Whole seconds passed since this object was made: on the machine's
  // virtual clock when it has one; else, while a QuickPolls lives, on its
  // poll clock (the waits asked for since the QuickPolls began), else in
  // real time.
  unsigned long ElapsedSeconds() const;
  // How many seconds more than the virtual clock a real transition may take
  // (the service program's own start-up, the poll's rounding).
  static const unsigned long kSlackSeconds;

 private:
  TempMachine& m_machine;
  std::vector<std::string> m_names;
  // Windows: the process each Running() service was added in, by name.
  std::map<std::string, unsigned long> m_processIds;
  unsigned long long m_startMs;
};

}  // namespace orvane::test

#endif  // ORVANE_TESTING_TESTSERVICES_H_
