#include "orvane/config/InstanceFiles.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif

#include <functional>
#include <string>
#include <vector>

#include "orvane/config/InstanceFileTestMachine.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"

namespace {

using orvane::test::CrLf;
using orvane::test::InsertedAfter;
using orvane::test::Lines;
using orvane::test::Replaced;
using orvane::test::ShownErrors;

class InstanceFilesTest : public orvane::test::InstanceFileTest {};

constexpr char kClassPath[] =
    "TQ_CLASSPATH C:\\jre\\lib\\classes.zip;C:\\velq\\java\\velqjava.zip;\\JQ\\JQ.jar;"
    "\\JQ\\Tq_jq.jar";

const Lines kPlainServerFile = {
    "SERVICE_NAME_PREFIX tqmall",
    "EXEC D:\\Tessaly\\bin\\server.exe",
    "MS_HOSTNAME shop.example",
    "DBNAME malldb",
    "DBINST dbuser",
    "DBOWNER owner",
    "DBPASS DBCIPHER",
    "PROCESSES 2",
    "MERCHANT_KEY KEYCIPHER",
    "PDI_ENCRYPT OFF",
    "USERTRAFFIC_LOG 0",
    "MS_TRANS_COUNT 250",
    "MS_HTML_MAX 1000000",
    "MS_LOGPATH C:\\mall\\logs",
    "MS_LOGLEVEL 2",
    "DB_RETRY_LIMIT 15",
    "DB_RETRY_INTERVAL 20",
    "MACRO_PATH C:\\mall\\macro",
    "HTML_PATH C:\\mall\\html",
    "MS_CGIBIN_PATH C:\\mall\\cgi-bin",
    "SG_PATH D:\\Tessaly\\Wayfinder",
    "TQ_TEDITOR_PATH C:\\mall\\teditor;C:\\mall\\teditor\\ca_html",
    "TQ_LANG en_US",
    "TQ_WEBSERVER Go",
    "TQ_ENABLE_STAGING 0",
    "TQ_ENABLE_CACHE 0",
    "KEL_DBMS VELQ",
    "CASHET_HOSTNAME shop.example",
    "PAY_STATE_TIMEOUT 3600",
    "PAYSYS_CONTROLLER 0",
    "CASHET_ADMIN_PORT 5005",
    "CASHET_PAY_PORT 5006",
    "SECURE_NVPS password, shlpswd, shlpswdver, ccnum, ccxyear, ccxmonth, name, shlogid, sanick",
    "KEL_JDBC_DRIVER COM.vxr.velq.jdbc.app.VELQDriver",
    "KEL_JDBC_NETDRIVER COM.vxr.velq.jdbc.net.VELQDriver",
    "KEL_JDBC_URL jdbc:velq:malldb",
    "KEL_JDBC_NETURL jdbc:velq://shop.example:16560/malldb",
};

// The hosting edition's lines, after "PDI_ENCRYPT OFF".
Lines HostingLines() {
  return {
      "CACHE_FILE_PATH C:\\mall",
      "CACHE_ENABLED ON",
      "MAX_CACHED_FILES 100",
      "TEMPLATE_PATH D:\\Tessaly\\templates\\en_US",
      "OUTBOUND_PATH D:\\Tessaly\\outbound\\en_US",
      "MPG_PATH D:\\Tessaly\\JQ\\mpg_templates",
      "MTOOL_BASE D:\\Tessaly\\JQ",
      "MTOOL_AFFILIATE JQ",
      "MTOOL_MSOURCE D:\\Tessaly\\JQ\\source",
      "MTOOL_ERROR_LOG D:\\Tessaly\\JQ\\jqlog.log",
      "MTOOL_NUM_CON 5",
      "MTOOL_MAX_WAIT 10",
      "ERR_NOTIFICATION ON",
      "ORDER_NOTIFICATION ON",
      "ADMIN_ERR_MSG_TEMPLATE errmsgadmin.tpl",
      "TQ_JRE_PATH C:\\jre\\bin",
      kClassPath,
  };
}

Lines WithHosting(Lines lines) {
  lines = InsertedAfter(lines, "PDI_ENCRYPT OFF", HostingLines());
  return Replaced(lines, "USERTRAFFIC_LOG 0", "USERTRAFFIC_LOG 1");
}

Lines WithJdbc(Lines lines, const std::string& driver, const std::string& netDriver,
               const std::string& url, const std::string& netUrl) {
  lines = Replaced(lines, "KEL_JDBC_DRIVER COM.vxr.velq.jdbc.app.VELQDriver",
                   "KEL_JDBC_DRIVER " + driver);
  lines = Replaced(lines, "KEL_JDBC_NETDRIVER COM.vxr.velq.jdbc.net.VELQDriver",
                   "KEL_JDBC_NETDRIVER " + netDriver);
  lines = Replaced(lines, "KEL_JDBC_URL jdbc:velq:malldb", "KEL_JDBC_URL " + url);
  return Replaced(lines, "KEL_JDBC_NETURL jdbc:velq://shop.example:16560/malldb",
                  "KEL_JDBC_NETURL " + netUrl);
}

struct ServerVariant {
  const char* name;
  std::function<void(MSInfo&, InstanceFilesTest&)> setUp;
  std::function<Lines()> expected;
};

TEST_F(InstanceFilesTest, ServerFileOfEachVariant) {
  const std::vector<ServerVariant> variants = {
      {"plain", [](MSInfo&, InstanceFilesTest&) {}, [] { return kPlainServerFile; }},
      {"hosting edition", [](MSInfo& i, InstanceFilesTest&) { i.m_MSOption = 0x80; },
       [] { return WithHosting(kPlainServerFile); }},
      {"page cache", [](MSInfo& i, InstanceFilesTest&) { i.m_MSOption = 0x08; },
       [] {
         Lines lines = InsertedAfter(kPlainServerFile, "DB_RETRY_INTERVAL 20",
                                     {"TQ_DMN_CACHE 1", "TQ_DMN_SYNCH 1", "TQ_DMN_SLP_SEC 15"});
         return Replaced(lines, "TQ_ENABLE_CACHE 0", "TQ_ENABLE_CACHE 1");
       }},
      {"staging and packaging", [](MSInfo& i, InstanceFilesTest&) { i.m_MSOption = 0x01 | 0x02; },
       [] {
         Lines lines = Replaced(kPlainServerFile, "TQ_ENABLE_STAGING 0", "TQ_ENABLE_STAGING 1");
         return Replaced(lines, "TQ_TEDITOR_PATH C:\\mall\\teditor;C:\\mall\\teditor\\ca_html",
                         "TQ_TEDITOR_PATH C:\\mall\\teditor");
       }},
      {"Oracle", [](MSInfo& i, InstanceFilesTest&) { i.m_DBType = eDBOracle; },
       [] {
         Lines lines = Replaced(kPlainServerFile, "KEL_DBMS VELQ", "KEL_DBMS Oracle");
         return WithJdbc(lines, "oracle.jdbc.driver.OracleDriver",
                         "oracle.jdbc.driver.OracleDriver",
                         "jdbc:oracle:thin:@shop.example:1521:malldb",
                         "jdbc:oracle:thin:@shop.example:1521:malldb");
       }},
      {"Velq with Netscape", [](MSInfo& i, InstanceFilesTest&) { i.m_ISType = eISNetscape; },
       [] {
         Lines lines = Replaced(kPlainServerFile, "TQ_WEBSERVER Go", "TQ_WEBSERVER Netscape");
         return WithJdbc(
             lines, "COM.vxr.velq.jdbc.net.VELQDriver", "COM.vxr.velq.jdbc.net.VELQDriver",
             "jdbc:velq://shop.example:16560/malldb", "jdbc:velq://shop.example:16560/malldb");
       }},
      {"Velq with Netscape and the hosting edition",
       [](MSInfo& i, InstanceFilesTest&) {
         i.m_ISType = eISNetscape;
         i.m_MSOption = 0x80;
       },
       [] {
         return Replaced(WithHosting(kPlainServerFile), "TQ_WEBSERVER Go", "TQ_WEBSERVER Netscape");
       }},
      {"preserved values",
       [](MSInfo& i, InstanceFilesTest&) {
         i.m_TransCount = 100;
         i.m_HtmlMax = 5;
         i.m_LogLevel = 0;
         i.m_DBRetryLimit = 3;
         i.m_DBRetryIntvl = 4;
         i.m_SGPath = "C:\\wizard";
         i.m_Lang = "fr_FR";
         i.m_ZKHost = "pay.example";
         i.m_JdbcNetDriver = "own.NetDriver";
         i.m_TEditorPaths.AddTail("C:\\own");
         i.m_TEditorPaths.AddTail("C:\\mall\\TEDITOR");  // present in another letter case
       },
       [] {
         Lines lines = kPlainServerFile;
         for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
                  {"MS_TRANS_COUNT 250", "MS_TRANS_COUNT 100"},
                  {"MS_HTML_MAX 1000000", "MS_HTML_MAX 5"},
                  {"MS_LOGLEVEL 2", "MS_LOGLEVEL 0"},
                  {"DB_RETRY_LIMIT 15", "DB_RETRY_LIMIT 3"},
                  {"DB_RETRY_INTERVAL 20", "DB_RETRY_INTERVAL 4"},
                  {"SG_PATH D:\\Tessaly\\Wayfinder", "SG_PATH C:\\wizard"},
                  {"TQ_LANG en_US", "TQ_LANG fr_FR"},
                  {"CASHET_HOSTNAME shop.example", "CASHET_HOSTNAME pay.example"},
                  {"KEL_JDBC_NETDRIVER COM.vxr.velq.jdbc.net.VELQDriver",
                   "KEL_JDBC_NETDRIVER own.NetDriver"},
                  {"TQ_TEDITOR_PATH C:\\mall\\teditor;C:\\mall\\teditor\\ca_html",
                   "TQ_TEDITOR_PATH C:\\mall\\teditor\\ca_html;C:\\own;C:\\mall\\TEDITOR"},
              }) {
           lines = Replaced(lines, from, to);
         }
         return lines;
       }},
      {"payment time-out unset", [](MSInfo& i, InstanceFilesTest&) { i.m_ZKTmout = -1; },
       [] { return kPlainServerFile; }},
      // Last: the product stays installed.
      {"payment server installed", [](MSInfo&, InstanceFilesTest& t) { t.InstallPaymentServer(); },
       [] { return Replaced(kPlainServerFile, "PAYSYS_CONTROLLER 0", "PAYSYS_CONTROLLER 1"); }},
  };
  for (const ServerVariant& variant : variants) {
    InstanceFilesTest& self = *this;
    MSInfo info = Mall();
    variant.setUp(info, self);
    MakeInstanceDirectory();
    machine.WriteFile(std::string(kInstance) + "\\tessaly.ini", "");  // replaced whole
    EXPECT_EQ(orvane::WriteServerConfig(info, kInstall), 1) << variant.name;
    EXPECT_EQ(Read("tessaly.ini"), CrLf(variant.expected())) << variant.name;
    EXPECT_EQ(info.GetZKTmout(), 3600) << variant.name;
    machine.WriteFile(std::string(kInstance) + "\\tessaly.ini", "");
  }
  EXPECT_TRUE(ShownErrors().empty());
}

