#include "orvane/lifecycle/InstanceCreation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "orvane/core/MSInfo.h"
#include "orvane/core/MSList.h"
#include "orvane/lifecycle/LifecycleTestMachine.h"
#include "orvane/os/Files.h"
#include "orvane/platform/ServicesFile.h"
#include "orvane/testing/PlantedLink.h"
#include "orvane/platform/WindowsServices.h"

namespace {

using orvane::test::ReadTextFile;
using orvane::test::SampleInstallation;
using orvane::test::ShownMessages;

constexpr char kRoot[] = "C:\\stores\\shop";
constexpr char kPages[] = "C:\\WWW\\html\\shop";
constexpr char kCgi[] = "C:\\WWW\\cgi-bin";
constexpr char kParametersKey[] = "SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2";

std::string In(const std::string& directory, const std::string& name) {
  return directory + "\\" + name;
}

class CreationTest : public orvane::test::LifecycleTest {
 protected:
  // Lays out the installation and creates the instance shop at port 20000.
  void CreateShop(int processes = 2) {
    LayOut();
    shop = Record("shop", 20000, processes);
    if (processes < 2) shop.m_MSProc = processes;  // a stored count below the setter's rule
    ASSERT_EQ(KelCreateSingleInst(shop), 1);
  }
  std::string LastMessage() const {
    return ShownMessages().empty() ? std::string() : ShownMessages().back();
  }

