// Every path of preparing one instance's database, run for real through the
// Velq stand-in on a temporary machine.
#include "orvane/database/DatabaseSetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>

#include "orvane/core/MSList.h"
#include "orvane/database/DatabaseQueries.h"
#include "orvane/database/DatabaseTestMachine.h"
#include "orvane/os/Odbc.h"
#include "orvane/testing/QuickPolls.h"

namespace orvane::test {
namespace {

const std::string kServicesFile = orvane::test::TempMachine::ServicesFile();
constexpr char kDataSourceKey[] = "SOFTWARE\\ODBC\\ODBC.INI\\SHOPDB";
// The machine-wide lock of the database set-up, in the admin folder.
constexpr char kLockFile[] = "dbsetup.lock";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class DatabaseSetupTest : public DatabaseMachineTest {
 protected:
  void SetUp() override {
    DatabaseMachineTest::SetUp();
    InstallVelq();
  }

  // The SQLite file of a database, as sqlite3 would open it.
  std::string DatabaseBytes(const std::string& name) const {
    return machine.ReadFile("C:\\VELQ\\DATA\\" + name + ".db");
  }
};

// Neither of these two reaches the Velq command environment.
TEST_F(DatabaseMachineTest, OracleIsOnlyAnnouncedAndArmsTheService) {
  info.SetDBType(static_cast<eDBType>(1));
  EXPECT_EQ(DBCreateSingle(info), 1);
  EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Status(37, "shopdb")}));
  EXPECT_EQ(ServiceStartType(), 2u);
  EXPECT_FALSE(machine.FileExists("C:\\VELQ\\DATA\\SHOPDB.db"));
}

TEST_F(DatabaseMachineTest, WithoutTheInstallationNothingHappens) {
  machine.WriteRegistry("[-HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server]\r\n");
  EXPECT_EQ(DBCreateSingle(info), 0);
  EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Error(5)}));
  EXPECT_EQ(ServiceStartType(), 3u);
}

TEST_F(DatabaseSetupTest, AnExistingDatabaseIsRegisteredAndItsDataSourceReplaced) {
  Velq("create database SHOPDB");
  ASSERT_TRUE(os::ConfigureDataSource(os::DataSourceRequest::kAddSystem, "VXR VELQ ODBC DRIVER",
                                      std::string("DSN=SHOPDB\0Stale=1\0", 20).c_str()));
  EXPECT_EQ(DBCreateSingle(info), 1);
  EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Status(35, "shopdb")}));
  EXPECT_EQ(RegistryString(kDataSourceKey, "Description"), "VXR Tessaly3");
  EXPECT_EQ(RegistryString(kDataSourceKey, "Stale"), "<no value>");
  EXPECT_EQ(RegistryString("SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources", "SHOPDB"),
            "VXR VELQ ODBC DRIVER");
  EXPECT_EQ(ServiceStartType(), 2u);
  // Nothing of the run is left behind.
  EXPECT_EQ(FilesIn(kLogs), std::vector<std::string>{});
}

TEST_F(DatabaseSetupTest, LocalCreationBuildsTheSchemaAndRegistersTheDataSource) {
  EXPECT_EQ(DBCreateSingle(info), 1);
  EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Status(11, "shopdb"),
                                                       Status(20, kLogs)}));
  const std::string database = DatabaseBytes("SHOPDB");
  EXPECT_EQ(database.compare(0, 16, std::string("SQLite format 3\0", 16)), 0);
  for (const char* table : {"ofs", "shopadm", "merchant", "product", "orders"}) {
    // SQLite keeps each table's statement, its first words in upper case.
    EXPECT_TRUE(Contains(database, std::string("CREATE TABLE ") + table)) << table;
  }
  EXPECT_EQ(RegistryString(kDataSourceKey, "Description"), "VXR Tessaly3");
  EXPECT_EQ(ServiceStartType(), 2u);
  // Only the schema log stays; the wrapper in the schema directory goes too.
  EXPECT_EQ(FilesIn(kLogs), std::vector<std::string>{"shopdb.log"});
  EXPECT_FALSE(machine.FileExists(std::string(kSchemaDir) + "\\dbmaster.cmd"));
  // The administrator's initial password is stored enciphered, never clear.
  EXPECT_FALSE(Contains(database, "qmbtraz"));
  EXPECT_TRUE(Contains(database, "ncadmin"));
}

