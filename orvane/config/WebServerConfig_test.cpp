#include "orvane/config/WebServerConfig.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <ostream>
#include <string>
#include <vector>

#include "orvane/config/WebServerTestMachine.h"
#include "orvane/os/Files.h"
#include "orvane/testing/QuickPolls.h"

namespace {

using orvane::test::EmulatedService;
using orvane::test::kShopHost;
using orvane::test::TestServices;

constexpr char kHttpdCnf[] = "C:\\WWW\\conf\\httpd.cnf";
constexpr char kServletCnf[] = "C:\\WWW\\conf\\servlet.cnf";
constexpr char kMagnusConf[] = "C:\\WWW\\conf\\magnus.conf";
constexpr char kObjConf[] = "C:\\WWW\\conf\\obj.conf";
constexpr char kConfigJs[] = "C:\\inst\\html\\en_US\\tqadmin\\common\\config.js";
constexpr char kDataFile[] = "C:\\inst\\tqconfig.dat";
constexpr char kServletsProperties[] =
    "C:\\AS\\AppServer\\properties\\server\\servlet\\servletservice\\servlets.properties";
constexpr char kUnclosedSection[] = "###### VXR Tessaly\r\n";
const std::string kHttpd = "Port 80\r\nHostname old\r\nPass /* C:\\WWW\\html\\*\r\n";
// How long the web server takes to stop: on the machine's clock, or in real
// seconds on Windows, so short there.
#if defined(_WIN32)
constexpr unsigned long kStopSeconds = 1;
#else
constexpr unsigned long kStopSeconds = 3;
#endif

class WebServerConfigTest : public orvane::test::WebServerMachineTest {
 protected:
  void SetUp() override {
    AddHost(kShopHost);
    if (IsSkipped()) return;
    RegisterProduct();
    RegisterWebServer();
    RegisterVelq();
    machine.WriteFile(kConfigJs, "var gTQPackaging = 0;\r\n");
    machine.WriteFile(kHttpdCnf, kHttpd);
    machine.WriteFile(kServletCnf, "JavaLibPath C:\\jdk\r\n");
    AddService(orvane::kWebServerService, EmulatedService().Running().StopDelay(kStopSeconds));
    MSInfo a = Instance("a", kShopHost.name.c_str());
    list.Add(a, 0);
  }

  static unsigned long WebServerStateNumber() {
    return ServiceStateNumber(orvane::kWebServerService);
  }
  // Stopped and started again since the test added it.
  bool WebServerRestarted() const { return services.Restarted(orvane::kWebServerService); }

  MSList list;
};

TEST_F(WebServerConfigTest, RunWritesEveryFileAndRestartsTheWebServer) {
  const unsigned long before = ClockSeconds();
  ASSERT_EQ(KelSetISConf(list), 1);
  const unsigned long waited = ClockSeconds() - before;
  EXPECT_TRUE(Errors().empty());
  EXPECT_NE(machine.ReadFile(kHttpdCnf).find("Hostname " + kShopHost.name + "\r\n"),
            std::string::npos);
  EXPECT_NE(machine.ReadFile(kServletCnf).find("    " + kShopHost.name + "=C:\\a\\html\r\n"),
            std::string::npos);
  const std::string magnus =
      "LoadObjects obj.conf\r\n"
      "Init fn=load-modules shlib=\"C:/inst/cgi-bin/tq_cache_kelapi.dll\" "
      "func=\"tq_init_cache, tq_cache\"\r\n"
      "Init fn=tq_init_cache\r\n";
  const std::string obj = "<Object name=\"default\">\r\nService fn=\"tq_cache\"\r\n</Object>\r\n";
  EXPECT_EQ(machine.ReadFile(kMagnusConf), magnus);
  EXPECT_EQ(machine.ReadFile(kObjConf), obj);
  // Stopped (the run waited for the stop), then started again.
  EXPECT_TRUE(WebServerRestarted());
  EXPECT_EQ(WebServerStateNumber(), 4u);
  EXPECT_GE(waited, kStopSeconds);
  EXPECT_LE(waited, kStopSeconds + 2 + TestServices::kSlackSeconds);

  machine.WriteFile(kMagnusConf, "mine\r\n");
  ASSERT_EQ(KelSetISConf(list), 1);
  EXPECT_EQ(machine.ReadFile(kMagnusConf), magnus);
  EXPECT_EQ(machine.ReadFile("C:\\WWW\\conf\\magnus.old.conf"), "mine\r\n");
  // An unchanged file is not written again.
  EXPECT_FALSE(machine.FileExists("C:\\WWW\\conf\\obj.old.conf"));
}

TEST_F(WebServerConfigTest, RestartFollowsTheServiceManager) {
  // An instance read back from an earlier level: no restart at all.
  MSInfo old = Instance("b", kShopHost.name.c_str());
  old.SetMSOption(MSInfo::kOptOldLevel, MSInfo::kOptOldLevel);
  MSList migrated;
  migrated.Add(old, 0);
  ASSERT_EQ(KelSetISConf(migrated), 1);
  EXPECT_FALSE(WebServerRestarted());
  EXPECT_EQ(WebServerStateNumber(), 4u);

  // A stopped web server stays stopped.
  AddService(orvane::kWebServerService, EmulatedService());
  ASSERT_EQ(KelSetISConf(list), 1);
  EXPECT_EQ(WebServerStateNumber(), 1u);
}

TEST_F(WebServerConfigTest, WebServerThatNeverStopsIsGivenUpAfter180Polls) {
  orvane::test::QuickPolls quickPolls;
  AddService(orvane::kWebServerService, EmulatedService().Running().Hangs());
  EXPECT_EQ(KelSetISConf(list), 0);
  EXPECT_EQ(ClockSeconds(), 180u);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], "Unable to  restart Quenta Go Webserver");
  EXPECT_NE(machine.ReadFile(kHttpdCnf).find("Hostname " + kShopHost.name), std::string::npos);
}