  MSInfo shop;
};

TEST_F(CreationTest, TreeHoldsEveryDirectoryAndCopyWithItsMode) {
  CreateShop();
  struct Expected {
    std::string path;
    int mode;
  };
  std::vector<Expected> expected = {
      {kRoot, 0755},
      {In(kRoot, "tq_cache"), 0755},
      {In(kRoot, "tq_cache\\protect"), 0755},
      {In(kRoot, "tq_cache\\unprotect"), 0755},
      {In(kRoot, "password"), 0755},
      {In(kRoot, "logs"), 0755},
      {In(kRoot, "data"), 0755},
      {In(kRoot, "bin"), 0755},
      {In(kRoot, "teditor"), 0755},
      {In(kRoot, "teditor\\te_html"), 0755},
      {In(kRoot, "teditor\\te_html\\teditor.txt"), 0555},
      {In(kRoot, "teditor\\category"), 0755},
      {In(kRoot, "teditor\\product"), 0755},
      {In(kRoot, "teditor\\general"), 0755},
      {In(kRoot, "teditor\\ca_html"), 0755},
      {In(kRoot, "macro"), 0777},
      {kPages, 0777},
      {In(kPages, "tq_cache"), 0755},
      {In(kPages, "tq_cache\\protect"), 0777},
      {In(kPages, "tq_cache\\unprotect"), 0777},
      {kCgi, 0755},
      {In(kCgi, "tessaly3.exe"), 0555},
      {In(kCgi, "tessaly"), 0555},
      {In(kRoot, "password\\netc.pwd"), 0644},
  };
  for (const std::string& name : SampleInstallation::CategoryMacros()) {
    expected.push_back({In(kRoot, "teditor\\category\\" + name), 0555});
  }
  for (const std::string& name : SampleInstallation::ProductMacros()) {
    expected.push_back({In(kRoot, "teditor\\product\\" + name), 0555});
  }
  for (const std::string& page : SampleInstallation::CatalogEditorPages()) {
    expected.push_back({In(kRoot, "teditor\\ca_html\\" + page), 0555});
  }
  for (const Expected& item : expected) EXPECT_TRUE(HasMode(item.path, item.mode));

  // Copies hold their sources.
  EXPECT_EQ(ReadTextFile(In(kCgi, "tessaly")), "program tessaly3.exe\n");
  EXPECT_EQ(ReadTextFile(In(kRoot, "teditor\\product\\tempcomp.vqm")),
            "product macro tempcomp.vqm\n");
  EXPECT_EQ(ReadTextFile(In(kRoot, "password\\netc.pwd")), "admin:password template\n");
  EXPECT_EQ(ShownMessages(), std::vector<std::string>{
                                 "status: Tessaly instance shop has been created successfully."});
}

TEST_F(CreationTest, PackagingFollowsConfigJs) {
  struct Case {
    const char* line;  // "" leaves the file without a gTQPackaging line
    bool flagBefore;
    bool flagAfter;
  };
  const Case cases[] = {
      {"var gTQPackaging = kStrStart + 1;", false, true},
      {"var gTQPackaging = false;", true, false},
      {"", true, true},
      {"", false, false},
  };
  for (const Case& c : cases) {
    install.packagingLine = c.line;
    LayOut();
    MSInfo info = install.Record("shop", 20000);
    info.SetMSOption(MSInfo::kOptPackaging, c.flagBefore ? MSInfo::kOptPackaging : 0);
    ASSERT_EQ(orvane::DetectPackaging(info, "C:\\Tessaly"), 1);
    EXPECT_EQ((info.GetMSOption() & MSInfo::kOptPackaging) != 0, c.flagAfter) << c.line;
  }
}

TEST_F(CreationTest, PackagedInstallationHasNoCatalogEditor) {
  install.packagingLine = "gTQPackaging = kStrStart;";
  CreateShop();
  EXPECT_NE(shop.GetMSOption() & MSInfo::kOptPackaging, 0);
  EXPECT_FALSE(machine.FileExists(In(kRoot, "teditor\\ca_html")));
  EXPECT_TRUE(machine.FileExists(In(kRoot, "teditor\\general")));
}

TEST_F(CreationTest, ProgramNamesAndPasswordFileFollowTheWebServerType) {
  LayOut();
  shop = Record("shop", 20000);
  shop.SetISType(eISNetscape);
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  EXPECT_TRUE(HasMode(In(kCgi, "tessaly"), 0555));
  EXPECT_TRUE(HasMode(In(kCgi, "tessaly3"), 0555));
  EXPECT_FALSE(machine.FileExists(In(kCgi, "tessaly3.exe")));
  EXPECT_FALSE(machine.FileExists(In(kRoot, "password\\netc.pwd")));  // only for Go
}

TEST_F(CreationTest, RegistersEveryServiceEntryAndTheWindowsService) {
  install.payServer = true;
  CreateShop();
  const std::vector<std::string> expected = {
      "tqshop\t\t20000/tcp\t# Tessaly - Server Controller",
      "tqshop_1\t20001/tcp\t# Tessaly - shop",
      "tqshop_2\t20002/tcp\t# Tessaly - shop",
      "tqshop_pb_1\t20003/tcp\t# Tessaly - pay_back",
      "tqshop_pe_1\t20004/tcp\t# Tessaly - pay_cashet",
      "tqshop_pe_2\t20005/tcp\t# Tessaly - Admin port",
      "tqshop_pe_3\t20006/tcp\t# Tessaly - Pay port",
      "tqshop_pe_4\t20007/tcp\t# Tessaly - Error port",
      "tqshop_pe_5\t20008/tcp\t# Tessaly - SET Pay Port",
      "tqshop_pe_6\t20009/tcp\t# Tessaly - SET Inquiry Port",
      "tqshop_cy_1\t40000/tcp\t# Tessaly - pay_cyber",
  };
  for (const std::string& line : expected) {
    EXPECT_EQ(ServiceLine(line.substr(0, line.find('\t'))), line);
  }
  for (int j = 1; j <= 10; ++j) {
    const std::string name = "tqshop_sched_" + std::to_string(j);
    EXPECT_EQ(ServiceLine(name),
              name + "\t" + std::to_string(40000 + j) + "/tcp\t# Tessaly - scheduler");
  }
  EXPECT_EQ(ServicesFile().substr(0, 7), "echo\t\t7");  // others' lines stay first

  EXPECT_EQ(ServiceValue("TQshop", "ImagePath"), "C:\\Tessaly\\bin\\srvrctrl.exe");
  EXPECT_EQ(ServiceValue("TQshop", "DisplayName"), "Tessaly - shop");
  EXPECT_EQ(ServiceDword("TQshop", "Start"), 3u);
  EXPECT_EQ(RegistryString(kParametersKey, "TQshop"), "-i C:\\WWW\\html\\shop\\srvrctrl.ini");
  EXPECT_EQ(KelIsSvcActive("TQshop"), 0);
  EXPECT_TRUE(machine.FileExists(In(kRoot, "bin\\cashet.cmd")));
  EXPECT_TRUE(machine.FileExists("C:\\Tessaly\\tq_schema\\VELQ\\migrate\\migrateCashet.cmd"));
  EXPECT_EQ(LastMessage(), "status: Tessaly instance shop has been created successfully.");
}

TEST_F(CreationTest, NoServerProcessesRegisterOnlyTheController) {
  install.payServer = true;
  CreateShop(0);
  EXPECT_NE(ServiceLine("tqshop"), "");
  EXPECT_EQ(ServiceLine("tqshop_1"), "");
  EXPECT_EQ(ServiceLine("tqshop_pb_1"), "tqshop_pb_1\t20001/tcp\t# Tessaly - pay_back");
}

TEST_F(CreationTest, WithoutPaymentServerItsMigrationScriptGoes) {
  LayOut();
  const std::string script = "C:\\Tessaly\\tq_schema\\VELQ\\migrate\\migrateCashet.cmd";
  machine.WriteFile(script, "left from an earlier creation\r\n");
  shop = Record("shop", 20000);
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  EXPECT_FALSE(machine.FileExists(script));
  EXPECT_EQ(ServiceLine("tqshop_pb_1"), "");
  EXPECT_FALSE(machine.FileExists(In(kRoot, "bin\\cashet.cmd")));
}

TEST_F(CreationTest, NoFreeHelperBlockReports70And19) {
  LayOut();
  std::string lines = ServicesFile();
  for (int port = 40000; port <= 65535; port += 10) {
    lines += "p" + std::to_string(port) + "\t\t" + std::to_string(port) + "/tcp\n";
  }
  ASSERT_TRUE(orvane::test::WriteTextFile(orvane::test::TempMachine::ServicesFile(), lines));
  shop = Record("shop", 20000);
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  const std::vector<std::string> messages = ShownMessages();
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[messages.size() - 2],
            "error: The TCP/IP port range is in conflict with other TCP/IP service.");
  EXPECT_EQ(messages.back(), "error: Error in creating Tessaly instance shop.");
  EXPECT_EQ(ServiceLine("tqshop_cy_1"), "");
  EXPECT_NE(ServiceLine("tqshop_2"), "");                          // what could be registered is
  EXPECT_TRUE(machine.FileExists(In(kRoot, "teditor\\general")));  // and the rest goes on
}