TEST_F(InstanceFilesTest, ServerFileSettlesTheRecord) {
  MSInfo info = Mall();
  MakeInstanceDirectory();
  ASSERT_EQ(orvane::WriteServerConfig(info, kInstall), 1);
  EXPECT_EQ(info.m_TotalProcesses, 0);  // refreshed from the (empty) services file
  // The scheduler finds both editor directories present and adds nothing.
  ASSERT_EQ(orvane::WriteSchedulerConfig(info, kInstall), 1);
  EXPECT_NE(Read("scheduler.ini")
                .find("TQ_TEDITOR_PATH C:\\mall\\teditor;C:\\mall\\teditor\\ca_html\r\n"),
            std::string::npos);
}

TEST_F(InstanceFilesTest, ControllerFileWithAndWithoutTheOptionalServers) {
  const Lines plain = {
      "MS_HOSTNAME shop.example",  "CONTROL_DBNAME malldb",
      "CONTROL_DBINST dbuser",     "CONTROL_DBPASS DBCIPHER",
      "CONTROL_DB_RETRY_LIMIT 15", "CONTROL_DB_RETRY_INTERVAL 20",
      "MERCHANT_KEY KEYCIPHER",    "CONTROL_ERR_TOLERANCE 1",
      "CONTROL_SERVICE tqmall",    "CONTROL_POOL_CONFIG C:\\mall\\html\\tessaly",
      "MS_LOGPATH C:\\mall\\logs", "MS_LOGLEVEL 2",
  };
  MSInfo info = Mall();
  info.m_HtmlPath = "C:\\mall\\deep\\html";  // created with its parents
  ASSERT_EQ(orvane::WriteControllerConfig(info), 1);
  EXPECT_EQ(machine.ReadFile("C:\\mall\\deep\\html\\srvrctrl.ini"),
            CrLf(Replaced(plain, "CONTROL_POOL_CONFIG C:\\mall\\html\\tessaly",
                          "CONTROL_POOL_CONFIG C:\\mall\\deep\\html\\tessaly")));

  InstallPaymentServer();
  InstallHostingEdition();
  info = Mall();
  ASSERT_EQ(orvane::WriteControllerConfig(info), 1);
  Lines full = Replaced(plain, "CONTROL_POOL_CONFIG C:\\mall\\html\\tessaly",
                        "CONTROL_POOL_CONFIG C:\\mall\\html\\tessaly,C:\\mall\\html\\pay_back,"
                        "C:\\mall\\html\\pay_cashet,C:\\mall\\html\\pay_cyber,"
                        "C:\\mall\\html\\scheduler");
  full = InsertedAfter(full, full[9], {"CURRENCY_MERCHANTS -1"});
  EXPECT_EQ(Read("srvrctrl.ini"), CrLf(full));

  MSInfo nowhere = Mall();
  nowhere.m_HtmlPath = "relative\\html";
  EXPECT_EQ(orvane::WriteControllerConfig(nowhere), 0);
  EXPECT_TRUE(ShownErrors().empty());  // no message for the directory
}

