// Test helpers of the instance lifecycle: a fresh machine (on the virtual
// clock where it has one) with a sample installation laid out, the messages
// the library shows, and readers for the services file and file modes.
#ifndef ORVANE_LIFECYCLE_LIFECYCLETESTMACHINE_H_
#define ORVANE_LIFECYCLE_LIFECYCLETESTMACHINE_H_

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <cstdio>
#include <string>
#include <vector>

#include "orvane/platform/PlatformTestMachine.h"
#include "orvane/runtime/Messages.h"
#include "orvane/testing/Emulation.h"
#include "orvane/testing/SampleInstallation.h"

namespace orvane::test {

// The texts handed to the message callbacks, prefixed "error: " or
// "status: ".
inline std::vector<std::string>& ShownMessages() {
  static std::vector<std::string> messages;
  return messages;
}

class LifecycleTest : public PlatformMachineTest {
 protected:
  LifecycleTest() {
    ShownMessages().clear();
    bCgiApp = 1;
    pfnError = [](const char* text) { ShownMessages().push_back(std::string("error: ") + text); };
    pfnUpdate = [](const char* text) { ShownMessages().push_back(std::string("status: ") + text); };
  }
  ~LifecycleTest() override {
    bCgiApp = 0;
    pfnError = nullptr;
    pfnUpdate = nullptr;
  }

  // Lays out the installation with its options as set, and a services file
  // with two lines of other programs.
  void LayOut() {
    ASSERT_TRUE(install.LayOut()) << install.error();
    machine.WriteFile(TempMachine::ServicesFile(), "echo\t\t7/tcp\r\nhttp\t\t80/tcp\t# web\r\n");
  }
  // A record of the installation with its macro files; the instance service
  // it may get is removed when the test ends.
  MSInfo Record(const std::string& name, int port, int processes = 2) {
    MSInfo info = install.Record(name, port, processes);
#if defined(_WIN32)
    // The owner's setter takes an administrator account only; Windows has no
    // "tqadmin", and Wine's own user is no administrator. The owner is
    // stored as the data file would hold it.
    info.m_DBOwner = install.dbOwner.c_str();
#endif
    EXPECT_TRUE(install.AddMacroFiles(info.GetMacroPath())) << install.error();
    services.Own("TQ" + name);
    return info;
  }

  // Host names that resolve to an address through the emulated machine's
  // hosts file. Windows resolves through its own resolver, which knows none
  // of them: there they stay unresolved, and the web server's configuration
  // leaves out their address blocks alike on every pass.
  void AddHosts(const std::vector<std::string>& names, const std::string& address) {
#if defined(_WIN32)
    static_cast<void>(names);
    static_cast<void>(address);
#else
    for (const std::string& name : names) machine.AddHost(name, {address});
#endif
  }

  static std::string ServicesFile() { return ReadTextFile(TempMachine::ServicesFile()); }
  // The services file's line for a name, or "" when there is none.
  static std::string ServiceLine(const std::string& name) {
    const std::string text = ServicesFile();
    size_t start = 0;
    while (start < text.size()) {
      const size_t end = text.find('\n', start);
      const std::string line = text.substr(start, end - start);
      const size_t word = line.find_first_of(" \t");
      if (line.substr(0, word) == name) return line;
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return "";
  }

  // Whether a file or directory exists with the permission bits mode. Modes
  // exist on the emulated machine only (the library's mode hook does nothing
  // on Windows): there the path need only exist.
  ::testing::AssertionResult HasMode(const std::string& windowsPath, int mode) const {
    if (!machine.FileExists(windowsPath)) {
      return ::testing::AssertionFailure() << windowsPath << " does not exist";
    }
#if !defined(_WIN32)
    struct stat status;
    if (::stat(machine.HostPath(windowsPath).c_str(), &status) != 0) {
      return ::testing::AssertionFailure() << windowsPath << " cannot be examined";
    }
    const int actual = static_cast<int>(status.st_mode & 07777);
    if (actual != mode) {
      char octal[32];
      std::snprintf(octal, sizeof octal, "%04o, not %04o", actual, mode);
      return ::testing::AssertionFailure() << windowsPath << " has the mode " << octal;
    }
#else
    static_cast<void>(mode);
#endif
    return ::testing::AssertionSuccess();
  }

  SampleInstallation install;
};

}  // namespace orvane::test

#endif  // ORVANE_LIFECYCLE_LIFECYCLETESTMACHINE_H_