// One row of the failure table: how the machine (or the list) is damaged,
// the last message (an error, or a status line), whether httpd.cnf is
// already written then, and whether the web server is still restarted.
struct FailureCase {
  const char* name;
  void (*damage)(orvane::test::TempMachine&, MSList&);
  const char* message;  // null: none
  bool httpdWritten;
  bool restarted;
  bool statusLine = false;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

const FailureCase kFailureCases[] = {
    {"NoInstallation",
     [](orvane::test::TempMachine& m, MSList&) {
       m.WriteRegistry(
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
           "\"TQ_INST_PATH\"=-\r\n");
     },
     "Cannot find Tessaly installation parameters.", false, false},
    {"NoConfigJs", [](orvane::test::TempMachine&, MSList&) { orvane::os::DeleteFile(kConfigJs); },
     "Cannot find Tessaly installation parameters.", false, false},
    {"NoWebServerRecord",
     [](orvane::test::TempMachine& m, MSList&) {
       m.WriteRegistry(
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6]\r\n"
           "\"ETCpath\"=-\r\n");
     },
     "Cannot find required VXR Kelvane Server.", false, false},
    {"HttpdCnfMissing",
     [](orvane::test::TempMachine&, MSList&) { orvane::os::DeleteFile(kHttpdCnf); },
     "Cannot access file C:\\WWW\\conf\\httpd.cnf.", false, false},
    {"UnclosedSection",
     [](orvane::test::TempMachine& m, MSList&) {
       m.WriteFile(kHttpdCnf, kHttpd + kUnclosedSection);
     },
     "Cannot modify web server configuration file.", false, false},
    {"PluginFileNotCreatable",
     [](orvane::test::TempMachine&, MSList&) { orvane::os::CreateDirectory(kObjConf); },
     "NSAPI configuration file creation failed.", true, false},
    {"ServletCnfMissing",
     [](orvane::test::TempMachine&, MSList&) { orvane::os::DeleteFile(kServletCnf); },
     "Cannot access file C:\\WWW\\conf\\servlet.cnf.", true, true},
    {"HostingWithoutApplicationServer",
     [](orvane::test::TempMachine&, MSList& list) {
       MSInfo hosting = orvane::test::WebServerMachineTest::Instance("h", kShopHost.name.c_str());
       hosting.SetMSOption(MSInfo::kOptHosting, MSInfo::kOptHosting);
       list.Add(hosting, 0);
     },
     "Corbelle configuration failed.  Please install the JQ component Corbelle and re-create "
     "the instance.",
     false, false, true},
};

// httpd.cnf as the damage left it, without an unclosed section.
std::string OutsideSection(std::string text) {
  const size_t section = text.find(kUnclosedSection);
  return section == std::string::npos ? text : text.substr(0, section);
}

class WebServerFailureTest : public WebServerConfigTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(WebServerFailureTest, GivesZeroAndItsMessage) {
  const FailureCase& c = GetParam();
  c.damage(machine, list);
  EXPECT_EQ(KelSetISConf(list), 0);
  const std::vector<std::string>& messages = c.statusLine ? Updates() : Errors();
  if (c.message != nullptr) {
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), c.message);
  } else {
    EXPECT_TRUE(messages.empty());
  }
  if (c.httpdWritten) {
    EXPECT_NE(machine.ReadFile(kHttpdCnf).find("Hostname " + kShopHost.name), std::string::npos);
  } else if (machine.FileExists(kHttpdCnf)) {
    EXPECT_EQ(OutsideSection(machine.ReadFile(kHttpdCnf)), kHttpd);
  }
  EXPECT_EQ(WebServerRestarted(), c.restarted);
}

