#include "orvane/config/InstalledConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/config/InstallationLevels.h"
#include "orvane/os/Files.h"
#include "orvane/testing/Emulation.h"
#include "orvane/testing/ListContents.h"
#include "orvane/testing/OlderInstallation.h"
#include "orvane/testing/SampleInstallation.h"
#include "orvane/testing/TempMachine.h"

namespace orvane {
namespace {

using test::OlderInstallation;
using test::Pairs;
using test::Texts;

constexpr char kCurrentInstall[] = "C:\\Tessaly";
constexpr char kWebConfig[] = "C:\\WWW\\conf";
const std::string kServicesFile = orvane::test::TempMachine::ServicesFile();

// A machine with the current installation and a complete web server record;
// older installations are laid out by each test.
class InstalledConfigTest : public test::MachineTest {
 protected:
  void SetUp() override {
    test::SampleInstallation sample;
    ASSERT_TRUE(sample.LayOut()) << sample.error();
    ASSERT_EQ(sample.installDir, kCurrentInstall);
  }

  OlderInstallation LayOut(int level) {
    OlderInstallation installation = test::SampleOlderInstallation(level, kWebConfig);
    EXPECT_EQ(test::WriteOlderInstallation(installation), "");
    return installation;
  }

  std::vector<MSInfo> Read(int level) {
    MSList list;
    EXPECT_EQ(KelGetTQConfig(list, level), 1);
    std::vector<MSInfo> records(static_cast<size_t>(list.GetCount()));
    for (int i = 0; i < list.GetCount(); ++i) {
      list.SetIndex(i);
      list.GetCurrent(records[static_cast<size_t>(i)]);
    }
    return records;
  }

  // A current-level instance: its data file record and its two required files.
  void AddCurrentInstance(MSList& list, const char* name, int port, const std::string& mainFileText) {
    MSInfo rec;
    const std::string html = std::string(kCurrentInstall) + "\\html\\" + name;
    ASSERT_TRUE(rec.SetName(name) && rec.SetHtmlPath(html.c_str()) && rec.SetMSPort(port) &&
                rec.SetMSProc(3) && rec.SetISHost((std::string(name) + ".example.com").c_str()) &&
                rec.SetDBName((std::string("DB") + name).c_str()) &&
                rec.SetDBUser("velqadm"));
    ASSERT_EQ(list.Add(rec, 0), 0);
    if (!mainFileText.empty()) machine.WriteFile(html + "\\tessaly.ini", mainFileText);
    machine.WriteFile(html + "\\velqwww.ini", "ENVIRONMENT " + std::string(name) + " V=1\r\n");
  }