TEST_F(InstanceFilesTest, TheOtherProcessFiles) {
  const Lines scheduler = {
      "SERVICE_NAME_PREFIX tqmall_sched",
      "EXEC D:\\Tessaly\\bin\\scheduler.exe",
      "MS_HOSTNAME shop.example",
      "DBNAME malldb",
      "DBINST dbuser",
      "DBOWNER owner",
      "DBPASS DBCIPHER",
      "PROCESSES 1",
      "MERCHANT_KEY KEYCIPHER",
      "SCHEDULER_INTER_JOB_TIME 600",
      "MS_TRANS_COUNT 250",
      "MS_HTML_MAX 1000000",
      "MS_LOGPATH C:\\mall\\logs",
      "MS_LOGLEVEL 2",
      "DB_RETRY_LIMIT 15",
      "DB_RETRY_INTERVAL 20",
      "MTOOL_MSOURCE D:\\Tessaly\\JQ\\source",
      "TQ_JRE_PATH C:\\jre\\bin",
      kClassPath,
      "MACRO_PATH C:\\mall\\macro",
      "HTML_PATH C:\\mall\\html",
      "MS_CGIBIN_PATH C:\\mall\\cgi-bin",
      "SG_PATH D:\\Tessaly\\Wayfinder",
      "TQ_TEDITOR_PATH C:\\mall\\teditor\\ca_html;C:\\mall\\teditor",
      "TQ_LANG en_US",
      "TQ_WEBSERVER Go",
      "KEL_DBMS VELQ",
      "KEL_JDBC_DRIVER COM.vxr.velq.jdbc.app.VELQDriver",
      "KEL_JDBC_NETDRIVER COM.vxr.velq.jdbc.net.VELQDriver",
      "KEL_JDBC_URL jdbc:velq:malldb",
      "KEL_JDBC_NETURL jdbc:velq://shop.example:16560/malldb",
      "TEMPLATE_PATH D:\\Tessaly\\templates\\en_US",
  };
  const Lines payBack = {
      "SERVICE_NAME_PREFIX tqmall_pb",
      "EXEC D:\\Tessaly\\bin\\back_server.exe",
      "DBNAME malldb",
      "DBINST dbuser",
      "DBPASS DBCIPHER",
      "PROCESSES 1",
      "MERCHANT_KEY KEYCIPHER",
      "MS_HOSTNAME shop.example",
      "DB_RETRY_LIMIT 15",
      "DB_RETRY_INTERVAL 20",
      "CASHET_HOSTNAME shop.example",
      "BACKGROUND_CYCLE_TIME 30",
      "PAY_STATE_TIMEOUT 3600",
      "CASHET_ADMIN_PORT 5005",
      "CASHET_PAY_PORT 5006",
      "BACKGROUND_INTER_JOB_TIME 30",
      "MS_LOGPATH C:\\mall\\logs",
      "MS_LOGLEVEL 2",
      "PAYSYS_CONTROLLER 0",
  };
  const Lines payCashet = {
      "SERVICE_NAME_PREFIX tqmall_pe",
      "EXEC D:\\Tessaly\\bin\\server.exe",
      "DBNAME malldb",
      "DBINST dbuser",
      "DBPASS DBCIPHER",
      "PROCESSES 1",
      "MERCHANT_KEY KEYCIPHER",
      "MS_HOSTNAME shop.example",
      "DB_RETRY_LIMIT 15",
      "DB_RETRY_INTERVAL 20",
      "USEREXIT_HOSTNAME shop.example",
      "CMSPASS CMSCIPHER",
      "USEREXIT_SERVICE_NAME_PREFIX tqmall",
      "CASHET_HOSTNAME shop.example",
      "CASHET_EXEC C:\\mall\\bin\\cashet.cmd",
      "CASHET_ADMIN_PORT 5005",
      "CASHET_PAY_PORT 5006",
      "CASHET_ERROR_PORT 5007",
      "CASHET_SET_PAY_PORT 5008",
      "CASHET_SET_INQUIRY_PORT 5009",
      "CASHET_LOG_PATH C:\\mall\\logs",
      "CASHET_CERT_PATH C:\\mall\\data",
      "CASHET_ENABLE_TRACE 0",
      "MS_LOGPATH C:\\mall\\logs",
      "MS_LOGLEVEL 2",
      "PAYSYS_CONTROLLER 0",
  };
  const Lines payCyber = {
      "SERVICE_NAME_PREFIX tqmall_cy",
      "EXEC D:\\Tessaly\\bin\\back_server.exe",
      "DBNAME malldb",
      "DBINST dbuser",
      "DBPASS DBCIPHER",
      "PROCESSES 1",
      "MERCHANT_KEY KEYCIPHER",
      "MS_HOSTNAME shop.example",
      "DB_RETRY_LIMIT 15",
      "DB_RETRY_INTERVAL 20",
      "CASHET_HOSTNAME shop.example",
      "ORDER_NOTIFICATION OFF",
      "PDI_ENCRYPT OFF",
      "TEMPLATE_PATH D:\\Tessaly\\templates\\en_US",
      "BACKGROUND_CYCLE_TIME 30",
      "BACKGROUND_INTER_JOB_TIME 30",
      "MS_LOGPATH C:\\mall\\logs",
      "MS_LOGLEVEL 2",
  };
  const Lines ece = {
      "SERVICE_NAME_PREFIX tqmall_ece",
      "EXEC D:\\Tessaly\\bin\\back_server.exe",
      "MS_HOSTNAME shop.example",
      "DBNAME malldb",
      "DBINST dbuser",
      "DBOWNER owner",
      "DBPASS DBCIPHER",
      "DB_RETRY_LIMIT 15",
      "DB_RETRY_INTERVAL 20",
      "PROCESSES 1",
      "MERCHANT_KEY KEYCIPHER",
      "TQ_LANG en_US",
      "BACKGROUND_CYCLE_TIME 30",
      "BACKGROUND_INTER_JOB_TIME 30",
      "MS_LOGPATH C:\\mall\\logs",
      "MS_LOGLEVEL 2",
      "TQ_QV_INBOUND IN.Q",
      "TQ_QV_OUTBOUND OUT.Q",
      "TQ_QV_INERROR ERR.Q",
      "TQ_QV_QMANAGER QM1",
      "TQ_QV_BRIDGE_USERID bridge",
      "DEFAULT_MSG_SIZE 2000",
      "MAX_MSG_SIZE 1000000",
      "HTML_PATH C:\\mall\\html",
  };
  char in[] = "IN.Q", out[] = "OUT.Q", error[] = "ERR.Q", manager[] = "QM1", user[] = "bridge";
  const orvane::QueueSettings queues{in, out, error, manager, user};
  struct FileCase {
    const char* file;
    std::function<int(MSInfo&)> write;
    const Lines& expected;
  };
  const std::vector<FileCase> cases = {
      {"scheduler.ini", [](MSInfo& i) { return orvane::WriteSchedulerConfig(i, kInstall); },
       scheduler},
      {"pay_back.ini", [](MSInfo& i) { return orvane::WritePayBackConfig(i, kInstall); }, payBack},
      {"pay_cashet.ini", [](MSInfo& i) { return orvane::WritePayCashetConfig(i, kInstall); },
       payCashet},
      {"pay_cyber.ini", [](MSInfo& i) { return orvane::WritePayCyberConfig(i, kInstall); },
       payCyber},
      {"tqei_ece.ini", [&queues](MSInfo& i) { return orvane::WriteEceConfig(i, kInstall, queues); },
       ece},
  };
  MakeInstanceDirectory();
  for (const FileCase& c : cases) {
    MSInfo info = Mall();
    EXPECT_EQ(c.write(info), 1) << c.file;
    EXPECT_EQ(Read(c.file), CrLf(c.expected)) << c.file;
  }
  EXPECT_TRUE(ShownErrors().empty());
}