TEST_F(DatabaseSetupTest, StagingIsPassedToTheSchemaScript) {
  info.SetMSOption(0x01, 0x01);
  EXPECT_EQ(DBCreateSingle(info), 1);
  const std::string rows = VelqQuery("SHOPDB", "select logonid, staging from shopadm");
  EXPECT_TRUE(Contains(rows, "ncadmin S")) << rows;
}

TEST_F(DatabaseSetupTest, AVelqErrorInTheSchemaLogIsOneReportOverItsLines) {
  SetKnob("CreateFails", "dword:00000001");
  EXPECT_EQ(DBCreateSingle(info), 0);
  const std::vector<std::string>& lines = ReportedLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], Status(11, "shopdb"));
  // The error is wrapped over several lines in the log and joined with blanks.
  EXPECT_EQ(lines[2].compare(0, 12, "S:VELQ1031E "), 0) << lines[2];
  EXPECT_TRUE(Contains(lines[2], "indicated file system, and the database"));
  EXPECT_FALSE(Contains(lines[2], "\n"));
  EXPECT_GE(std::count(lines[2].begin(), lines[2].end(), ' '), 20);
  EXPECT_EQ(lines[3], Error(14, "shopdb"));
  EXPECT_EQ(ServiceStartType(), 3u);
}

TEST_F(DatabaseSetupTest, ANonexistentLogDirectoryIsReported) {
  info.SetRootPath("C:\\elsewhere");
  EXPECT_EQ(DBCreateSingle(info), 0);
  // The existence check cannot write its command file there either.
  EXPECT_EQ(ReportedLines(),
            (std::vector<std::string>{Status(38, "shop"), Status(11, "shopdb"),
                                      Error(24, "C:\\elsewhere\\logs"), Error(14, "shopdb")}));
}

// A question that the command environment never answered is no answer.
TEST_F(DatabaseSetupTest, WithoutTheCommandEnvironmentTheDatabaseIsNotTakenForExisting) {
  ASSERT_TRUE(std::filesystem::remove(machine.HostPath(VelqProgram("velqcmd"))));
  EXPECT_EQ(DBCreateSingle(info), 0);
  EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Error(32, "shopdb")}));
  EXPECT_EQ(RegistryString(kDataSourceKey, "Description"), "<no key>");
  EXPECT_EQ(ServiceStartType(), 3u);
}

TEST_F(DatabaseSetupTest, AStaleSchemaLogDoesNotJudgeTheRun) {
  // A schema script that makes the database but writes no log of its own.
  machine.WriteFile(std::string(kSchemaDir) + "\\schema.cmd", "@velq create database %1\r\n");
  machine.WriteFile(std::string(kLogs) + "\\shopdb.log", "an earlier, clean run\r\n");
  EXPECT_EQ(DBCreateSingle(info), 0);
  EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Status(11, "shopdb"),
                                                       Error(14, "shopdb")}));
  EXPECT_FALSE(machine.FileExists(std::string(kLogs) + "\\shopdb.log"));
  EXPECT_EQ(RegistryString(kDataSourceKey, "Description"), "<no key>");
}