  void StoreCurrentList(const MSList& list) {
    ASSERT_EQ(list.Store(InstanceDataFile(kCurrentInstall)), 1);
  }
};

std::string Deciphered(int (MSInfo::*get)(KelString&) const, const MSInfo& rec) {
  KelString plain;
  (rec.*get)(plain);
  return static_cast<const char*>(plain);
}

TEST_F(InstalledConfigTest, LevelTwoInstancesComeBackInTheCurrentForm) {
  LayOut(2);
  const std::vector<MSInfo> records = Read(2);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_STREQ(records[0].GetName(), "mall");  // registry order: alphabetical
  const MSInfo& shop = records[1];
  EXPECT_STREQ(shop.GetName(), "shop");
  EXPECT_STREQ(shop.GetDBName(), "DBshop");
  EXPECT_EQ(shop.GetMSPort(), 17000);  // "MS_PORT" is read at the older levels
  EXPECT_EQ(shop.GetMSProc(), 3);
  EXPECT_STREQ(shop.GetDBOwner(), "velqadm");
  EXPECT_STREQ(shop.GetRootPath(), "C:\\Tessaly\\instance\\shop");
  EXPECT_STREQ(shop.m_CgiPath, "C:\\TQ2\\cgi-bin");
  EXPECT_EQ(Deciphered(&MSInfo::GetDBPswd, shop), "pw-shop");
  EXPECT_EQ(Deciphered(&MSInfo::GetCMSPswd, shop), "cms-shop");
  EXPECT_EQ(Deciphered(&MSInfo::GetMerKey, shop), "0123456789abcdef");
  EXPECT_EQ(shop.GetMSOption(), MSInfo::kOptOldLevel | MSInfo::kOptCache | MSInfo::kOptPayTrace);
  EXPECT_EQ(shop.m_ZKCycle, 45);
  EXPECT_EQ(shop.m_PBProc, 2);
  EXPECT_EQ(shop.m_ZKAdminPort, 17100);

  // Paths of the old installation give way to the current one; look-alikes
  // that only share the old directory's leading letters stay.
  EXPECT_STREQ(shop.GetMacroPath(), "C:\\Tessaly\\macro\\en_US");
  EXPECT_EQ(Texts(shop.m_NDMacroPaths),
            (std::vector<std::string>{"C:\\WWW\\html\\shop\\macro", "C:\\TQ22\\macro"}));
  EXPECT_EQ(Texts(shop.m_NDIncPaths), (std::vector<std::string>{"C:\\shared\\include"}));
  EXPECT_EQ(Pairs(shop.m_NDEnv), (std::vector<std::string>{"shop=VELQINSTANCE=DBshop"}));
  EXPECT_EQ(Texts(shop.m_NDMisc), (std::vector<std::string>{"# kept as written"}));
  EXPECT_EQ(Pairs(shop.m_ISPass), (std::vector<std::string>{"/shop/*=C:\\WWW\\html\\shop\\*"}));
  EXPECT_EQ(Pairs(shop.m_ISExec), (std::vector<std::string>{"/shop-bin/*=C:\\Tessaly\\cgi-bin\\*"}));
  // Lines after the section's end ("Pass /*") are not read.
  EXPECT_EQ(Pairs(shop.m_ISCommonPass), (std::vector<std::string>{"/olddocs/*=C:\\Tessaly\\docs\\*"}));
  EXPECT_EQ(Pairs(shop.m_ISCommonMap), (std::vector<std::string>{"/tq/*=C:\\TQ2X\\tq\\*"}));
  EXPECT_EQ(Pairs(shop.m_ISCommonAddType), (std::vector<std::string>{".mac=text/plain 7bit 1.0"}));
}

TEST_F(InstalledConfigTest, LevelOneReadsTheSingleInstanceOfTheWindowsDirectory) {
  LayOut(1);
  const std::vector<MSInfo> records = Read(1);
  ASSERT_EQ(records.size(), 1u);
  const MSInfo& rec = records[0];
  EXPECT_STREQ(rec.GetName(), "mser");
  EXPECT_STREQ(rec.GetDBName(), "DBshop");
  EXPECT_STREQ(rec.GetHtmlPath(), "C:\\WWW\\html\\shop");
  EXPECT_STREQ(rec.m_CgiPath, "C:\\TQ1\\cgi-bin");  // "WWW_CGIBIN_PATH" at level 1
  EXPECT_EQ(Deciphered(&MSInfo::GetDBPswd, rec), "pw-shop");
  EXPECT_NE(rec.GetMSOption() & MSInfo::kOptOldLevel, 0);
  EXPECT_EQ(Pairs(rec.m_ISExec), (std::vector<std::string>{"/shop-bin/*=C:\\Tessaly\\cgi-bin\\*"}));
  EXPECT_EQ(Texts(rec.m_NDMacroPaths),
            (std::vector<std::string>{"C:\\WWW\\html\\shop\\macro", "C:\\TQ12\\macro"}));
}

TEST_F(InstalledConfigTest, LevelOneWithoutItsDirectoryLineReadsNothing) {
  const OlderInstallation installation = LayOut(1);
  std::string text = test::OlderMainFileText(installation, installation.instances[0]);
  const size_t line = text.find("WWW_HTML_PATH");
  ASSERT_NE(line, std::string::npos);
  // The first such line names the directory: an empty one first reads nothing.
  machine.WriteFile(orvane::os::WindowsDirectory() + "\\mserver.ini", "WWW_HTML_PATH\r\n" + text);
  EXPECT_TRUE(Read(1).empty());
  text.erase(line, text.find('\n', line) - line + 1);
  machine.WriteFile("C:\\WINNT\\mserver.ini", text);
  EXPECT_TRUE(Read(1).empty());
}

TEST_F(InstalledConfigTest, LevelsWithoutTheirKeysGiveEmptyLists) {
  for (int level : {0, 1, 2, 3}) {
    EXPECT_TRUE(Read(level).empty()) << "level " << level;
  }
  // Level-2 instance keys without a directory, or with a name or directory
  // that no record may hold, name no instance.
  LayOut(2);
  const std::string instances = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\2.0.0\\Instances\\";
  machine.WriteRegistry(instances + "bare]\r\n" + instances + "ninechars]\r\n\"HTML_PATH\"=\"C:\\\\TQ2\\\\html\\\\shop\"\r\n" +
                        instances + "long]\r\n\"HTML_PATH\"=\"C:\\\\" + std::string(270, 'x') + "\"\r\n");
  EXPECT_EQ(Read(2).size(), 2u);
  // The older levels' files are not read at the current level.
  EXPECT_TRUE(Read(3).empty());
}

TEST_F(InstalledConfigTest, LevelTwoInstanceWithoutItsFilesLeavesTheList) {
  LayOut(2);
  ASSERT_TRUE(os::DeleteFile("C:\\WWW\\html\\mall\\velqwww.ini"));
  const std::vector<MSInfo> records = Read(2);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_STREQ(records[0].GetName(), "shop");
}

TEST_F(InstalledConfigTest, OlderInstanceConflictingWithAnotherLeavesTheList) {
  OlderInstallation installation = test::SampleOlderInstallation(2, kWebConfig);
  installation.instances[1].port = installation.instances[0].port;  // mall takes shop's port
  ASSERT_EQ(test::WriteOlderInstallation(installation), "");
  const std::vector<MSInfo> records = Read(2);
  // mall is read first; shop, read next, collides with it and would be left
  // with no more than its name and directory.
  ASSERT_EQ(records.size(), 1u);
  EXPECT_STREQ(records[0].GetName(), "mall");
  EXPECT_EQ(records[0].GetMSPort(), 17000);
}

TEST_F(InstalledConfigTest, CurrentLevelKeepsTheDataFilePortAndReadsTheTypeTexts) {
  MSList list;
  AddCurrentInstance(list, "alpha", 17000,
                     "MS_PORT 9999\r\nTQ_WEBSERVER netscape\r\nKEL_DBMS ORACLE\r\n"
                     "DB_RETRY_LIMIT 7\r\nDBPASS unconverted\r\n");
  AddCurrentInstance(list, "beta", 17100, "");  // no tessaly.ini: not read
  AddCurrentInstance(list, "gamma", 17200, "TQ_WEBSERVER Quenta\r\nTQ_ENABLE_STAGING 1\r\n");
  StoreCurrentList(list);
  MSList stored;
  ASSERT_EQ(stored.Load(InstanceDataFile(kCurrentInstall)), 1);
  ASSERT_EQ(stored.GetCount(), 3) << stored.GetRefusedCount();

  for (int level : {3, 0}) {
    const std::vector<MSInfo> records = Read(level);
    ASSERT_EQ(records.size(), 2u) << "level " << level;
    EXPECT_STREQ(records[0].GetName(), "alpha");
    EXPECT_EQ(records[0].GetMSPort(), 17000);
    EXPECT_EQ(records[0].GetISType(), eISNetscape);
    EXPECT_EQ(records[0].GetDBType(), eDBOracle);
    EXPECT_EQ(records[0].m_DBRetryLimit, 7);
    EXPECT_STREQ(records[0].GetDBPswdCipher(), "unconverted");
    EXPECT_EQ(records[0].GetMSOption() & MSInfo::kOptOldLevel, 0);
    EXPECT_STREQ(records[1].GetName(), "gamma");
    EXPECT_EQ(records[1].GetISType(), eISQuenta);
    EXPECT_EQ(records[1].GetMSOption(), MSInfo::kOptStaging);
  }
}

TEST_F(InstalledConfigTest, MissingServerPortComesFromTheServicesFile) {
  OlderInstallation installation = test::SampleOlderInstallation(2, kWebConfig);
  installation.instances[0].port = 0;  // shop: no entry
  installation.instances[0].svcPrefix = "nowhere";
  installation.instances[1].port = 0;  // mall: found in the services file
  ASSERT_EQ(test::WriteOlderInstallation(installation), "");
  machine.WriteFile(kServicesFile, "echo 7/tcp\r\nmall 17350/tcp\r\n");
  const std::vector<MSInfo> records = Read(2);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].GetMSPort(), 17350);
  EXPECT_EQ(records[1].GetMSPort(), 16570);
}