TEST_F(CreationTest, AStoredNameItsRuleRefusesCreatesNothing) {
  LayOut();
  const MSInfo stored = Record("shop", 20000);
  // Drive C's own entries, and below them the folders an instance writes to
  // (not all of the drive: under Wine it is a real Windows drive).
  const auto entries = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(machine.HostPath("C:\\"))) {
      names.push_back(entry.path().string());
    }
    for (const char* folder : {"C:\\Tessaly", "C:\\stores", "C:\\WWW"}) {
      const std::filesystem::path path = machine.HostPath(folder);
      if (!std::filesystem::exists(path)) continue;
      for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
        names.push_back(entry.path().string());
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = entries();
  for (const char* name : {"..\\..\\..", "a/b", "x&y", ".."}) {
    shop = stored;
    shop.m_Name = name;  // as a hand-edited or older data file holds it
    shop.m_RootPath = (std::string("C:\\Tessaly\\instance\\") + name).c_str();
    ShownMessages().clear();
    EXPECT_EQ(KelCreateSingleInst(shop), 1) << name;  // told by message 19, as other failures
    EXPECT_EQ(ShownMessages(), std::vector<std::string>{"error: Error in creating Tessaly instance " +
                                                        std::string(name) + "."})
        << name;
  }
  std::vector<std::string> after = entries(), added;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                      std::back_inserter(added));
  EXPECT_EQ(added, std::vector<std::string>{});
  EXPECT_EQ(after.size(), before.size());  // and nothing went
}

TEST_F(CreationTest, EarlyFailuresDoNothing) {
  // Neither the installation nor its config.js: 0, with message 5 only for
  // the first.
  shop = install.Record("shop", 20000);
  EXPECT_EQ(KelCreateSingleInst(shop), 0);
  EXPECT_EQ(ShownMessages(),
            std::vector<std::string>{"error: Cannot find Tessaly installation parameters."});

  LayOut();
  ShownMessages().clear();
  ASSERT_TRUE(orvane::os::DeleteFile("C:\\Tessaly\\html\\en_US\\tqadmin\\common\\config.js").ok());
  EXPECT_EQ(KelCreateSingleInst(shop), 0);
  EXPECT_TRUE(ShownMessages().empty());
  EXPECT_EQ(ServiceLine("tqshop"), "");
  EXPECT_FALSE(machine.FileExists(kRoot));
}

