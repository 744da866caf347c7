#include "orvane/lifecycle/Migration.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/config/InstallationLevels.h"
#include "orvane/core/MSList.h"
#include "orvane/runtime/Cipher.h"
#include "orvane/lifecycle/LifecycleTestMachine.h"
#include "orvane/os/Files.h"
#include "orvane/platform/WindowsServices.h"
#include "orvane/testing/OlderInstallation.h"

namespace orvane {
namespace {

constexpr char kWebServerService[] = "BrenloQuentaGoWebserver";
constexpr char kHttpdCnf[] = "C:\\WWW\\conf\\httpd.cnf";
constexpr char kHttpdCnfText[] = "ServerRoot C:\\WWW\r\nHostname www\r\nPass /* C:\\WWW\\html\\*\r\n";

// The current product installed beside whatever each test adds, and a
// running web server that takes a second to stop.
class MigrationTest : public test::LifecycleTest {
 protected:
  void SetUp() override {
    install.payServer = true;  // the payment files are written too
    LayOut();
    machine.WriteFile(kHttpdCnf, kHttpdCnfText);
    machine.WriteFile("C:\\WWW\\conf\\servlet.cnf", "# servlet engine\r\n");
    AddHosts({"shop.example.com", "mall.example.com", "alpha.example.test", "www.example.test"},
             "10.0.0.7");
    AddService(kWebServerService, test::EmulatedService().Running().StopDelay(1));
    // The instance services that migration creates.
    for (const char* name : {"shop", "mall", "mser", "alpha"}) {
      services.Own(std::string("TQ") + name);
    }
  }

  void LayOutOlder(int level) {
    const test::OlderInstallation older = test::SampleOlderInstallation(level, "C:\\WWW\\conf");
    ASSERT_EQ(test::WriteOlderInstallation(older), "");
    // Migrated instances take the current installation's macros.
    ASSERT_TRUE(install.AddMacroFiles("C:\\Tessaly\\macro\\en_US")) << install.error();
  }

  // A current-level instance with its data file and its two required files.
  void LayOutCurrent(const char* name, int port) {
    MSInfo rec = Record(name, port);
    MSList list;
    ASSERT_EQ(list.Add(rec, 0), 0);
    ASSERT_EQ(list.Store(InstanceDataFile(install.installDir.c_str())), 1);
    const std::string html = rec.GetHtmlPath();
    machine.WriteFile(html + "\\tessaly.ini", "DB_RETRY_LIMIT 9\r\n");
    machine.WriteFile(html + "\\velqwww.ini", "ENVIRONMENT " + std::string(name) + " V=1\r\n");
  }

  bool WebServerRestarted() const { return services.Restarted(kWebServerService); }