TEST_F(InstalledConfigTest, InstalledCompanionsSetTheirOptionBits) {
  LayOut(2);
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VXR Payment Server]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Hosting Server]\r\n");
  const std::vector<MSInfo> records = Read(2);
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records[0].GetMSOption() & (MSInfo::kOptPayServer | MSInfo::kOptHosting),
            MSInfo::kOptPayServer | MSInfo::kOptHosting);
}

TEST_F(InstalledConfigTest, IniFileByDatabaseNameRespectsTheBufferSize) {
  MSList list;
  AddCurrentInstance(list, "alpha", 17000, "DBNAME Shop\r\n");
  AddCurrentInstance(list, "beta", 17100, "DBNAME other\r\n");
  StoreCurrentList(list);
  const std::string alpha = "C:\\Tessaly\\html\\alpha\\tessaly.ini";
  const std::string beta = "C:\\Tessaly\\html\\beta\\tessaly.ini";
  const int fits = static_cast<int>(alpha.size()) + 1;

  char buf[300] = "untouched";
  EXPECT_EQ(KelGetTQIniFile("SHOP", buf, fits), 1);
  EXPECT_EQ(std::string(buf), alpha);
  std::snprintf(buf, sizeof buf, "untouched");
  EXPECT_EQ(KelGetTQIniFile("shop", buf, fits - 1), 0);  // no room for the terminator
  EXPECT_STREQ(buf, "untouched");
  // No match: the last instance's file, when it fits.
  EXPECT_EQ(KelGetTQIniFile("none", buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), beta);
  std::snprintf(buf, sizeof buf, "untouched");
  EXPECT_EQ(KelGetTQIniFile("none", buf, 5), 0);
  EXPECT_STREQ(buf, "untouched");
  EXPECT_EQ(KelGetTQIniFile(nullptr, buf, sizeof buf), 0);
  EXPECT_EQ(KelGetTQIniFile("shop", nullptr, 10), 0);
  EXPECT_EQ(KelGetTQIniFile("shop", buf, 0), 0);
}

TEST_F(InstalledConfigTest, FinishingAtTheCurrentLevelChangesNoSecretAndNoPath) {
  MSInfo rec;
  rec.m_DBPswd = "pw-mall";
  rec.m_MacroPath = "C:\\Tessaly\\macro\\de_DE";
  rec.m_NDMacroPaths.AddTail(KelString("C:\\Tessaly\\macro"));
  rec.m_MSPort = 17000;
  EXPECT_EQ(FinishReadRecord(rec, 3), 1);
  EXPECT_STREQ(rec.GetDBPswdCipher(), "pw-mall");
  EXPECT_STREQ(rec.GetMacroPath(), "C:\\Tessaly\\macro\\de_DE");
  EXPECT_EQ(Texts(rec.m_NDMacroPaths), (std::vector<std::string>{"C:\\Tessaly\\macro"}));
  EXPECT_STREQ(rec.GetName(), "mser");
  EXPECT_EQ(rec.GetMSOption(), 0);
}

}  // namespace
}  // namespace orvane