// A parameter's text as a test name: letters and digits, "_" for the rest.
std::string TestName(std::string text) {
  for (char& c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return text;
}

struct RemoteCase {
  const char* service;
  const char* servicesFile;
  const char* expected;
};

void PrintTo(const RemoteCase& c, std::ostream* out) { *out << c.service; }

class RemoteCatalogTest : public DatabaseSetupTest,
                          public ::testing::WithParamInterface<RemoteCase> {};

TEST_P(RemoteCatalogTest, CataloguesTheNodeAndDatabaseAndWritesTheServiceEntry) {
  const RemoteCase& c = GetParam();
  machine.WriteFile(kServicesFile, c.servicesFile);
  info.SetMSOption(0x04, 0x04);
  info.SetDBHost("dbhost");
  info.SetDBSvc(c.service);
  info.SetDBPort(50001);
  EXPECT_EQ(DBCreateSingle(info), 1);
  EXPECT_EQ(ReportedLines(),
            (std::vector<std::string>{Status(38, "shop"), Status(36, "shopdb", "dbhost")}));
  EXPECT_EQ(machine.ReadFile(kServicesFile), c.expected);
  EXPECT_EQ(machine.ReadFile(std::string(kServicesFile) + ".old"), c.servicesFile);
  const std::string nodes = machine.ReadFile("C:\\VELQ\\DATA\\nodes.dir");
  EXPECT_EQ(nodes, std::string("SHOPDB\tdbhost\t") + c.service + "\r\n");
  EXPECT_EQ(machine.ReadFile("C:\\VELQ\\DATA\\databases.dir"), "SHOPDB\tSHOPDB\tSHOPDB\r\n");
  EXPECT_EQ(RegistryString(kDataSourceKey, "Description"), "VXR Tessaly3");
  EXPECT_EQ(ServiceStartType(), 2u);
  EXPECT_EQ(FilesIn(kLogs), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Entries, RemoteCatalogTest,
    ::testing::Values(
        // Seven characters: two tabs; the old entry is replaced in place.
        RemoteCase{"velqsvc", "ftp\t\t21/tcp\r\nvelqsvc\t50000/tcp\r\nhttp\t\t80/tcp\r\n",
                   "ftp\t\t21/tcp\r\nvelqsvc\t\t50001/tcp\t\t\t#Tessaly remote VELQ database\r\n"
                   "http\t\t80/tcp\r\n"},
        // Eight characters: one tab; no entry yet, so it is appended.
        RemoteCase{"velqsvc8", "ftp\t\t21/tcp\r\n# velqsvc8 is ours\r\n",
                   "ftp\t\t21/tcp\r\n# velqsvc8 is ours\r\n"
                   "velqsvc8\t50001/tcp\t\t\t#Tessaly remote VELQ database\r\n"}),
    [](const ::testing::TestParamInfo<RemoteCase>& param) { return TestName(param.param.service); });

TEST_F(DatabaseSetupTest, RemoteCatalogingWithoutAServiceNameFails) {
  machine.WriteFile(kServicesFile, "ftp\t\t21/tcp\r\n");
  info.SetMSOption(0x04, 0x04);
  info.SetDBHost("dbhost");
  EXPECT_EQ(DBCreateSingle(info), 0);
  EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Error(30)}));
  EXPECT_EQ(machine.ReadFile(kServicesFile), "ftp\t\t21/tcp\r\n");
}

// Paths go into the command files in double quotes, where parentheses and &
// are text. (Blanks are text there too, but the stand-in's command
// environment cannot yet start a command file whose own path has one.)
TEST_F(DatabaseSetupTest, PathsMayHoldParenthesesAndAmpersands) {
  const std::string root = "C:\\Shops(1)&co";
  MakeDirectory(root + "\\logs");
  ASSERT_EQ(info.SetRootPath(root.c_str()), 1);
  info.SetMSOption(0x80, 0x80);
  EXPECT_EQ(DBCreateSingle(info), 1);
  EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Status(11, "shopdb"),
                                                       Status(20, (root + "\\logs").c_str())}));
  EXPECT_EQ(FilesIn(root + "\\logs"),
            (std::vector<std::string>{"jqdata.log", "searchext.log", "shopdb.log"}));
  EXPECT_EQ(ProbeHostingData(info), VelqAnswer::kYes);
}