  static bool InstanceServiceExists(const std::string& name) {
    return ServiceValue("TQ" + name, "ImagePath") != "<no key>";
  }
};

// The value of the first line of a file that begins with keyword and a space.
std::string ValueOf(const std::string& text, const std::string& keyword) {
  const size_t start = text.find(keyword + " ");
  if (start == std::string::npos || (start > 0 && text[start - 1] != '\n')) return "";
  const size_t value = start + keyword.size() + 1;
  return text.substr(value, text.find_first_of("\r\n", value) - value);
}

std::string Deciphered(const std::string& cipher) {
  char plain[64] = "";
  KelDecrypt(cipher.c_str(), plain, sizeof plain);
  return plain;
}

TEST_F(MigrationTest, LevelTwoInstancesAreCreatedAgainWithoutARestart) {
  LayOutOlder(2);
  EXPECT_EQ(InstalledProductLevel(), 2);
  EXPECT_EQ(KelMigrate(), 1) << ::testing::PrintToString(test::ShownMessages());
  EXPECT_FALSE(WebServerRestarted());
  for (const char* name : {"shop", "mall"}) {
    EXPECT_TRUE(InstanceServiceExists(name)) << name;
    const std::string dir = std::string("C:\\WWW\\html\\") + name;
    // Current spellings, secrets in the current cipher, the current macros.
    const std::string main = test::ReadTextFile(dir + "\\tessaly.ini");
    EXPECT_EQ(ValueOf(main, "DBNAME"), std::string("DB") + name) << main;
    EXPECT_EQ(main.find("MS_DBNAME"), std::string::npos) << main;
    EXPECT_EQ(Deciphered(ValueOf(main, "DBPASS")), std::string("pw-") + name) << main;
    char key[17] = "";
    EXPECT_EQ(KelDecKey(ValueOf(main, "MERCHANT_KEY").c_str(), key), 1) << main;
    EXPECT_STREQ(key, "0123456789abcdef");
    EXPECT_EQ(ValueOf(main, "MACRO_PATH"), "C:\\Tessaly\\macro\\en_US");
    EXPECT_EQ(ValueOf(main, "DB_RETRY_LIMIT"), "5");
    const std::string cashet = test::ReadTextFile(dir + "\\pay_cashet.ini");
    EXPECT_EQ(Deciphered(ValueOf(cashet, "CMSPASS")), std::string("cms-") + name) << cashet;
    EXPECT_EQ(test::ReadTextFile(dir + "\\velqwww.ini").find("C:\\TQ2\\"), std::string::npos);
  }
  const std::string httpd = test::ReadTextFile(kHttpdCnf);
  EXPECT_NE(httpd.find("Pass    /shop/*         C:\\WWW\\html\\shop\\* shop.example.com\n"), std::string::npos)
      << httpd;
  EXPECT_NE(httpd.find("Pass    /olddocs/*      C:\\Tessaly\\docs\\*\n"), std::string::npos) << httpd;
  EXPECT_NE(httpd.find("Map /cgi-bin/tessaly/*"), std::string::npos) << httpd;
  EXPECT_EQ(httpd.find("C:\\TQ2\\"), std::string::npos) << httpd;
}

TEST_F(MigrationTest, LevelOneInstanceIsCreatedAgain) {
  LayOutOlder(1);
  EXPECT_EQ(InstalledProductLevel(), 1);
  EXPECT_EQ(KelMigrate(), 1);
  EXPECT_TRUE(InstanceServiceExists("mser"));
  EXPECT_FALSE(WebServerRestarted());
}

TEST_F(MigrationTest, CurrentLevelIsPreferredAndRestartsTheWebServer) {
  LayOutOlder(2);
  LayOutCurrent("alpha", 17500);
  EXPECT_EQ(InstalledProductLevel(), 3);
  EXPECT_EQ(KelMigrate(), 1) << ::testing::PrintToString(test::ShownMessages());
  EXPECT_TRUE(InstanceServiceExists("alpha"));
  EXPECT_FALSE(InstanceServiceExists("shop"));
  // Records of the current level have no old-level bit: the web server is
  // restarted.
  EXPECT_TRUE(WebServerRestarted());
}

TEST_F(MigrationTest, NothingToMigrateLeavesTheWebServerAlone) {
  EXPECT_EQ(InstalledProductLevel(), 0);
  EXPECT_EQ(KelMigrate(), 0);
  EXPECT_EQ(machine.ReadFile(kHttpdCnf), kHttpdCnfText);
  EXPECT_FALSE(machine.FileExists(std::string(kHttpdCnf) + ".old"));
}

TEST_F(MigrationTest, CreationThatCannotStartEndsTheMigration) {
  LayOutOlder(2);
  // Without the administration pages' settings no instance can be created.
  ASSERT_TRUE(os::DeleteFile("C:\\Tessaly\\html\\en_US\\tqadmin\\common\\config.js"));
  EXPECT_EQ(KelMigrate(), 0);
  EXPECT_FALSE(InstanceServiceExists("mall"));
}

}  // namespace
}  // namespace orvane