TEST_F(CreationTest, UncreatableDirectoryStopsTheTreeWithMessage1) {
  LayOut();
  shop = Record("shop", 20000);
  ASSERT_TRUE(orvane::test::WriteTextFile("C:\\stores\\shop\\tq_cache", "a file in the way\n"));
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  const std::vector<std::string>& messages = ShownMessages();
  EXPECT_NE(std::find(messages.begin(), messages.end(),
                      "error: Cannot create directory C:\\stores\\shop\\tq_cache."),
            messages.end());
  EXPECT_FALSE(machine.FileExists(kCgi));  // the rest of the tree is skipped
  // Creation goes on, but the summary does not call it a success.
  EXPECT_EQ(LastMessage(), "error: Error in creating Tessaly instance shop.");
  EXPECT_TRUE(machine.FileExists(In(kPages, "tessaly.ini")));
}

TEST_F(CreationTest, RecreationEmptiesThePageCacheAndRegistersTheSame) {
  install.payServer = true;
  CreateShop();
  const std::string services = ServicesFile();
  machine.WriteFile(In(kPages, "tq_cache\\protect\\page1.html"), "cached");
  machine.WriteFile(In(kRoot, "teditor\\general\\mine.vqm"), "kept");
  ASSERT_EQ(KelCreateSingleInst(shop), 1);

  EXPECT_EQ(ServicesFile(), services);  // the helper block stays where it was
  EXPECT_FALSE(machine.FileExists(In(kPages, "tq_cache\\protect\\page1.html")));
  EXPECT_TRUE(machine.FileExists(In(kRoot, "teditor\\general\\mine.vqm")));
  EXPECT_EQ(ReadTextFile(In(kRoot, "bin\\cashet.old.cmd")),
            ReadTextFile(In(kRoot, "bin\\cashet.cmd")));
  EXPECT_EQ(LastMessage(), "status: Tessaly instance shop has been created successfully.");
}

TEST_F(CreationTest, WritesEveryConfigurationFileAndRecreatesThemTheSame) {
  install.payServer = true;
  install.personalization = true;
  CreateShop();
  const std::vector<std::string> files = {"srvrctrl.ini",   "tessaly.ini",   "velqwww.ini",
                                          "pay_cyber.ini",  "scheduler.ini", "pay_back.ini",
                                          "pay_cashet.ini", "merchant_conf"};
  // Files that hold ciphers are their owner's only.
  const auto modeOf = [](const std::string& file) {
    return file == "velqwww.ini" || file == "merchant_conf" ? 0644 : 0600;
  };
  for (const std::string& file : files) EXPECT_TRUE(HasMode(In(kPages, file), modeOf(file)));
  const std::string server = ReadTextFile(In(kPages, "tessaly.ini"));
  EXPECT_NE(server.find("\nPERS_ENABLED NO\n"), std::string::npos);
  EXPECT_NE(server.find("\nGL_PORT 9000\n"), std::string::npos);
  EXPECT_NE(ReadTextFile(In(kPages, "srvrctrl.ini")).find("CONTROL_SERVICE tqshop\n"),
            std::string::npos);

  // A hand-added directive survives re-creation, at the end; every other
  // file comes out as it was.
  ASSERT_TRUE(orvane::test::WriteTextFile(In(kPages, "tessaly.ini"), server + "MY_KEY 5\n"));
  std::vector<std::string> before;
  for (const std::string& file : files) before.push_back(ReadTextFile(In(kPages, file)));
  const std::string services = ServicesFile();
  ShownMessages().clear();
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(ReadTextFile(In(kPages, files[i])), before[i]) << files[i];
  }
  EXPECT_EQ(before[1].substr(before[1].size() - 10), "\nMY_KEY 5\n");
  EXPECT_TRUE(HasMode(In(kPages, "tessaly.old.ini"), 0600));
  // A file that comes out the same is not written again, and gets no backup;
  // on Windows a private file is written anyway, to close it to others.
#if defined(_WIN32)
  EXPECT_TRUE(HasMode(In(kPages, "pay_cyber.old.ini"), 0600));
#else
  EXPECT_FALSE(machine.FileExists(In(kPages, "pay_cyber.old.ini")));
