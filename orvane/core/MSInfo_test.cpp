#include "orvane/core/MSInfo.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "orvane/testing/TempMachine.h"

namespace {

const std::string kServicesFile = orvane::test::TempMachine::ServicesFile();

std::string Repeat(char c, int n) { return std::string(static_cast<size_t>(n), c); }

std::vector<std::string> Items(ParmList<KelString>& list) {
  std::vector<std::string> items;
  KelString item;
  for (int more = list.GetFirst(item); more; more = list.GetNext(item)) {
    items.push_back(static_cast<const char*>(item));
  }
  return items;
}

std::vector<std::string> Pairs(ParmList<NameValue>& list) {
  std::vector<std::string> pairs;
  NameValue pair;
  for (int more = list.GetFirst(pair); more; more = list.GetNext(pair)) {
    pairs.push_back(std::string(pair.name) + "=" + std::string(pair.value));
  }
  return pairs;
}

TEST(MSInfoTest, NewRecordHasTheDefaults) {
  const MSInfo info;
  EXPECT_STREQ(info.GetName(), "");
  EXPECT_STREQ(info.GetMerKeyCipher(), "");
  EXPECT_EQ(info.GetMSPort(), -1);
  EXPECT_EQ(info.GetMSProc(), -1);
  EXPECT_EQ(info.GetDBPort(), -1);
  EXPECT_EQ(info.GetZKCycle(), 30);
  EXPECT_EQ(info.GetZKIntvl(), 30);
  EXPECT_EQ(info.GetZKTmout(), 3600);
  EXPECT_EQ(info.GetMSOption(), 0);
  EXPECT_EQ(info.GetISType(), eISGoWebserver);
  EXPECT_EQ(info.GetDBType(), eDBVelq);
  EXPECT_EQ(info.m_PaySysController, 1);
  // Preserved values start unset.
  for (int value : {info.m_ZKAdminPort, info.m_ZKPayPort, info.m_ZKErrorPort, info.m_ZKSetPayPort,
                    info.m_ZKSetInqPort, info.m_JdbcPort, info.m_TransCount, info.m_HtmlMax,
                    info.m_LogLevel, info.m_DBRetryLimit, info.m_DBRetryIntvl,
                    info.m_BckCycleTime, info.m_BckInterJobTime, info.m_DmnCache,
                    info.m_DmnSynch, info.m_DmnSleep, info.m_TotalProcesses, info.m_PBProc}) {
    EXPECT_EQ(value, -1);
  }
  EXPECT_EQ(info.m_StagingFlag, 0);
  EXPECT_EQ(info.m_CacheFlag, 0);
  EXPECT_EQ(info.m_ZKTraceFlag, 0);
}

TEST(MSInfoTest, NameAndDatabaseNamesTakeOneToEightCharacters) {
  for (auto check : {MSInfo::CheckName, MSInfo::CheckDBName, MSInfo::CheckDBUser}) {
    EXPECT_EQ(check(""), 0);
    EXPECT_EQ(check(nullptr), 0);
    EXPECT_EQ(check("a"), 1);
    EXPECT_EQ(check("12345678"), 1);
    EXPECT_EQ(check("123456789"), 0);
  }
}

TEST(MSInfoTest, PathsTakeOneTo260CharactersAndHostsOneTo64) {
  for (auto check : {MSInfo::CheckRootPath, MSInfo::CheckMacroPath, MSInfo::CheckCgiPath,
                     MSInfo::CheckHtmlPath}) {
    EXPECT_EQ(check(""), 0);
    EXPECT_EQ(check(Repeat('p', 260).c_str()), 1);
    EXPECT_EQ(check(Repeat('p', 261).c_str()), 0);
  }
  for (auto check : {MSInfo::CheckISHost, MSInfo::CheckDBHost, MSInfo::CheckZKHost}) {
    EXPECT_EQ(check(""), 0);
    EXPECT_EQ(check("h"), 1);
    EXPECT_EQ(check(Repeat('h', 64).c_str()), 1);
    EXPECT_EQ(check(Repeat('h', 65).c_str()), 0);
  }
}

// Each text keeps to what its place in the command files can hold: names
// and hosts go there bare, paths and the database password in double quotes.
TEST(MSInfoTest, TextsKeepToTheCharactersOfTheirPlace) {
  struct Case {
    int (*check)(const char*);
    const char* text;
    int valid;
  };
  const Case cases[] = {
      {MSInfo::CheckName, "shop-1.a", 1},
      {MSInfo::CheckName, "caf\xe9", 1},
      {MSInfo::CheckName, "..\\..\\..", 0},
      {MSInfo::CheckName, "..", 0},
      {MSInfo::CheckName, ".", 0},
      {MSInfo::CheckName, "shop.", 0},
      {MSInfo::CheckName, "a.b", 1},
      {MSInfo::CheckName, "con", 0},
      {MSInfo::CheckName, "Nul.x", 0},
      {MSInfo::CheckName, "COM1", 0},
      {MSInfo::CheckName, "lpt9", 0},
      {MSInfo::CheckName, "com", 1},
      {MSInfo::CheckName, "com0", 1},
      {MSInfo::CheckName, "console", 1},
      {MSInfo::CheckName, "a b", 0},
      {MSInfo::CheckName, "a\tb", 0},
      {MSInfo::CheckName, "a\nb", 0},
      {MSInfo::CheckName, "a/b", 0},
      {MSInfo::CheckName, "a:b", 0},
      {MSInfo::CheckName, "a*?", 0},
      {MSInfo::CheckName, "a\"", 0},
      {MSInfo::CheckName, "a<>", 0},
      {MSInfo::CheckName, "a|b", 0},
      {MSInfo::CheckName, "a&b", 0},
      {MSInfo::CheckName, "a^b", 0},
      {MSInfo::CheckName, "a%b%", 0},
      {MSInfo::CheckName, "a(b)", 0},
      {MSInfo::CheckDBName, "S_1$#@", 1},
      {MSInfo::CheckDBName, "x>C:\\z", 0},
      {MSInfo::CheckDBName, "a-b", 0},
      {MSInfo::CheckDBName, "a.b", 0},
      {MSInfo::CheckDBName, "a b", 0},
      {MSInfo::CheckDBUser, "db2admin", 1},
      {MSInfo::CheckDBUser, "u&calc", 0},
      {MSInfo::CheckDBUser, "caf\xe9", 0},
      {MSInfo::CheckDBSvc, "", 1},
      {MSInfo::CheckDBSvc, "velq_svc", 1},
      {MSInfo::CheckDBSvc, "svc>x", 0},
      {MSInfo::CheckDBSvc, "svc-1", 0},
      {MSInfo::CheckDBHost, "db-1.example.test", 1},
      {MSInfo::CheckDBHost, "dbhost>C:\\WINNT\\httpd.cnf", 0},
      {MSInfo::CheckISHost, "a_b", 0},
      {MSInfo::CheckZKHost, "pay host", 0},
      {MSInfo::CheckHtmlPath, "C:\\Program Files (x86)\\a&b", 1},
      {MSInfo::CheckRootPath, "C:\\a\"b", 0},
      {MSInfo::CheckMacroPath, "C:\\%TEMP%", 0},
      {MSInfo::CheckCgiPath, "C:\\a\r\nb", 0},
      {MSInfo::CheckDBPswd, "p&s w)rd<", 1},
      {MSInfo::CheckDBPswd, "p\"w", 0},
      {MSInfo::CheckDBPswd, "p%w", 0},
      {MSInfo::CheckCMSPswd, "p%w\"", 1},  // goes into no command file
  };
  for (const Case& c : cases) EXPECT_EQ(c.check(c.text), c.valid) << c.text;

  // A refused value leaves the field as it was.
  MSInfo info;
  ASSERT_EQ(info.SetDBSvc("velqsvc"), 1);
  EXPECT_EQ(info.SetDBSvc("svc&calc"), 0);
  EXPECT_STREQ(info.GetDBSvc(), "velqsvc");
  ASSERT_EQ(info.SetDBPswd("s3cret"), 1);
  EXPECT_EQ(info.SetDBPswd("50%"), 0);
  KelString password;
  info.GetDBPswd(password);
  EXPECT_STREQ(password, "s3cret");
}

TEST(MSInfoTest, SecretsHaveTheirLengths) {
  for (auto check : {MSInfo::CheckDBPswd, MSInfo::CheckCMSPswd}) {
    EXPECT_EQ(check(""), 1);
    EXPECT_EQ(check(Repeat('s', 16).c_str()), 1);
    EXPECT_EQ(check(Repeat('s', 17).c_str()), 0);
  }
  EXPECT_EQ(MSInfo::CheckMerKey(""), 1);
  EXPECT_EQ(MSInfo::CheckMerKey(Repeat('a', 15).c_str()), 0);
  EXPECT_EQ(MSInfo::CheckMerKey(Repeat('a', 16).c_str()), 1);
  EXPECT_EQ(MSInfo::CheckMerKey(Repeat('a', 17).c_str()), 0);
}

TEST(MSInfoTest, IPAddressNeedsFourPartsOfAtMost255) {
  EXPECT_EQ(MSInfo::CheckIPAddr("9.20.1.3"), 1);
  EXPECT_EQ(MSInfo::CheckIPAddr("255.255.255.255"), 1);
  EXPECT_EQ(MSInfo::CheckIPAddr("9.20.1.300"), 0);
  EXPECT_EQ(MSInfo::CheckIPAddr("256.0.0.1"), 0);
  EXPECT_EQ(MSInfo::CheckIPAddr("10..1.2"), 1);      // an empty part counts as 0
  EXPECT_EQ(MSInfo::CheckIPAddr("010.000.0.0255"), 1);  // leading zeros
  EXPECT_EQ(MSInfo::CheckIPAddr("1.2.3"), 0);
  EXPECT_EQ(MSInfo::CheckIPAddr("1.2.3.4.5"), 0);
  EXPECT_EQ(MSInfo::CheckIPAddr("1.2.3.4 "), 0);
  EXPECT_EQ(MSInfo::CheckIPAddr("1.2.3.-4"), 0);
  EXPECT_EQ(MSInfo::CheckIPAddr(""), 0);
  EXPECT_EQ(MSInfo::CheckIPAddr(nullptr), 0);
  // A long run of digits is too great, not a wrapped-around small number.
  EXPECT_EQ(MSInfo::CheckIPAddr("1.2.3.4294967297"), 0);
}

TEST(MSInfoTest, NumberRulesHaveTheirBounds) {
  struct Case {
    int (*check)(int);
    int least;
    int most;
  };
  for (const Case& c : {Case{MSInfo::CheckMSProc, 2, 99}, Case{MSInfo::CheckZKCycle, 1, 65535},
                        Case{MSInfo::CheckZKIntvl, 1, 65535}, Case{MSInfo::CheckZKTmout, 60, 65535},
                        Case{MSInfo::CheckMSPort, 1024, 65535}}) {
    EXPECT_EQ(c.check(c.least - 1), 0);
    EXPECT_EQ(c.check(c.least), 1);
    EXPECT_EQ(c.check(c.most), 1);
    EXPECT_EQ(c.check(c.most + 1), 0);
  }
  EXPECT_EQ(MSInfo::CheckMSPort(16560), 0);
  EXPECT_EQ(MSInfo::CheckMSPort(16559), 1);
  EXPECT_EQ(MSInfo::CheckMSPort(16561), 1);
}

TEST(MSInfoTest, TypesStayWithinTheirEnumerations) {
  EXPECT_EQ(MSInfo::CheckISType(eISQuenta), 1);
  EXPECT_EQ(MSInfo::CheckISType(static_cast<eISType>(3)), 0);
  EXPECT_EQ(MSInfo::CheckISType(static_cast<eISType>(-1)), 1);  // an upper bound only
  EXPECT_EQ(MSInfo::CheckDBType(eDBOracle), 1);
  EXPECT_EQ(MSInfo::CheckDBType(static_cast<eDBType>(2)), 0);
  EXPECT_EQ(MSInfo::CheckDBType(static_cast<eDBType>(-1)), 1);
}

TEST(MSInfoTest, SettersRefuseBadValuesAndKeepTheOldOnes) {
  MSInfo info;
  ASSERT_EQ(info.SetName("shop"), 1);
  EXPECT_EQ(info.SetName("123456789"), 0);
  EXPECT_EQ(info.SetName(""), 0);
  EXPECT_STREQ(info.GetName(), "shop");
  EXPECT_EQ(info.SetName("a.b"), 1);
  EXPECT_STREQ(info.GetName(), "a.b");

  ASSERT_EQ(info.SetMSPort(20000), 1);
  EXPECT_EQ(info.SetMSPort(16560), 0);
  EXPECT_EQ(info.SetMSPort(1023), 0);
  EXPECT_EQ(info.GetMSPort(), 20000);
  EXPECT_EQ(info.SetMSPort(65535), 1);
  EXPECT_EQ(info.GetMSPort(), 65535);

  ASSERT_EQ(info.SetIPAddr("10.0.0.1"), 1);
  EXPECT_EQ(info.SetIPAddr("10.0.0"), 0);
  EXPECT_STREQ(info.GetIPAddr(), "10.0.0.1");

  ASSERT_EQ(info.SetISType(eISNetscape), 1);
  EXPECT_EQ(info.SetISType(static_cast<eISType>(3)), 0);
  EXPECT_EQ(info.GetISType(), eISNetscape);

  EXPECT_EQ(info.SetMSProc(1), 0);
  EXPECT_EQ(info.GetMSProc(), -1);
  EXPECT_EQ(info.SetZKTmout(59), 0);
  EXPECT_EQ(info.GetZKTmout(), 3600);
  EXPECT_EQ(info.SetZKCycle(0), 0);
  EXPECT_EQ(info.SetZKIntvl(65536), 0);
  EXPECT_EQ(info.GetZKCycle(), 30);
  EXPECT_EQ(info.GetZKIntvl(), 30);

  ASSERT_EQ(info.SetISHost("www"), 1);
  EXPECT_EQ(info.SetISHost(Repeat('h', 65).c_str()), 0);
  EXPECT_STREQ(info.GetISHost(), "www");
  ASSERT_EQ(info.SetHtmlPath("C:\\www"), 1);
  EXPECT_EQ(info.SetHtmlPath(""), 0);
  EXPECT_STREQ(info.GetHtmlPath(), "C:\\www");
}

TEST(MSInfoTest, DatabasePortAndServiceHaveNoRangeOrLength) {
  MSInfo info;
  EXPECT_EQ(info.SetDBPort(7), 1);
  EXPECT_EQ(info.GetDBPort(), 7);
  EXPECT_EQ(info.SetDBSvc(""), 1);
  EXPECT_EQ(info.SetDBSvc(Repeat('s', 300).c_str()), 1);
  EXPECT_EQ(info.GetDBSvc(), Repeat('s', 300));
}

TEST(MSInfoTest, DirectoryPathsLoseOneTrailingBackslashButTheRootKeepsIt) {
  MSInfo info;
  ASSERT_EQ(info.SetHtmlPath("C:\\www\\html\\"), 1);
  EXPECT_STREQ(info.GetHtmlPath(), "C:\\www\\html");
  ASSERT_EQ(info.SetMacroPath("C:\\a\\\\"), 1);
  EXPECT_STREQ(info.GetMacroPath(), "C:\\a\\");
  ASSERT_EQ(info.SetCgiPath("\\"), 1);
  EXPECT_STREQ(info.GetCgiPath(), "");
  ASSERT_EQ(info.SetRootPath("C:\\inst\\"), 1);
  EXPECT_STREQ(info.GetRootPath(), "C:\\inst\\");
}

TEST(MSInfoTest, PasswordsAreEncipheredAsSetAndDecipheredByTheGetters) {
  MSInfo info;
  const std::string password = "Pass-word_123456";  // 16 characters
  ASSERT_EQ(info.SetDBPswd(password.c_str()), 1);
  EXPECT_EQ(std::strlen(info.GetDBPswdCipher()), 32u);
  EXPECT_EQ(std::string(info.GetDBPswdCipher()).find("Pass"), std::string::npos);
  KelString clear;
  EXPECT_EQ(info.GetDBPswd(clear), 1);
  EXPECT_STREQ(clear, password.c_str());

  const std::string stored = info.GetDBPswdCipher();
  EXPECT_EQ(info.SetDBPswd(Repeat('x', 17).c_str()), 0);
  EXPECT_EQ(info.GetDBPswdCipher(), stored);

  ASSERT_EQ(info.SetCMSPswd("cms"), 1);
  EXPECT_EQ(std::strlen(info.GetCMSPswdCipher()), 12u);
  EXPECT_EQ(info.GetCMSPswd(clear), 1);
  EXPECT_STREQ(clear, "cms");
  EXPECT_STRNE(info.GetCMSPswdCipher(), info.GetDBPswdCipher());

  ASSERT_EQ(info.SetCMSPswd(""), 1);
  EXPECT_STREQ(info.GetCMSPswdCipher(), "");
  clear = "stale";
  EXPECT_EQ(info.GetCMSPswd(clear), 1);
  EXPECT_STREQ(clear, "");
}

TEST(MSInfoTest, DamagedPasswordCipherGivesAnEmptyPassword) {
  MSInfo info;
  info.m_DBPswd = "not*base64";
  KelString clear("stale");
  EXPECT_EQ(info.GetDBPswd(clear), 1);
  EXPECT_STREQ(clear, "");
}

TEST(MSInfoTest, MerchantKeyIsEncipheredOrMarkedAbsent) {
  MSInfo info;
  ASSERT_EQ(info.SetMerKey("0123456789abcDEF"), 1);
  EXPECT_EQ(std::strlen(info.GetMerKeyCipher()), 32u);
  EXPECT_STRNE(info.GetMerKeyCipher(), MSInfo::kNoKeyMarker);
  KelString key;
  EXPECT_EQ(info.GetMerKey(key), 1);
  EXPECT_STREQ(key, "0123456789abcDEF");

  const std::string stored = info.GetMerKeyCipher();
  EXPECT_EQ(info.SetMerKey(Repeat('1', 15).c_str()), 0);
  // Sixteen characters that are not hexadecimal cannot be enciphered.
  EXPECT_EQ(info.SetMerKey("0123456789abcdeg"), 0);
  EXPECT_EQ(info.GetMerKeyCipher(), stored);

  ASSERT_EQ(info.SetMerKey(""), 1);
  EXPECT_STREQ(info.GetMerKeyCipher(), MSInfo::kNoKeyMarker);
  EXPECT_EQ(info.GetMerKey(key), 1);
  EXPECT_STREQ(key, "");
}

TEST(MSInfoTest, MerchantKeyGetterGivesNothingForTheMarkerOrAnUnreadableField) {
  MSInfo info;
  KelString key("stale");
  EXPECT_EQ(info.GetMerKey(key), 1);  // empty field
  EXPECT_STREQ(key, "");

  std::string marker = MSInfo::kNoKeyMarker;
  for (char& c : marker) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  info.m_MerKey = marker.c_str();  // the marker in any letter case
  key = "stale";
  EXPECT_EQ(info.GetMerKey(key), 1);
  EXPECT_STREQ(key, "");

  info.m_MerKey = Repeat('A', 32).c_str();
  key = "stale";
  EXPECT_EQ(info.GetMerKey(key), 1);
  EXPECT_STREQ(key, "");
}

TEST(MSInfoTest, OptionMaskSelectsTheBitsThatChange) {
  MSInfo info;
  info.SetMSOption(0xFF, MSInfo::kOptCache);
  EXPECT_EQ(info.SetMSOption(0x09, 0x01), 1);
  EXPECT_EQ(info.GetMSOption(), 0x01);
  info.SetMSOption(MSInfo::kOptHosting, 0xFF);  // bits outside the mask are ignored
  EXPECT_EQ(info.GetMSOption(), 0x81);
}

TEST(MSInfoTest, TotalProcessesBelowOneAreStoredAsZero) {
  MSInfo info;
  EXPECT_EQ(info.SetTotalProcesses(5), 1);
  EXPECT_EQ(info.m_TotalProcesses, 5);
  EXPECT_EQ(info.SetTotalProcesses(-3), 1);
  EXPECT_EQ(info.m_TotalProcesses, 0);
}

TEST(MSInfoTest, PathListsInsertUniquelyAtTheirEnds) {
  MSInfo info;
  info.InsertNDMacroPath("C:\\m");
  info.InsertNDMacroPath(KelString("C:\\n"));
  info.InsertNDMacroPath("c:\\M");  // already there, letter case ignored
  info.InsertNDMacroPathHead("C:\\first");
  info.InsertNDMacroPathHead(KelString("C:\\N"));
  EXPECT_EQ(Items(info.m_NDMacroPaths),
            (std::vector<std::string>{"C:\\first", "C:\\m", "C:\\n"}));

  info.InsertNDIncPath("i1");
  info.InsertNDIncPathHead("i0");
  info.InsertNDIncPath(KelString("I0"));
  EXPECT_EQ(Items(info.m_NDIncPaths), (std::vector<std::string>{"i0", "i1"}));

  KelString editor1("e1"), editor2("e2");
  info.InsertTEditorPath(editor1);
  info.InsertTEditorPath(editor2);
  EXPECT_EQ(Items(info.m_TEditorPaths), (std::vector<std::string>{"e2", "e1"}));
}

TEST(MSInfoTest, DirectivePairsGoToTheirOwnListsAndRepeatedNamesReplace) {
  MSInfo info;
  info.SetISPass("/a/*", "C:\\a\\*");
  info.SetISPass("/A/*", "C:\\b\\*");
  info.SetISMap("m", "1");
  info.SetISExec("e", "2");
  info.SetISCommonPass("cp", "3");
  info.SetISCommonMap("cm", "4");
  info.SetISCommonExec("ce", "5");
  info.SetISCommonAddType(".js", "application/x-javascript");
  info.SetNDEnv("(DTW_SQL)", "x");
  info.SetNDEnv("(DTW_SQL)", "y");
  EXPECT_EQ(Pairs(info.m_ISPass), (std::vector<std::string>{"/A/*=C:\\b\\*"}));
  EXPECT_EQ(Pairs(info.m_ISMap), (std::vector<std::string>{"m=1"}));
  EXPECT_EQ(Pairs(info.m_ISExec), (std::vector<std::string>{"e=2"}));
  EXPECT_EQ(Pairs(info.m_ISCommonPass), (std::vector<std::string>{"cp=3"}));
  EXPECT_EQ(Pairs(info.m_ISCommonMap), (std::vector<std::string>{"cm=4"}));
  EXPECT_EQ(Pairs(info.m_ISCommonExec), (std::vector<std::string>{"ce=5"}));
  EXPECT_EQ(Pairs(info.m_ISCommonAddType),
            (std::vector<std::string>{".js=application/x-javascript"}));
  EXPECT_EQ(Pairs(info.m_NDEnv), (std::vector<std::string>{"(DTW_SQL)=y"}));
}

TEST(MSInfoTest, CopiesAreDeepAndIndependent) {
  MSInfo original;
  original.SetName("shop");
  original.m_SvcPrefix = "tqshop";
  original.m_JdbcPort = 9000;
  original.InsertNDMacroPath("C:\\m");
  original.SetISPass("/x/*", "C:\\x\\*");
  {
    MSInfo copy(original);
    EXPECT_STREQ(copy.GetName(), "shop");
    EXPECT_STREQ(copy.m_SvcPrefix, "tqshop");
    EXPECT_EQ(copy.m_JdbcPort, 9000);
    copy.SetName("other");
    copy.InsertNDMacroPath("C:\\n");
    copy.SetISPass("/x/*", "changed");
    EXPECT_NE(copy.GetName(), original.GetName());  // separate buffers
  }
  EXPECT_STREQ(original.GetName(), "shop");
  EXPECT_EQ(Items(original.m_NDMacroPaths), (std::vector<std::string>{"C:\\m"}));
  EXPECT_EQ(Pairs(original.m_ISPass), (std::vector<std::string>{"/x/*=C:\\x\\*"}));

  MSInfo assigned;
  assigned.InsertNDIncPath("stale");
  assigned = original;
  EXPECT_TRUE(Items(assigned.m_NDIncPaths).empty());
  assigned.m_ISPass.RemoveAll();
  EXPECT_EQ(Pairs(original.m_ISPass).size(), 1u);
}

TEST(MSInfoTest, CopyCoreFieldsLeavesThePreservedValues) {
  MSInfo source;
  source.SetName("src");
  source.SetMSPort(20000);
  source.SetZKTmout(120);
  source.m_LogPath = "C:\\src\\logs";
  MSInfo target;
  target.m_LogPath = "C:\\target\\logs";
  target.InsertNDMacroPath("kept");
  target.CopyCoreFields(source);
  EXPECT_STREQ(target.GetName(), "src");
  EXPECT_EQ(target.GetMSPort(), 20000);
  EXPECT_EQ(target.GetZKTmout(), 120);
  EXPECT_STREQ(target.m_LogPath, "C:\\target\\logs");
  EXPECT_EQ(Items(target.m_NDMacroPaths), (std::vector<std::string>{"kept"}));
}

class MSInfoMachineTest : public orvane::test::MachineTest {};

TEST_F(MSInfoMachineTest, PortTestFailsOnListedOrInvalidPorts) {
  machine.WriteFile(kServicesFile,
                    "echo\t\t7/tcp\r\n"
                    "other\t\t20002/tcp\t# taken\r\n"
                    "dgram\t\t20010/udp\r\n");
  const MSInfo info;
  EXPECT_EQ(info.TestPort(20000, 2), 1);
  EXPECT_EQ(info.TestPort(20000, 3), 0);
  EXPECT_EQ(info.TestPort(20003, 7), 1);
  EXPECT_EQ(info.TestPort(20003, 8), 0);  // any protocol counts
  EXPECT_EQ(info.TestPort(1023, 1), 0);
  EXPECT_EQ(info.TestPort(1024, 1), 1);
  EXPECT_EQ(info.TestPort(65535, 1), 1);
  EXPECT_EQ(info.TestPort(65535, 2), 0);
  EXPECT_EQ(info.TestPort(16558, 2), 1);
  EXPECT_EQ(info.TestPort(16558, 3), 0);  // 16560 is never free
  EXPECT_EQ(info.TestPort(INT_MAX, 1), 0);
}

TEST_F(MSInfoMachineTest, PortTestOfNoPortsSucceedsAtOnce) {
  const MSInfo info;
  EXPECT_EQ(info.TestPort(1, 0), 1);
  EXPECT_EQ(info.TestPort(16560, -3), 1);
}

TEST_F(MSInfoMachineTest, ProcessCountIsTheInstancesEntriesButTheController) {
  machine.WriteFile(kServicesFile,
                    "tqmall_ctl\t20000/tcp\t# Tessaly Server Controller\r\n"
                    "tqmall_1\t20001/tcp\t# Tessaly server\r\n"
                    "tqmall_sched\t20003/tcp\t# Tessaly scheduler\r\n"
                    "tqmall2_1\t20101/tcp\t# another instance\r\n"
                    "tqmal_1\t\t20201/tcp\t# another instance\r\n"
                    "alias\t\t20301/tcp\ttqmall_pb # named in a comment\n");
  MSInfo info;
  info.SetName("mall");
  info.SetTotalProcesses(42);  // not consulted
  EXPECT_EQ(info.GetTotalProcesses(), 3);
}

TEST_F(MSInfoMachineTest, ProcessCountTakesEachLineOnceWhereverItsEntryStands) {
  machine.WriteFile(kServicesFile,
                    "tqmall_1\t20001/tcp\ttqmall_2 # twice on one line\r\n"
                    "tqmall_ctl\t20000/tcp\r\n"
                    "# Tessaly Server Controller, on a line of its own\r\n"
                    "tqmall_sched\t20003/tcp");  // the last line has no line end
  MSInfo info;
  info.SetName("mall");
  EXPECT_EQ(info.GetTotalProcesses(), 3);
}

TEST_F(MSInfoMachineTest, ProcessCountIsZeroWithoutAServicesFile) {
  MSInfo info;
  info.SetName("mall");
  EXPECT_EQ(info.GetTotalProcesses(), 0);
}

TEST_F(MSInfoMachineTest, DatabaseOwnerMustBeALocalAdministrator) {
  MSInfo info;
  std::string owner = info.GetDBOwner();
  for (const auto& account : machine.AddAccounts()) {
    const int administrator = account.privilege == 2 ? 1 : 0;
    EXPECT_EQ(MSInfo::CheckDBOwner(account.name.c_str()), administrator) << account.name;
    EXPECT_EQ(info.SetDBOwner(account.name.c_str()), administrator) << account.name;
    if (administrator) owner = account.name;
    EXPECT_EQ(std::string(info.GetDBOwner()), owner) << account.name;  // a refused one changes nothing
  }
  EXPECT_EQ(MSInfo::CheckDBOwner("nobody"), 0);
#if !defined(_WIN32)
  // An administrator whose name the command files cannot hold bare.
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\EMULATION\\Accounts\\u&calc]\r\n\"Privilege\"=dword:00000002\r\n");
  EXPECT_EQ(MSInfo::CheckDBOwner("u&calc"), 0);
#endif
  EXPECT_EQ(MSInfo::CheckDBOwner(""), 0);
  EXPECT_EQ(MSInfo::CheckDBOwner(nullptr), 0);
}

}  // namespace