INSTANTIATE_TEST_SUITE_P(FailureTable, WebServerFailureTest, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WebServerConfigTest, BackupThatCannotBeMadeCostsOnlyTheBackup) {
  ASSERT_TRUE(orvane::os::CreateDirectory("C:\\WWW\\conf\\httpd.cnf.old").ok());
  ASSERT_EQ(KelSetISConf(list), 1);
  EXPECT_NE(machine.ReadFile(kHttpdCnf).find("Hostname " + kShopHost.name), std::string::npos);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(WebServerConfigTest, NetscapeOnlyListLeavesTheWebServerAlone) {
  MSList netscape;
  MSInfo n = Instance("n", "nshost", eISNetscape);
  netscape.Add(n, 0);
  ASSERT_EQ(KelSetISConf(netscape), 1);
  EXPECT_EQ(machine.ReadFile(kHttpdCnf), kHttpd);
  EXPECT_FALSE(machine.FileExists(kMagnusConf));
  EXPECT_FALSE(WebServerRestarted());
}

TEST_F(WebServerConfigTest, HostingInstancesUpdateTheApplicationServer) {
  RegisterAppServer();
  machine.WriteFile(kServletsProperties, "servlet.x.code=X\r\n");
  for (const char* name : {"h", "k"}) {
    MSInfo info = Instance(name, kShopHost.name.c_str());
    info.SetMSOption(MSInfo::kOptHosting, MSInfo::kOptHosting);
    list.Add(info, 0);
  }
  ASSERT_EQ(KelSetISConf(list), 1);
  EXPECT_EQ(machine.ReadFile(kServletsProperties),
            "servlet.x.code=X\r\n"
            "servlet.MerchantAdmin.code=com.vxr.jq.common.PageManager\r\n"
            "servlet.MerchantAdmin.initArgs=configfile=C:\\k\\html\\tessaly.ini\r\n");
}

TEST_F(WebServerConfigTest, DataFileMustLoadCompletely) {
  // Missing, then holding a record that conflicts with the first.
  EXPECT_EQ(KelSetISConf(kDataFile), 0);
  MSInfo twin = Instance("b", kShopHost.name.c_str());
  twin.SetName("A");
  MSList stored(list);
  stored.Add(twin, 0);
  ASSERT_EQ(stored.Store(kDataFile), 1);
  EXPECT_EQ(KelSetISConf(kDataFile), 0);
  ASSERT_EQ(Errors().size(), 2u);
  EXPECT_EQ(Errors()[1], "Configuration data loading error.");
  EXPECT_EQ(machine.ReadFile(kHttpdCnf), kHttpd);
  EXPECT_FALSE(WebServerRestarted());

  ASSERT_EQ(list.Store(kDataFile), 1);
  EXPECT_EQ(KelSetISConf(kDataFile), 1);
  EXPECT_NE(machine.ReadFile(kHttpdCnf).find("Hostname " + kShopHost.name), std::string::npos);
  EXPECT_TRUE(WebServerRestarted());
}

#if !defined(_WIN32)
TEST_F(WebServerConfigTest, TwoProcessesAtOnceLeaveOneCompleteFile) {
  // The files are the point here: the web server is not running.
  AddService(orvane::kWebServerService, EmulatedService());
  MSList other;
  MSInfo b = Instance("b", kShopHost.name.c_str());
  other.Add(b, 0);
  std::string results[2];
  MSList* lists[] = {&list, &other};
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(KelSetISConf(*lists[i]), 1);
    results[i] = machine.ReadFile(kHttpdCnf);
  }
  ASSERT_NE(results[0], results[1]);
  pid_t children[2];
  for (int i = 0; i < 2; ++i) {
    children[i] = fork();
    ASSERT_GE(children[i], 0);
    if (children[i] == 0) {
      int failures = 0;
      for (int run = 0; run < 5; ++run) failures += KelSetISConf(*lists[i]) == 1 ? 0 : 1;
      _exit(failures);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string last = machine.ReadFile(kHttpdCnf);
  EXPECT_TRUE(last == results[0] || last == results[1]);
  // Nothing is left beside the files but their backups.
  auto entries = orvane::os::ListDirectory("C:\\WWW\\conf");
  ASSERT_TRUE(entries);
  for (const auto& entry : *entries) {
    EXPECT_TRUE(entry.name == "httpd.cnf" || entry.name == "servlet.cnf" ||
                entry.name == "magnus.conf" || entry.name == "obj.conf" ||
                entry.name.find(".old") != std::string::npos)
        << entry.name;
  }
}
#endif

}  // namespace