#endif
  EXPECT_EQ(ServicesFile(), services);
  EXPECT_EQ(ShownMessages(), std::vector<std::string>{
                                 "status: Tessaly instance shop has been created successfully."});
}

TEST_F(CreationTest, RunningServiceIsStoppedAndLeftStopped) {
  LayOut();
  AddService("TQshop", orvane::test::EmulatedService().Running().StopDelay(2));
  shop = Record("shop", 20000);
  const unsigned long before = ClockSeconds();
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  EXPECT_EQ(KelIsSvcActive("TQshop"), 0);
  EXPECT_GE(ClockSeconds() - before, 2u);  // creation waited for the stop
  EXPECT_EQ(LastMessage(), "status: Tessaly instance shop has been created successfully.");
}

TEST_F(CreationTest, CreateInstanceCreatesEveryRecordOfTheDataFile) {
  LayOut();
  MSList list;
  MSInfo first = Record("shop", 20000);
  MSInfo second = Record("mall", 20100);
  ASSERT_EQ(list.Add(first, 0), 0);
  ASSERT_EQ(list.Add(second, 0), 0);
  ASSERT_EQ(list.Store("C:\\Tessaly\\tqconfig.dat"), 1);
  EXPECT_EQ(KelCreateInstance("C:\\Tessaly\\tqconfig.dat"), 1);
  EXPECT_NE(ServiceLine("tqshop"), "");
  EXPECT_NE(ServiceLine("tqmall"), "");
  EXPECT_EQ(ServiceLine("tqmall_cy_1"), "tqmall_cy_1\t40020/tcp\t# Tessaly - pay_cyber");

  ShownMessages().clear();
  MSList empty;
  ASSERT_EQ(empty.Store("C:\\Tessaly\\empty.dat"), 1);
  EXPECT_EQ(KelCreateInstance("C:\\Tessaly\\empty.dat"), 1);
  EXPECT_EQ(KelCreateInstance("C:\\Tessaly\\missing.dat"), 1);
  EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(CreationTest, CreatedInstancesSurviveLoadAndStoreButNotAThirdProgramsPort) {
  LayOut();
  MSList list;
  for (const auto& [name, port] : {std::pair<const char*, int>{"shop", 20000}, {"mall", 20100}}) {
    MSInfo info = Record(name, port);
    ASSERT_EQ(list.Add(info, 1), 0) << name;
    ASSERT_EQ(KelCreateSingleInst(info), 1) << name;
  }
  const char* dataFile = "C:\\Tessaly\\tqconfig.dat";
  ASSERT_EQ(list.Store(dataFile), 1);

  // Their own entries are no conflict, however often the file goes round.
  for (int round = 0; round < 2; ++round) {
    MSList loaded;
    ASSERT_EQ(loaded.Load(dataFile), 1);
    EXPECT_EQ(loaded.GetCount(), 2) << round;
    EXPECT_EQ(loaded.GetRefusedCount(), 0) << round;
    ASSERT_EQ(loaded.Store(dataFile), 1);
  }

  // A port of mall's block that another program registered still refuses it.
  ASSERT_EQ(KelRegTcpService("otherprog", 20104, "another program"), 1);
  MSList loaded;
  ASSERT_EQ(loaded.Load(dataFile), 1);
  EXPECT_EQ(loaded.GetCount(), 1);
  MSInfo refused;
  int flags = 0;
  ASSERT_EQ(loaded.GetRefused(0, refused, flags), 1);
  EXPECT_STREQ(refused.GetName(), "mall");
  EXPECT_EQ(flags, MSList::kConflictPortTaken);
}

// Not on Windows: MinGW's library makes no symbolic links, and Wine's
// RemoveDirectory follows a directory link instead of removing it.
#if !defined(_WIN32)
// The page directory is writable by anyone: a link planted in place of its
// cache must not let re-creation empty the folder it leads to.
TEST_F(CreationTest, RecreationLeavesALinkedPageCacheAlone) {
  CreateShop();
  machine.WriteFile("C:\\elsewhere\\protect\\keep.txt", "kept");
  machine.WriteFile("C:\\other\\keep.txt", "kept");
  const std::string cache = machine.HostPath(In(kPages, "tq_cache"));
  // The whole cache is a link, then one of its two folders.
  std::filesystem::remove_all(cache);
  std::filesystem::create_directory_symlink(machine.HostPath("C:\\elsewhere"), cache);
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  EXPECT_EQ(machine.ReadFile("C:\\elsewhere\\protect\\keep.txt"), "kept");

  std::filesystem::remove(cache);
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  std::filesystem::remove_all(cache + "/unprotect");
  std::filesystem::create_directory_symlink(machine.HostPath("C:\\other"), cache + "/unprotect");
  machine.WriteFile(In(kPages, "tq_cache\\protect\\page1.html"), "cached");
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  EXPECT_EQ(machine.ReadFile("C:\\other\\keep.txt"), "kept");
  EXPECT_FALSE(machine.FileExists(In(kPages, "tq_cache\\protect\\page1.html")));
}

std::string ReadHostFile(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int ModeOf(const std::string& hostPath) {
  return static_cast<int>(std::filesystem::status(hostPath).permissions());
}

// Links planted in the page directory by a user without rights, at the
// names of the files that creation writes: each is replaced by the file, and
// what it led to keeps its content and mode.
TEST_F(CreationTest, LinksPlantedInThePageDirectoryAreReplacedNotFollowed) {
  install.payServer = true;
  CreateShop();
  constexpr char kDataFile[] = "C:\\Tessaly\\server\\admin\\tqconfig.dat";
  machine.WriteFile("C:\\WINNT\\httpd.cnf", "ServerRoot C:\\WWW\n");
  machine.WriteFile(kDataFile, "records");
  std::filesystem::permissions(machine.HostPath(kDataFile), std::filesystem::perms(0600));
  const std::string registry = machine.HostPath("C:\\") + "/../registry.reg";
  struct Link {
    const char* name;
    const char* target;
    int mode;  // of the file that replaces the link
  };
  const std::vector<Link> links = {
      {"pay_cyber.ini", "..\\..\\..\\WINNT\\httpd.cnf", 0600},
      {"tessaly.ini", "..\\..\\..\\..\\registry.reg", 0600},
      {"velqwww.ini", "..\\..\\..\\Tessaly\\server\\admin\\tqconfig.dat", 0644}};
  for (const Link& link : links) {
    std::filesystem::remove(machine.HostPath(In(kPages, link.name)));
    const std::string failure = orvane::test::PlantLink(In(kPages, link.name), link.target);
    if (!failure.empty()) GTEST_SKIP() << failure;
  }
  const std::string registryBefore = ReadHostFile(registry);
  ASSERT_NE(registryBefore.find("Tessaly"), std::string::npos);
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  EXPECT_EQ(ReadTextFile("C:\\WINNT\\httpd.cnf"), "ServerRoot C:\\WWW\n");
  EXPECT_EQ(ReadHostFile(registry).find("DBPASS"), std::string::npos);
  EXPECT_EQ(machine.ReadFile(kDataFile), "records");
  EXPECT_EQ(ModeOf(machine.HostPath(kDataFile)), 0600);
  for (const Link& link : links) {
    EXPECT_FALSE(orvane::os::IsLink(In(kPages, link.name))) << link.name;
    EXPECT_TRUE(HasMode(In(kPages, link.name), link.mode)) << link.name;
  }
}

// The page directory itself a link to another folder: nothing is written
// there, and creation reports each file it could not write.
TEST_F(CreationTest, APageDirectoryThatIsALinkGetsNothingWritten) {
  LayOut();
  shop = Record("shop", 20000);
  const std::string outside = std::filesystem::path(machine.HostPath("C:\\")).parent_path().string() + "-outside";
  std::filesystem::create_directory(outside);
  std::filesystem::create_directories(machine.HostPath("C:\\WWW\\html"));
  // C:\WWW\html is not writable by anyone: the test's own user plants it.
  ASSERT_EQ(orvane::test::PlantLink(kPages, outside, orvane::test::Planter::kTestUser), "");
  // Whether creation then fails as a whole is its own affair; each file is
  // refused with its path.
  KelCreateSingleInst(shop);
  EXPECT_TRUE(std::filesystem::is_empty(outside));
  for (const char* file : {"srvrctrl.ini", "tessaly.ini", "velqwww.ini"}) {
    const std::string message =
        "error: Cannot create configuration file " + In(kPages, file) + ".";
    EXPECT_NE(std::find(ShownMessages().begin(), ShownMessages().end(), message),
              ShownMessages().end())
        << message;
  }
  std::filesystem::remove_all(outside);
}
#endif

}  // namespace