// A record stored before its rules knew what a command file can hold keeps
// such values (the loader stores fields as read): they are checked again
// before a command file is written, the step reports, and nothing runs.
struct StoredValueCase {
  const char* label;
  void (*store)(MSInfo& info);
  std::vector<std::string> (*reported)();
  std::vector<std::string> logsLeft;
};

void PrintTo(const StoredValueCase& c, std::ostream* out) { *out << c.label; }

class StoredValueTest : public DatabaseSetupTest,
                        public ::testing::WithParamInterface<StoredValueCase> {};

TEST_P(StoredValueTest, RunsNoCommandFile) {
  const std::string httpd = "C:\\WINNT\\httpd.cnf";
  const std::string routes = "Pass /shop1/* C:\\WWW\\html\\shop1\\*\r\nExec /cgi-bin/*\r\n";
  machine.WriteFile(httpd, routes);
  machine.WriteFile(kServicesFile, "ftp\t\t21/tcp\r\n");
  MakeDirectory("C:\\sh%op\\logs");
  const std::vector<std::string> drive = FilesIn("C:\\");
  GetParam().store(info);
  EXPECT_EQ(DBCreateSingle(info), 0);
  EXPECT_EQ(ReportedLines(), GetParam().reported());
  EXPECT_EQ(machine.ReadFile(httpd), routes);
  EXPECT_EQ(machine.ReadFile(kServicesFile), "ftp\t\t21/tcp\r\n");
  EXPECT_EQ(FilesIn("C:\\"), drive);
  EXPECT_FALSE(machine.FileExists("C:\\VELQ\\DATA\\nodes.dir"));
  EXPECT_EQ(FilesIn(kLogs), GetParam().logsLeft);
  EXPECT_EQ(FilesIn(kAdminDir), std::vector<std::string>{"dbsetup.lock"});
  EXPECT_EQ(ServiceStartType(), 3u);
}

void Remote(MSInfo& info, const char* host, const char* service) {
  info.SetMSOption(0x04, 0x04);
  info.m_DBHost = host;
  info.m_DBSvc = service;
  info.SetDBPort(50001);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredValueTest,
    ::testing::Values(
        StoredValueCase{"host",
                        [](MSInfo& info) {
                          Remote(info, "dbhost>C:\\WINNT\\httpd.cnf", "velqsvc");
                        },
                        [] { return std::vector<std::string>{Status(38, "shop"), Error(30)}; },
                        {}},
        StoredValueCase{"service",
                        [](MSInfo& info) { Remote(info, "dbhost", "velqsvc>C:\\z"); },
                        [] { return std::vector<std::string>{Status(38, "shop"), Error(30)}; },
                        {}},
        StoredValueCase{"database",
                        [](MSInfo& info) { info.m_DBName = "x>C:\\z"; },
                        [] {
                          return std::vector<std::string>{Status(38, "shop"),
                                                          Status(11, "x>C:\\z"), Error(13),
                                                          Error(14, "x>C:\\z")};
                        },
                        {}},
        StoredValueCase{"root",
                        [](MSInfo& info) { info.m_RootPath = "C:\\sh%op"; },
                        [] {
                          return std::vector<std::string>{Status(38, "shop"),
                                                          Status(11, "shopdb"), Error(13),
                                                          Error(14, "shopdb")};
                        },
                        {}},
        // The database is made; the hosting data's command file would call
        // a second program.
        StoredValueCase{"owner",
                        [](MSInfo& info) {
                          info.SetMSOption(0x80, 0x80);
                          info.m_DBOwner = "u&calc";
                        },
                        [] {
                          return std::vector<std::string>{Status(38, "shop"),
                                                          Status(11, "shopdb"),
                                                          Status(20, "C:\\shop\\logs"),
                                                          Error(99, "shopdb")};
                        },
                        {"shopdb.log"}}),
    [](const ::testing::TestParamInfo<StoredValueCase>& param) {
      return std::string(param.param.label);
    });

