#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "orvane/config/DirectiveLine.h"
#include "orvane/core/MSInfo.h"
#include "orvane/os/Files.h"
#include "orvane/testing/SampleRecord.h"
#include "orvane/testing/TempMachine.h"

namespace {

using orvane::test::MallRecord;
using Writer = std::function<void(MSInfo&, FILE*)>;

class DirectivesTest : public orvane::test::MachineTest {
 protected:
  // The bytes one writer puts into a text-mode file.
  std::string Written(MSInfo& info, const Writer& write) {
    FILE* file = orvane::os::OpenFile("C:\\out.ini", "w");
    EXPECT_NE(file, nullptr);
    if (file == nullptr) return "";
    write(info, file);
    std::fclose(file);
    return machine.ReadFile("C:\\out.ini");
  }

};

struct Case {
  const char* name;
  Writer write;
  const char* expected;
};

// The writers that no instance file uses (the files' own tests cover the
// others, line by line).
TEST_F(DirectivesTest, WritersOutsideTheInstanceFiles) {
  const std::vector<Case> cases = {
      {"jdbc port follows the payment ports", [](MSInfo& i, FILE* f) { i.WriteCAPort(f); },
       "KEL_JDBC_PORT 5010\r\n"},
      {"jdbc protocol default", [](MSInfo& i, FILE* f) { i.WriteCAJProtocol(f, "proto"); },
       "KEL_JDBC_PROTOCOL proto\r\n"},
      {"jdbc protocol preserved",
       [](MSInfo& i, FILE* f) {
         i.m_JdbcProtocol = "own";
         i.WriteCAJProtocol(f, "proto");
       },
       "KEL_JDBC_PROTOCOL own\r\n"},
      {"password files",
       [](MSInfo& i, FILE* f) {
         i.WritePswdAdm(f, "C:\\a.pwd");
         i.WritePswdFile(f, "C:\\p.pwd");
       },
       "MS_HTADMIN C:\\a.pwd\r\nMS_HTPASS C:\\p.pwd\r\n"},
      {"a null text writes as empty", [](MSInfo& i, FILE* f) { i.WriteLogPath(f, nullptr); },
       "MS_LOGPATH \r\n"},
  };
  for (const Case& c : cases) {
    MSInfo info = MallRecord();
    EXPECT_EQ(Written(info, c.write), c.expected) << c.name;
  }
}

TEST_F(DirectivesTest, NegativePaymentTimesAreSettledInTheRecord) {
  MSInfo info = MallRecord();
  info.m_ZKTmout = -1;
  info.m_ZKCycle = -5;
  info.m_ZKIntvl = -1;
  EXPECT_EQ(
      Written(info,
              [](MSInfo& i, FILE* f) {
                i.WriteZKTmout(f);
                i.WriteZKCycle(f);
                i.WriteZKIntvl(f);
              }),
      "PAY_STATE_TIMEOUT 3600\r\nBACKGROUND_CYCLE_TIME 30\r\nBACKGROUND_INTER_JOB_TIME 30\r\n");
  EXPECT_EQ(info.GetZKTmout(), 3600);
  EXPECT_EQ(info.GetZKCycle(), 30);
  EXPECT_EQ(info.GetZKIntvl(), 30);

  info.m_ZKTmout = 120;
  EXPECT_EQ(Written(info, [](MSInfo& i, FILE* f) { i.WriteZKTmout(f); }),
            "PAY_STATE_TIMEOUT 120\r\n");
}

TEST_F(DirectivesTest, TypesAndOptionBitsSpellTheirValues) {
  struct TypeCase {
    eISType web;
    eDBType db;
    int options;
    const char* expected;
  };
  const TypeCase cases[] = {
      {eISNetscape, eDBOracle, 0x01,
       "TQ_WEBSERVER Netscape\r\nKEL_DBMS Oracle\r\n"
       "TQ_ENABLE_STAGING 1\r\nTQ_ENABLE_CACHE 0\r\nCASHET_ENABLE_TRACE 0\r\n"},
      {eISQuenta, eDBVelq, 0x08,
       "TQ_WEBSERVER Quenta\r\nKEL_DBMS VELQ\r\n"
       "TQ_ENABLE_STAGING 0\r\nTQ_ENABLE_CACHE 1\r\nCASHET_ENABLE_TRACE 0\r\n"},
      // A type out of range (as a damaged record may hold) still names the Go server.
      {static_cast<eISType>(7), static_cast<eDBType>(5), 0x10 | 0xE6,
       "TQ_WEBSERVER Go\r\nKEL_DBMS VELQ\r\n"
       "TQ_ENABLE_STAGING 0\r\nTQ_ENABLE_CACHE 0\r\nCASHET_ENABLE_TRACE 1\r\n"},
  };
  for (const TypeCase& c : cases) {
    MSInfo info = MallRecord();
    info.m_ISType = c.web;
    info.m_DBType = c.db;
    info.m_MSOption = c.options;
    EXPECT_EQ(Written(info,
                      [](MSInfo& i, FILE* f) {
                        i.WriteISType(f);
                        i.WriteDBType(f);
                        i.WriteStaging(f);
                        i.WriteTQCache(f);
                        i.WriteZKTrace(f);
                      }),
              c.expected);
  }
}

TEST_F(DirectivesTest, ListsJoinWithoutLeadingSeparators) {
  MSInfo info = MallRecord();
  KelString empty("");
  KelString a("C:\\a");
  KelString b("C:\\b");
  info.m_TEditorPaths.AddTail(empty);
  info.m_TEditorPaths.AddTail(a);
  info.m_TEditorPaths.AddTail(empty);
  info.m_TEditorPaths.AddTail(b);
  info.m_NDMacroPaths.AddTail(a);
  info.m_NDMacroPaths.AddTail(b);
  EXPECT_EQ(Written(info,
                    [](MSInfo& i, FILE* f) {
                      i.WriteTEditorPath(f);
                      i.WriteNDMacroPath(f);
                      i.WriteNDIncPath(f);
                    }),
            "TQ_TEDITOR_PATH C:\\a;;C:\\b\r\nMACRO_PATH C:\\a;C:\\b\r\nINCLUDE_PATH \r\n");
}

TEST_F(DirectivesTest, TableDirectivesPadKeywordAndName) {
  MSInfo info = MallRecord();
  info.SetNDEnv("(DTW_SQL)", "DTWSQL (IN DATABASE)");
  info.SetNDEnv("(A_NAME_OF_16CH)", "v16");
  info.SetNDEnv("(A_NAME_LONGER_THAN_16)", "long");
  // Exactly 16 - 9 = 7 spaces after "(DTW_SQL)"; at least one after a long name.
  EXPECT_EQ(Written(info, [](MSInfo& i, FILE* f) { i.WriteNDEnv(f); }),
            "ENVIRONMENT (DTW_SQL)       DTWSQL (IN DATABASE)\r\n"
            "ENVIRONMENT (A_NAME_OF_16CH) v16\r\n"
            "ENVIRONMENT (A_NAME_LONGER_THAN_16) long\r\n");
  MSInfo none = MallRecord();
  EXPECT_EQ(Written(none, [](MSInfo& i, FILE* f) { i.WriteNDEnv(f); }), "");
}

TEST_F(DirectivesTest, MacroFileFixedAndFurtherLines) {
  MSInfo info = MallRecord();
  for (const char* line : {"", "", "DEFINE x", "", "REPORT y"}) info.m_NDMisc.AddTail(line);
  EXPECT_EQ(Written(info,
                    [](MSInfo& i, FILE* f) {
                      i.WriteNDDummy(f);
                      i.WriteNDMisc(f);
                    }),
            "BIND_FILE dummy.bnd\r\nEXEC_PATH\r\nVELQINSTANCE\r\nVELQPATH\r\n"
            "DEFINE x\r\n\r\nREPORT y\r\n");
  MSInfo fresh = MallRecord();
  EXPECT_EQ(Written(fresh, [](MSInfo& i, FILE* f) { i.WriteNDMisc(f); }), "\r\n");
}

TEST_F(DirectivesTest, ALineEndInAValueWritesNothingAndIsNoticed) {
  const std::vector<Case> cases = {
      {"text",
       [](MSInfo& i, FILE* f) {
         i.m_DBName = "db\nDBPASS x";
         i.WriteDBName(f);
       },
       ""},
      {"carriage return", [](MSInfo& i, FILE* f) { i.WriteLogPath(f, "C:\\logs\rX"); }, ""},
      {"table name",
       [](MSInfo& i, FILE* f) {
         i.SetNDEnv("(A)\n", "v");
         i.SetNDEnv("(B)", "w");
         i.WriteNDEnv(f);
       },
       "ENVIRONMENT (B)             w\r\n"},
      {"list item",
       [](MSInfo& i, FILE* f) {
         i.InsertNDIncPath("C:\\a\r\nEXEC x");
         i.WriteNDIncPath(f);
       },
       ""},
      {"further line",
       [](MSInfo& i, FILE* f) {
         i.m_NDMisc.AddTail("A\nB");
         i.m_NDMisc.AddTail("C");
         i.WriteNDMisc(f);
       },
       "C\r\n"},
  };
  for (const Case& c : cases) {
    MSInfo info = MallRecord();
    const orvane::LineWatch watch;
    EXPECT_EQ(Written(info, c.write), c.expected) << c.name;
    EXPECT_TRUE(watch.Refused()) << c.name;
  }
  MSInfo info = MallRecord();
  const orvane::LineWatch watch;
  Written(info, [](MSInfo& i, FILE* f) { i.WriteDBName(f); });
  EXPECT_FALSE(watch.Refused());
}

}  // namespace
