// A fresh, empty Windows machine for one test.
//
// On the emulated machine it is a temporary folder that ORVANE_MACHINE names
// while the TempMachine lives (the previous value comes back afterwards);
// the folder is removed with everything in it when the test ends. It starts
// with drive C holding the Windows directory C:\WINNT\system32 and an empty
// registry. Every test that touches the seam's files, registry, services or
// network databases works on one, through the seam or these helpers.
//
// The helpers report their own failures as test failures (non-fatal).
#ifndef ORVANE_TESTING_TEMPMACHINE_H_
#define ORVANE_TESTING_TEMPMACHINE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::test {

class TempMachine {
 public:
  TempMachine();
  ~TempMachine();
  TempMachine(const TempMachine&) = delete;
  TempMachine& operator=(const TempMachine&) = delete;

  // Imports registry editor text into the machine's registry, merged with
  // what is there, as importing a .reg file does. The first line
  // "Windows Registry Editor Version 5.00" may be left out.
  void WriteRegistry(const std::string& regText);

  // Writes a file's bytes exactly as given (no line end translation),
  // creating the folders on the way.
  void WriteFile(const std::string& windowsPath, const std::string& bytes);
  // The bytes of a file ("" and a test failure when it cannot be read).
  std::string ReadFile(const std::string& windowsPath) const;
  bool FileExists(const std::string& windowsPath) const;

  // Makes a host name resolve to addresses (IPv4, in order). The emulated
  // machine gets lines "address name" in its hosts file
  // (C:\WINNT\system32\drivers\etc\hosts), one per address. Windows resolves
  // through its own resolver, which a test may not change: there a name that
  // resolves to exactly these addresses already is taken, and any other skips
  // the test with the reason (a fixture's SetUp returns when IsSkipped()).
  void AddHost(const std::string& name, const std::vector<std::string>& addresses);

  // A local account and its privilege level (0 guest, 1 user, 2 administrator).
  struct Account {
    std::string name;
    unsigned long privilege;
  };
  // Accounts for a test, at every level the machine can give: the emulated
  // machine gets "dbadmin", "clerk" and "visitor", one at each level from the
  // highest. A test may not add accounts to Windows: there it is the current
  // user, at the level the machine gives it.
  std::vector<Account> AddAccounts();

  // Switches the machine to its virtual clock: sleeping then advances the
  // clock without waiting.
  void UseVirtualClock();

  // The machine's services file (system32\drivers\etc\services in the
  // Windows directory), which the library edits; on Windows the test's
  // changes to it are undone when the machine goes.
  static std::string ServicesFile();

  // Where a Windows path of the machine is on the host, for looking at files
  // with the host's own means.
  std::string HostPath(const std::string& windowsPath) const;

 private:
  std::string m_folder;
  bool m_hadPrevious = false;
  std::string m_previous;
};

// A test on its own fresh machine.
class MachineTest : public ::testing::Test {
 protected:
  TempMachine machine;
};

}  // namespace orvane::test

#endif  // ORVANE_TESTING_TEMPMACHINE_H_
