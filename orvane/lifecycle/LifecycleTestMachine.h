// Test helpers of the instance lifecycle: a fresh machine on the virtual
// clock with a sample installation laid out, the messages the library shows,
// and readers for the services file and file modes.
#ifndef ORVANE_LIFECYCLE_LIFECYCLETESTMACHINE_H_
#define ORVANE_LIFECYCLE_LIFECYCLETESTMACHINE_H_

#include <sys/stat.h>

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
  void SetUp() override {
    ORVANE_SKIP_WITHOUT_EMULATION("the services file and services of the emulated machine");
  }

  // Lays out the installation with its options as set and the macro files of
  // every record made through Record.
  void LayOut() {
    ASSERT_TRUE(install.LayOut()) << install.error();
    machine.WriteFile("C:\\WINNT\\system32\\drivers\\etc\\services",
                      "echo\t\t7/tcp\r\nhttp\t\t80/tcp\t# web\r\n");
  }
  MSInfo Record(const std::string& name, int port, int processes = 2) {
    MSInfo info = install.Record(name, port, processes);
    EXPECT_TRUE(install.AddMacroFiles(info.GetMacroPath())) << install.error();
    return info;
  }

  static std::string ServicesFile() {
    return ReadTextFile("C:\\WINNT\\system32\\drivers\\etc\\services");
  }
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

  // The permission bits of a file or directory, -1 when it does not exist.
  int Mode(const std::string& windowsPath) const {
    struct stat status;
    if (::stat(machine.HostPath(windowsPath).c_str(), &status) != 0) return -1;
    return static_cast<int>(status.st_mode & 07777);
  }

  SampleInstallation install;
};

}  // namespace orvane::test

#endif  // ORVANE_LIFECYCLE_LIFECYCLETESTMACHINE_H_
