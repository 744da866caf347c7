// The command line's commands, output forms and errors.
#include "tools/velqsim/CommandLine.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "tools/velqsim/VelqMessages.h"
#include "tools/velqsim/VelqTestMachine.h"

namespace velqsim {
namespace {

class CommandLineTest : public VelqMachineTest {
 protected:
  // Runs a command on a fresh processor (as one "velq" process would).
  std::string Velq(const std::string& command, int expectedCode = 0) {
    return Run(m_commandLine, command, expectedCode);
  }
  std::string Run(CommandLine& commandLine, const std::string& command, int expectedCode = 0) {
    EXPECT_EQ(commandLine.Run(command, m_out.stream()), expectedCode) << command;
    return m_out.Take();
  }

  Capture m_out;
  CommandLine m_commandLine;
};

TEST(VelqMessageTest, BreaksTheTextAtBlanksWithinTheLineWidth) {
  const std::string text = VelqMessage("SQL1013N", std::string(70, 'a') + " " + "bbb ccc");
  EXPECT_EQ(text, "SQL1013N  " + std::string(70, 'a') + "\nbbb ccc\n");
  EXPECT_EQ(VelqMessage("VELQ1E", "short"), "VELQ1E  short\n");
}

TEST_F(CommandLineTest, QueriesPrintTheTableForm) {
  Velq("create database shop");
  CommandLine session;
  Run(session, "connect to SHOP");
  Run(session, "create table item (refnum integer, name varchar(20), price real)");
  Run(session, "insert into item values (1, 'pen', 2.5), (12, NULL, 10)");
  EXPECT_EQ(Run(session, "\"select refnum, name, price from item order by refnum\""),
            "\nREFNUM NAME PRICE\n------ ---- -----\n     1 pen    2.5\n    12 -     10.0\n"
            "\n  2 record(s) selected.\n\n");
  EXPECT_EQ(Run(session, "select refnum from item where refnum > 99"),
            "\nREFNUM\n------\n\n  0 record(s) selected.\n\n");
  EXPECT_TRUE(Contains(Run(session, "select * from missing", 4),
                       "SQL0204N  \"MISSING\" is an undefined name."));
  EXPECT_TRUE(Contains(Run(session, "selec 1", 4), "SQL0104N"));
  // The connection belongs to its processor only.
  EXPECT_TRUE(Contains(Velq("select 1", 4), "SQL1024N"));
}

TEST_F(CommandLineTest, DirectoryCommandsKeepTheirEntries) {
  EXPECT_TRUE(Contains(Velq("list database directory"), "SQL1057W"));
  EXPECT_TRUE(Contains(Velq("create db Shop1"), "VELQ20000I  The CREATE DATABASE command"));
  EXPECT_TRUE(Contains(Velq("create database SHOP1", 4), "SQL1005N"));
  EXPECT_TRUE(Contains(Velq("create database 1shop", 4), "SQL1001N"));
  EXPECT_TRUE(Contains(Velq("create database toolongname", 4), "SQL1001N"));
  EXPECT_TRUE(Contains(Velq("catalog database REMOTE at node NOWHERE", 4), "SQL1097N"));
  Velq("catalog tcpip node dbnode remote dbhost server dbsvc");
  EXPECT_TRUE(Contains(Velq("catalog tcpip node DBNODE remote x server y", 4), "SQL1018N"));
  Velq("catalog database remote as remote2 at node dbnode");
  const std::string listing = Velq("list database directory");
  EXPECT_TRUE(Contains(listing, " Number of entries in the directory = 2\n"));
  EXPECT_TRUE(Contains(listing, " Database alias                       = SHOP1\n"));
  EXPECT_TRUE(Contains(listing,
                       " Database alias                       = REMOTE2\n"
                       " Database name                        = REMOTE\n"
                       " Node name                            = DBNODE\n"));
  EXPECT_TRUE(Contains(Velq("list node directory"), " Hostname                       = dbhost\n"));
  EXPECT_TRUE(Contains(Velq("connect to remote2", 4), "SQL30081N"));
  Velq("uncatalog database remote2");
  Velq("uncatalog node dbnode");
  EXPECT_TRUE(Contains(Velq("uncatalog node dbnode", 4), "SQL1097N"));
  Velq("drop database shop1");
  EXPECT_TRUE(Contains(Velq("list database directory"), "SQL1057W"));
  EXPECT_FALSE(machine.FileExists("C:\\VELQ\\DATA\\SHOP1.db"));
  EXPECT_TRUE(Contains(Velq("drop database shop1", 4), "SQL1013N"));
  // A keyword alone read past the command's words.
  EXPECT_TRUE(Contains(Velq("catalog", 4), "token \"END-OF-STATEMENT\" was found following"));
  EXPECT_TRUE(Contains(Velq("catalog x", 4), "token \"x\" was found following \"catalog\""));
}

TEST_F(CommandLineTest, KnobsFailCreationAndStatements) {
  SetKnob("CreateFails", "dword:00000001");
  EXPECT_TRUE(Contains(
      CommandLine().Run("create database shop", m_out.stream()) == 4 ? m_out.Take() : std::string(),
      "VELQ1031E"));
  EXPECT_FALSE(machine.FileExists("C:\\VELQ\\DATA\\SHOP.db"));
  SetKnob("CreateFails", "dword:00000000");
  SetKnob("SqlFails", "\"Hosted\"");
  CommandLine session;
  Run(session, "create database shop");
  Run(session, "connect to shop");
  Run(session, "create table plain (a integer)");
  EXPECT_TRUE(
      Contains(Run(session, "create table hostedstore (a integer)", 4), "SQL0204N  \"HOSTED\""));
}

TEST_F(CommandLineTest, StatementFilesWithTerminatorsCommentsEchoAndLog) {
  Velq("create database shop");
  machine.WriteFile("C:\\s.sql",
                    "connect to shop;\r\n"
                    "-- a comment; with a terminator\r\n"
                    "create table t (a varchar(9));\r\n"
                    "insert into t values ('x;--y');\r\n"
                    "select a from t;\r\n");
  const std::string output = Velq("-tvf C:\\s.sql -z C:\\s.log");
  EXPECT_TRUE(Contains(output, "insert into t values ('x;--y')\nVELQ20000I"));
  EXPECT_TRUE(Contains(output, "\nA    \n-----\nx;--y\n"));
  EXPECT_EQ(machine.ReadFile("C:\\s.log").size(),
            output.size() + std::count(output.begin(), output.end(), '\n'))
      << "the log holds the same text with CR LF line ends";

  machine.WriteFile("C:\\f.sql", "connect to shop;\r\nselect * from nothing;\r\nselect 1;\r\n");
  EXPECT_FALSE(Contains(Velq("-stf C:\\f.sql", 4), "record(s) selected"));
  EXPECT_TRUE(Contains(Velq("-tf C:\\f.sql", 4), "1 record(s) selected"));
  EXPECT_TRUE(Contains(Velq("-f C:\\none.sql", 4), "VELQ10009E"));
}

TEST_F(CommandLineTest, TwoProcessesCataloguingAtOnceKeepEveryEntry) {
  Velq("list database directory");  // makes the data directory
  std::vector<pid_t> children;
  for (int process = 0; process < 2; ++process) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      CommandLine commandLine;
      FILE* discard = std::fopen("/dev/null", "w");
      int failures = 0;
      for (int i = 0; i < 15; ++i) {
        const std::string name =
            std::string(1, static_cast<char>('A' + process)) + std::to_string(i);
        failures += commandLine.Run("catalog database " + name + " as " + name, discard) != 0;
      }
      _exit(failures);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_TRUE(Contains(Velq("list database directory"), "Number of entries in the directory = 30"));
}

}  // namespace
}  // namespace velqsim
