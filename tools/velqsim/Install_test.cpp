// Installing the stand-in into a machine, and running it there as the
// library runs it: by name from the system directory.
#include "tools/velqsim/Install.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "orvane/os/Registry.h"
#include "orvane/testing/TempMachine.h"
#include "tools/velqsim/SampleScripts.h"

namespace velqsim {
namespace {

namespace os = orvane::os;

std::string RegistryString(const std::string& key, const std::string& name) {
  auto opened =
      os::RegistryKey::Open(os::RegistryRoot::kLocalMachine, key, os::RegistryAccess::kRead);
  if (!opened) return "<no key>";
  auto value = opened->QueryValue(name);
  return value ? value->AsString() : "<no value>";
}

class InstallTest : public orvane::test::MachineTest {
 protected:
  InstallResult Install(InstallOptions options = {}) {
    options.program = VELQSIM_PROGRAM;
    return InstallIntoMachine(options);
  }
};

TEST_F(InstallTest, InstallsProgramsRegistryDriverAndTheProductsScripts) {
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
      "\"TQ_INST_PATH\"=\"D:\\\\Tessaly\"\r\n");
  InstallResult result = Install();
  ASSERT_TRUE(result.ok) << result.report;
  for (const char* program : {"velqcmd", "velq"}) {
    struct stat info;
    ASSERT_EQ(stat(machine.HostPath(std::string("C:\\WINNT\\system32\\") + program).c_str(), &info),
              0);
    EXPECT_TRUE(info.st_mode & S_IXUSR) << program;
  }
  EXPECT_EQ(RegistryString("SOFTWARE\\VXR\\VELQ", "VELQ Path Name"), "C:\\VELQ");
  EXPECT_NE(RegistryString("SOFTWARE\\VXR\\VELQ Extenders", "Version"), "<no key>");
  EXPECT_EQ(RegistryString("SOFTWARE\\ODBC\\ODBCINST.INI\\VXR VELQ ODBC DRIVER", "Driver"),
            "C:\\VELQ\\BIN\\VELQCLI.DLL");
  for (const SampleScript& script : SampleScripts()) {
    const std::string bytes =
        machine.ReadFile(std::string("D:\\Tessaly\\tq_schema\\VELQ\\") + script.fileName);
    // Text files of the machine end their lines with CR LF.
    EXPECT_NE(bytes.find("\r\n"), std::string::npos) << script.fileName;
    EXPECT_EQ(bytes.find("\n"), bytes.find("\r\n") + 1) << script.fileName;
  }
}

TEST_F(InstallTest, KeepsAVelqDirectoryThatIsSetAndSkipsWhatIsNotAsked) {
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ]\r\n"
      "\"VELQ Path Name\"=\"E:\\\\Velq\\\\\"\r\n");
  InstallOptions options;
  options.extenders = false;
  InstallResult result = Install(options);
  ASSERT_TRUE(result.ok) << result.report;
  EXPECT_EQ(RegistryString("SOFTWARE\\VXR\\VELQ", "VELQ Path Name"), "E:\\Velq\\");
  EXPECT_TRUE(machine.FileExists("E:\\Velq\\DATA"));
  EXPECT_EQ(RegistryString("SOFTWARE\\VXR\\VELQ Extenders", "Version"), "<no key>");
  EXPECT_NE(result.report.find("scripts: not installed"), std::string::npos);

  // Installing again (over running copies, too) succeeds and keeps the record.
  options.scriptsDirectory = "C:\\scripts";
  result = Install(options);
  ASSERT_TRUE(result.ok) << result.report;
  EXPECT_TRUE(machine.FileExists("C:\\scripts\\schema.cmd"));
  EXPECT_EQ(RegistryString("SOFTWARE\\VXR\\VELQ", "VELQ Path Name"), "E:\\Velq\\");
}

}  // namespace
}  // namespace velqsim