class HostingDataTest : public DatabaseSetupTest {
 protected:
  void SetUp() override {
    DatabaseSetupTest::SetUp();
    if (IsSkipped()) return;
    info.SetMSOption(0x80, 0x80);
  }
  std::string Log(const char* name) const {
    return machine.ReadFile(std::string(kLogs) + "\\" + name);
  }
};

TEST_F(HostingDataTest, AddsTheDataAndTheTextSearchOnce) {
  machine.WriteFile(std::string(kLogs) + "\\jqdata.log", "an earlier run\r\n");
  EXPECT_EQ(DBCreateSingle(info), 1);
  EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Status(11, "shopdb"),
                                                       Status(20, kLogs)}));
  EXPECT_TRUE(Contains(Log("jqdata.log"), "insert into ofs values (100, 'tq3_shipRule'"));
  EXPECT_TRUE(Contains(Log("searchext.log"), "create table prodtext"));
  EXPECT_EQ(Log("jqdata.old.log"), "an earlier run\r\n");
  EXPECT_EQ(ProbeHostingData(info), VelqAnswer::kYes);
  EXPECT_FALSE(machine.FileExists(std::string(kAdminDir) + "\\velqconfig.bat"));
  EXPECT_EQ(FilesIn(kAdminDir), std::vector<std::string>{kLockFile});

  // The data is there now: a second preparation leaves the logs alone.
  ReportedLines().clear();
  EXPECT_EQ(DBCreateSingle(info), 1);
  EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Status(35, "shopdb")}));
  EXPECT_EQ(Log("jqdata.old.log"), "an earlier run\r\n");
}

TEST_F(HostingDataTest, TheMigrationFlagRunsTheMigrationScriptOnceInstead) {
  // A database of the earlier level: the schema without the hosting data.
  info.SetMSOption(0x80, 0);
  ASSERT_EQ(DBCreateSingle(info), 1);
  info.SetMSOption(0x80, 0x80);
  const std::string flag = std::string(kSchemaDir) + "\\migrate\\migrate.txt";
  machine.WriteFile(flag, "");
  EXPECT_EQ(DBCreateSingle(info), 1);
  EXPECT_FALSE(machine.FileExists(flag));
  EXPECT_TRUE(Contains(Log("jqdata.log"), "create table if not exists hostplan"));
  EXPECT_FALSE(machine.FileExists(std::string(kLogs) + "\\searchext.log"));
  EXPECT_EQ(ProbeHostingData(info), VelqAnswer::kYes);
}

TEST_F(HostingDataTest, AnSqlErrorIsReportedWithMessage99) {
  SetKnob("SqlFails", "\"hostedstore\"");
  EXPECT_EQ(DBCreateSingle(info), 0);
  const std::vector<std::string>& lines = ReportedLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], Status(99, "shopdb"));
  EXPECT_EQ(lines[4].compare(0, 11, "S:SQL0204N "), 0) << lines[4];
  EXPECT_EQ(ServiceStartType(), 3u);
}

TEST_F(HostingDataTest, OnARemoteDatabaseNoDataIsLoaded) {
  machine.WriteFile(kServicesFile, "");
  info.SetMSOption(0x04, 0x04);
  info.SetDBHost("dbhost");
  info.SetDBSvc("velqsvc");
  info.SetDBPort(50001);
  EXPECT_EQ(DBCreateSingle(info), 1);
  EXPECT_FALSE(machine.FileExists(std::string(kLogs) + "\\jqdata.log"));
}

TEST_F(DatabaseMachineTest, WithoutTheTextExtendersTheHostingRunIsRefused) {
  InstallVelq("--no-extenders");
  if (IsSkipped()) return;
  info.SetMSOption(0x80, 0x80);
  // The database is made, but without its hosting data it is not ready.
  EXPECT_EQ(DBCreateSingle(info), 0);
  EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Status(11, "shopdb"),
                                                       Status(20, kLogs), Status(101)}));
  EXPECT_EQ(ServiceStartType(), 3u);
  // No command file with the clear password was made, the data was not loaded.
  EXPECT_EQ(FilesIn(kAdminDir), std::vector<std::string>{kLockFile});
  EXPECT_FALSE(machine.FileExists(std::string(kLogs) + "\\jqdata.log"));
}