TEST_F(InstanceFilesTest, PaymentFilesUseThePreservedValues) {
  MSInfo info = Mall();
  info.m_PBProc = 4;
  info.m_ZKCycle = -1;
  info.m_ExitHost = "exit.example";
  info.m_ZKExec = "C:\\own\\cashet.cmd";
  info.m_ZKCertPath = "C:\\certs";
  info.m_BckInterJobTime = 90;
  info.m_BckCycleTime = 45;
  info.m_ExitSvcPrefix = "tqother";
  info.m_MSOption = 0x10;
  MakeInstanceDirectory();
  ASSERT_EQ(orvane::WritePayBackConfig(info, kInstall), 1);
  ASSERT_EQ(orvane::WritePayCashetConfig(info, kInstall), 1);
  ASSERT_EQ(orvane::WritePayCyberConfig(info, kInstall), 1);
  const std::string payBack = Read("pay_back.ini");
  const std::string payCashet = Read("pay_cashet.ini");
  const std::string payCyber = Read("pay_cyber.ini");
  for (const char* line : {"PROCESSES 4\r\n", "BACKGROUND_CYCLE_TIME 30\r\n"}) {
    EXPECT_NE(payBack.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(info.GetZKCycle(), 30);
  for (const char* line :
       {"USEREXIT_HOSTNAME exit.example\r\n", "CASHET_EXEC C:\\own\\cashet.cmd\r\n",
        "CASHET_CERT_PATH C:\\certs\r\n", "CASHET_ENABLE_TRACE 1\r\n"}) {
    EXPECT_NE(payCashet.find(line), std::string::npos) << line;
  }
  EXPECT_NE(payCashet.find("USEREXIT_SERVICE_NAME_PREFIX tqother\r\n"), std::string::npos);
  EXPECT_NE(payCyber.find("BACKGROUND_CYCLE_TIME 45\r\nBACKGROUND_INTER_JOB_TIME 90\r\n"),
            std::string::npos);
}

TEST_F(InstanceFilesTest, MerchantConfigurationIsInstalledWithItsBackup) {
  // An installation on drive C: Windows machines need not have a drive D.
  MakeInstanceDirectory();
  machine.WriteFile("C:\\Tessaly\\adt\\tqcyber\\merchant_conf", "new merchants\r\n");
  machine.WriteFile("C:\\mall\\html\\merchant_conf", "old merchants\r\n");
  MSInfo info = Mall();
  ASSERT_EQ(orvane::WritePayCyberConfig(info, "C:\\Tessaly"), 1);
  EXPECT_EQ(Read("merchant_conf"), "new merchants\r\n");
  EXPECT_EQ(Read("merchant_conf.old"), "old merchants\r\n");
}

TEST_F(InstanceFilesTest, ClassPathAndJdbcRules) {
  InstallHostingEdition();
  EXPECT_STREQ(orvane::ClassPathValue(),
               "C:\\jre\\lib\\classes.zip;C:\\velq\\java\\velqjava.zip;C:\\jq\\JQ\\JQ.jar;"
               "C:\\jq\\JQ\\Tq_jq.jar");
  struct JdbcCase {
    eDBType db;
    eISType web;
    int options;
    const char* driver;
    const char* url;
  };
  const JdbcCase cases[] = {
      {eDBVelq, eISGoWebserver, 0, "COM.vxr.velq.jdbc.app.VELQDriver", "jdbc:velq:d"},
      {eDBVelq, eISQuenta, 0x80, "COM.vxr.velq.jdbc.app.VELQDriver", "jdbc:velq:d"},
      {eDBVelq, eISNetscape, 0x80, "COM.vxr.velq.jdbc.app.VELQDriver", "jdbc:velq:d"},
      {eDBVelq, eISNetscape, 0x7F, "COM.vxr.velq.jdbc.net.VELQDriver", "jdbc:velq://h:16560/d"},
  };
  for (const JdbcCase& c : cases) {
    MSInfo info;
    info.m_ISHost = "h";
    info.m_DBName = "d";
    info.m_DBType = c.db;
    info.m_ISType = c.web;
    info.m_MSOption = c.options;
    const orvane::JdbcSettings jdbc = orvane::JdbcRules(info);
    EXPECT_STREQ(jdbc.driver, c.driver);
    EXPECT_STREQ(jdbc.url, c.url);
    EXPECT_STREQ(jdbc.netDriver, "COM.vxr.velq.jdbc.net.VELQDriver");
    EXPECT_STREQ(jdbc.netUrl, "jdbc:velq://h:16560/d");
  }
}

// --- The merge of hand-added lines -------------------------------------------

const std::string kLongHandAddedLine =
    "LONG_SETTING " + std::string(1024 - 13, 'a') + "DBNAME cut here\r\n";

TEST_F(InstanceFilesTest, MergeKeepsHandAddedLinesInOrderAndIsStable) {
  MakeInstanceDirectory();
  const std::string previous =
      "SERVICE_NAME_PREFIX tqold\r\n"
      "MY_SETTING 7\r\n"
      "DBNAME other\r\n"
      "# a comment\r\n"
      "\r\n"
      "# another comment\r\n"
      "DBINST\told\r\n"
      "  \t \r\n"
      "MS_LOGLEVEL\r\n" +
      kLongHandAddedLine + "MY_SETTING 8\r\n" + "LAST_WITHOUT_END 1";
  machine.WriteFile("C:\\mall\\html\\tessaly.ini", previous);
  MSInfo info = Mall();
  ASSERT_EQ(orvane::WriteServerConfig(info, kInstall), 1);
  const std::string expected = CrLf(kPlainServerFile) +
                               "MY_SETTING 7\r\n"
                               "# a comment\r\n"
                               "\r\n"
                               "# another comment\r\n"
                               "  \t \r\n" +
                               kLongHandAddedLine + "MY_SETTING 8\r\n" + "LAST_WITHOUT_END 1";
  EXPECT_EQ(Read("tessaly.ini"), expected);
  EXPECT_EQ(Read("tessaly.old.ini"), previous);

  // A second run changes nothing, and keeps the backup of the first (on
  // Windows the private file is written anyway, to close it to others).
  ASSERT_EQ(orvane::WriteServerConfig(info, kInstall), 1);
  EXPECT_EQ(Read("tessaly.ini"), expected);
#if defined(_WIN32)
  EXPECT_EQ(Read("tessaly.old.ini"), expected);
#else
  EXPECT_EQ(Read("tessaly.old.ini"), previous);
#endif
  EXPECT_TRUE(ShownErrors().empty());
}

TEST_F(InstanceFilesTest, MergeOfAFileManyTimesLargerWithNulBytes) {
  MakeInstanceDirectory();
  std::string handAdded;
  for (int i = 0; i < 2000; ++i) handAdded += "SETTING_" + std::to_string(i) + " value\r\n";
  handAdded += std::string("BINARY a\0b\r\n", 11);
  machine.WriteFile("C:\\mall\\html\\tessaly.ini", CrLf(kPlainServerFile) + handAdded);
  ASSERT_EQ(orvane::SetFileMode("C:\\mall\\html\\tessaly.ini", 0644), 1);
  MSInfo info = Mall();
  ASSERT_EQ(orvane::WriteServerConfig(info, kInstall), 1);
  EXPECT_EQ(Read("tessaly.ini"), CrLf(kPlainServerFile) + handAdded);
#if !defined(_WIN32)
  struct stat status;
  // It holds ciphers: the owner's only, like its backup, though it was open
  // to others before.
  for (const char* file : {"tessaly.ini", "tessaly.old.ini"}) {
    ASSERT_EQ(stat(machine.HostPath(std::string("C:\\mall\\html\\") + file).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u) << file;
  }
#endif
}

TEST_F(InstanceFilesTest, FirstCreationAndAFileLeftOnlyAsItsBackup) {
  MakeInstanceDirectory();
  MSInfo info = Mall();
  EXPECT_EQ(orvane::WriteServerConfig(info, kInstall), 1);
  EXPECT_EQ(Read("tessaly.ini"), CrLf(kPlainServerFile));
  EXPECT_FALSE(Exists("tessaly.old.ini"));

  // A file moved aside (as deletion leaves it) still gives its own lines.
  machine.WriteFile("C:\\mall\\html\\tessaly.ini", "");
  orvane::os::DeleteFile("C:\\mall\\html\\tessaly.ini");
  machine.WriteFile("C:\\mall\\html\\tessaly.old.ini", "DBNAME gone\r\nMINE 1\r\n");
  EXPECT_EQ(orvane::WriteServerConfig(info, kInstall), 1);
  EXPECT_EQ(Read("tessaly.ini"), CrLf(kPlainServerFile) + "MINE 1\r\n");
}

TEST_F(InstanceFilesTest, AFailedWriteLeavesThePreviousFile) {
  MakeInstanceDirectory();
  const std::string previous = "DBNAME old\r\nMY_SETTING 7\r\n";
  machine.WriteFile("C:\\mall\\html\\tessaly.ini", previous);
  machine.WriteFile("C:\\mall\\html\\tessaly.old.ini", "older\r\n");

  // A host name with a line end would inject a directive of its own.
  MSInfo info = Mall();
  info.m_ISHost = "shop.example\r\nDBPASS clear";
  EXPECT_EQ(orvane::WriteServerConfig(info, kInstall), 0);
  EXPECT_EQ(Read("tessaly.ini"), previous);
  EXPECT_EQ(Read("tessaly.old.ini"), "older\r\n");
  ASSERT_EQ(ShownErrors().size(), 1u);
  EXPECT_EQ(ShownErrors()[0], "Cannot create configuration file C:\\mall\\html\\tessaly.ini.");

  // Every writer refuses the same way.
  const std::vector<std::function<int(MSInfo&)>> writers = {
      [](MSInfo& i) { return orvane::WriteControllerConfig(i); },
      [](MSInfo& i) { return orvane::WriteSchedulerConfig(i, kInstall); },
      [](MSInfo& i) { return orvane::WritePayBackConfig(i, kInstall); },
      [](MSInfo& i) { return orvane::WritePayCashetConfig(i, kInstall); },
      [](MSInfo& i) { return orvane::WritePayCyberConfig(i, kInstall); },
  };
  for (const auto& write : writers) EXPECT_EQ(write(info), 0);
  EXPECT_EQ(ShownErrors().size(), 6u);
  for (const char* file :
       {"srvrctrl.ini", "scheduler.ini", "pay_back.ini", "pay_cashet.ini", "pay_cyber.ini"}) {
    EXPECT_FALSE(Exists(file)) << file;
  }

  // A missing instance directory: nothing can be created.
  MSInfo elsewhere = Mall();
  elsewhere.m_HtmlPath = "C:\\nowhere";
  EXPECT_EQ(orvane::WriteServerConfig(elsewhere, kInstall), 0);
  EXPECT_EQ(ShownErrors().back(), "Cannot create configuration file C:\\nowhere\\tessaly.ini.");
}

#if !defined(_WIN32)
// The disk fills up in the middle of the new file: a file size limit makes
// every write past it fail, as a full disk does.
TEST_F(InstanceFilesTest, AFullDiskLeavesThePreviousFileAndItsHandAddedLines) {
  MakeInstanceDirectory();
  const std::string previous = CrLf(kPlainServerFile) + "MY_SETTING 7\r\n# mine\r\n";
  machine.WriteFile("C:\\mall\\html\\tessaly.ini", previous);
  MSInfo info = Mall();
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*savedHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 700;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int result = orvane::WriteServerConfig(info, kInstall);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedHandler);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Read("tessaly.ini"), previous);
  EXPECT_FALSE(Exists("tessaly.old.ini"));
  EXPECT_EQ(ShownErrors().size(), 1u);
}
#endif

// --- The server controller's pool --------------------------------------------

TEST_F(InstanceFilesTest, PoolServerIsAddedOnce) {
  MSInfo info = Mall();
  EXPECT_EQ(orvane::AddControllerPoolServer(info, "tqei_ece"), 0);  // no srvrctrl.ini
  ASSERT_EQ(orvane::WriteControllerConfig(info), 1);
  const std::string generated = Read("srvrctrl.ini");
  ASSERT_EQ(orvane::AddControllerPoolServer(info, "tqei_ece"), 1);
  const std::string once = Read("srvrctrl.ini");
  EXPECT_NE(once.find("CONTROL_POOL_CONFIG C:\\mall\\html\\tessaly,C:\\mall\\html\\tqei_ece\r\n"),
            std::string::npos);
  EXPECT_EQ(once.size(), generated.size() + std::string(",C:\\mall\\html\\tqei_ece").size());
  EXPECT_EQ(Read("srvrctrl.old.ini"), generated);

  ASSERT_EQ(orvane::AddControllerPoolServer(info, "tqei_ece"), 1);
  EXPECT_EQ(Read("srvrctrl.ini"), once);

  // A word is compared whole: a longer name holding it is another server.
  machine.WriteFile("C:\\mall\\html\\srvrctrl.ini",
                    "CONTROL_POOL_CONFIG C:\\mall\\html\\tqei_ece2\r\nCONTROL_POOL_CONFIGX y\r\n");
  ASSERT_EQ(orvane::AddControllerPoolServer(info, "tqei_ece"), 1);
  EXPECT_EQ(Read("srvrctrl.ini"),
            "CONTROL_POOL_CONFIG C:\\mall\\html\\tqei_ece2,C:\\mall\\html\\tqei_ece\r\n"
            "CONTROL_POOL_CONFIGX y\r\n");

  EXPECT_EQ(orvane::AddControllerPoolServer(info, "x\r\nEXEC evil"), 0);
  EXPECT_EQ(Read("srvrctrl.ini").find("evil"), std::string::npos);
}

}  // namespace