TEST_F(DatabaseSetupTest, TheExistenceCheckReadsOnlyAliasLinesIgnoringCase) {
  Velq("catalog database SHOPDB as OTHERDB");
  EXPECT_EQ(IsExistDBVXR(info), 0) << "SHOPDB appears only as a database name";
  Velq("catalog database ANY as SHOPDB");
  EXPECT_EQ(IsExistDBVXR(info), 1) << "the alias SHOPDB matches shopdb";
  EXPECT_EQ(ReportedLines(), std::vector<std::string>{});
}

// A script that never makes its marker costs the whole wait and is reported.
struct HangCase {
  const char* script;
  int option;
  int result;
  std::vector<std::string> (*expected)();
  std::vector<std::string> adminFiles;
};

void PrintTo(const HangCase& c, std::ostream* out) { *out << c.script; }

class HungScriptTest : public DatabaseSetupTest, public ::testing::WithParamInterface<HangCase> {};

TEST_P(HungScriptTest, IsReportedAfterSixHundredSeconds) {
  const QuickPolls quickPolls;
  const HangCase& c = GetParam();
  if (c.option == 0x80) Velq("create database SHOPDB");
  SetKnob("HangScript", std::string("\"") + c.script + "\"");
  info.SetMSOption(c.option, c.option);
  const unsigned long before = ClockSeconds();
  EXPECT_EQ(DBCreateSingle(info), c.result);
  EXPECT_GE(ClockSeconds() - before, 600u);
  EXPECT_EQ(ReportedLines(), c.expected());
  EXPECT_EQ(FilesIn(kAdminDir), c.adminFiles);
  EXPECT_FALSE(machine.FileExists(std::string(kLogs) + "\\~shopdb.tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, HungScriptTest,
    ::testing::Values(
        // The schema run did not complete: its database stays marked so.
        HangCase{"schema.cmd", 0, 0,
                 [] {
                   return std::vector<std::string>{Status(38, "shop"), Status(11, "shopdb"),
                                                   Error(14, "shopdb")};
                 },
                 {"SHOPDB.incomplete", kLockFile}},
        // The existence query gave no answer: nothing is known of the database.
        HangCase{"shopdb.cmd", 0, 0,
                 [] { return std::vector<std::string>{Status(38, "shop"), Error(32, "shopdb")}; },
                 {kLockFile}},
        HangCase{"jqdata.cmd", 0x80, 0,
                 [] {
                   return std::vector<std::string>{Status(38, "shop"), Status(35, "shopdb"),
                                                   Error(99, "shopdb")};
                 },
                 {kLockFile}}),
    [](const ::testing::TestParamInfo<HangCase>& param) { return TestName(param.param.script); });

TEST_F(DatabaseSetupTest, EveryInstanceOfTheListIsPrepared) {
  MSList list;
  EXPECT_EQ(DBCreateDatabase(list), 0);
  EXPECT_EQ(ReportedLines(), std::vector<std::string>{Error(9)});

  Velq("create database SHOPDB");
  MSInfo oracle(info);
  oracle.SetName("ora");
  oracle.SetDBName("oradb");
  oracle.SetDBType(static_cast<eDBType>(1));
  list.Add(info, 0);
  list.Add(oracle, 0);
  ReportedLines().clear();
  EXPECT_EQ(DBCreateDatabase(list), 1);
  EXPECT_EQ(ReportedLines(),
            (std::vector<std::string>{Status(38, "shop"), Status(35, "shopdb"), Status(39),
                                      Status(38, "ora"), Status(37, "oradb"), Status(39)}));

  ReportedLines().clear();
  EXPECT_EQ(KelCreateDatabase("C:\\missing\\tqconfig.dat"), 0);
  EXPECT_EQ(ReportedLines(), std::vector<std::string>{Error(8)});
}

}  // namespace
}  // namespace orvane::test
