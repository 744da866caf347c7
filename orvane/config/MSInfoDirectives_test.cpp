#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "orvane/config/DirectiveLine.h"
#include "orvane/core/MSInfo.h"
#include "orvane/os/Files.h"
#include "orvane/testing/TempMachine.h"

namespace {

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

  // A record for the instance mall on port 5000 with 2 processes.
  static MSInfo Mall() {
    MSInfo info;
    info.m_Name = "mall";
    info.m_ISHost = "shop.example";
    info.m_DBName = "malldb";
    info.m_DBUser = "dbuser";
    info.m_DBOwner = "owner";
    info.m_DBPswd = "CIPHERDB";
    info.m_CMSPswd = "CIPHERCMS";
    info.m_MerKey = "CIPHERKEY";
    info.m_MacroPath = "C:\\store\\macro";
    info.m_HtmlPath = "C:\\store\\html";
    info.m_CgiPath = "C:\\store\\cgi";
    info.m_MSPort = 5000;
    info.m_MSProc = 2;
    return info;
  }
};

struct Case {
  const char* name;
  Writer write;
  const char* expected;
};

TEST_F(DirectivesTest, EachWriterWritesItsLine) {
  const std::vector<Case> cases = {
      {"prefix", [](MSInfo& i, FILE* f) { i.WriteSvcPfx(f, "tqmall"); },
       "SERVICE_NAME_PREFIX tqmall\r\n"},
      {"exec", [](MSInfo& i, FILE* f) { i.WriteExecPath(f, "C:\\bin\\server.exe"); },
       "EXEC C:\\bin\\server.exe\r\n"},
      {"host", [](MSInfo& i, FILE* f) { i.WriteISHost(f); }, "MS_HOSTNAME shop.example\r\n"},
      {"db",
       [](MSInfo& i, FILE* f) {
         i.WriteDBName(f);
         i.WriteDBUser(f);
         i.WriteDBOwner(f);
       },
       "DBNAME malldb\r\nDBINST dbuser\r\nDBOWNER owner\r\n"},
      {"secrets stay enciphered",
       [](MSInfo& i, FILE* f) {
         i.WriteDBPswd(f);
         i.WriteCMSPswd(f);
         i.WriteMerKey(f);
       },
       "DBPASS CIPHERDB\r\nCMSPASS CIPHERCMS\r\nMERCHANT_KEY CIPHERKEY\r\n"},
      {"processes",
       [](MSInfo& i, FILE* f) {
         i.WriteMSProc(f);
         i.WriteZKProc(f);
         i.WritePBProc(f, 1);
       },
       "PROCESSES 2\r\nPROCESSES 1\r\nPROCESSES 1\r\n"},
      {"paths",
       [](MSInfo& i, FILE* f) {
         i.WriteMacroPath(f);
         i.WriteHtmlPath(f);
         i.WriteCgiPath(f);
       },
       "MACRO_PATH C:\\store\\macro\r\nHTML_PATH C:\\store\\html\r\n"
       "MS_CGIBIN_PATH C:\\store\\cgi\r\n"},
      {"types",
       [](MSInfo& i, FILE* f) {
         i.WriteISType(f);
         i.WriteDBType(f);
       },
       "TQ_WEBSERVER Go\r\nKEL_DBMS VELQ\r\n"},
      {"option bits clear",
       [](MSInfo& i, FILE* f) {
         i.WriteStaging(f);
         i.WriteTQCache(f);
         i.WriteZKTrace(f);
       },
       "TQ_ENABLE_STAGING 0\r\nTQ_ENABLE_CACHE 0\r\nCASHET_ENABLE_TRACE 0\r\n"},
      {"ports follow the block",
       [](MSInfo& i, FILE* f) {
         i.WriteZKAdminPort(f);
         i.WriteZKPayPort(f);
         i.WriteZKErrorPort(f);
         i.WriteZKSetPort(f);
         i.WriteZKInqPort(f);
         i.WriteCAPort(f);
       },
       "CASHET_ADMIN_PORT 5005\r\nCASHET_PAY_PORT 5006\r\nCASHET_ERROR_PORT 5007\r\n"
       "CASHET_SET_PAY_PORT 5008\r\nCASHET_SET_INQUIRY_PORT 5009\r\nKEL_JDBC_PORT 5010\r\n"},
      {"payment controller without the product", [](MSInfo& i, FILE* f) { i.WriteZKCtrl(f); },
       "PAYSYS_CONTROLLER 0\r\n"},
      {"text defaults",
       [](MSInfo& i, FILE* f) {
         i.WriteZKHost(f, "h");
         i.WriteZKExitHost(f, "eh");
         i.WriteZKExitSvcPfx(f, "tqmall");
         i.WriteZKExec(f, "x.cmd");
         i.WriteZKLogPath(f, "L");
         i.WriteZKCertPath(f, "D");
         i.WriteSGPath(f, "W");
         i.WriteTQLang(f, "en_US");
         i.WriteCAJNetDrv(f, "net");
         i.WriteCAJProtocol(f, "proto");
       },
       "CASHET_HOSTNAME h\r\nUSEREXIT_HOSTNAME eh\r\nUSEREXIT_SERVICE_NAME_PREFIX tqmall\r\n"
       "CASHET_EXEC x.cmd\r\nCASHET_LOG_PATH L\r\nCASHET_CERT_PATH D\r\nSG_PATH W\r\n"
       "TQ_LANG en_US\r\nKEL_JDBC_NETDRIVER net\r\nKEL_JDBC_PROTOCOL proto\r\n"},
      {"number defaults",
       [](MSInfo& i, FILE* f) {
         i.WriteLogLevel(f, 2);
         i.WriteTransCnt(f, 250);
         i.WriteHtmlMax(f, 1000000);
         i.WriteDBRetryLimit(f, 15);
         i.WriteDBRetryIntvl(f, 20);
         i.WriteTQDmnCache(f, 1);
         i.WriteTQDmnSynch(f, 1);
         i.WriteTQDmnSleep(f, 15);
         i.WriteBckCycleTime(f, 30);
         i.WriteBckInterJobTime(f, 31);
       },
       "MS_LOGLEVEL 2\r\nMS_TRANS_COUNT 250\r\nMS_HTML_MAX 1000000\r\nDB_RETRY_LIMIT 15\r\n"
       "DB_RETRY_INTERVAL 20\r\nTQ_DMN_CACHE 1\r\nTQ_DMN_SYNCH 1\r\nTQ_DMN_SLP_SEC 15\r\n"
       "BACKGROUND_CYCLE_TIME 30\r\nBACKGROUND_INTER_JOB_TIME 31\r\n"},
      {"given values",
       [](MSInfo& i, FILE* f) {
         i.WriteLogPath(f, "C:\\r\\logs");
         i.WriteUserTrafficLog(f, 1);
         i.WriteCacheFilePath(f, "C:\\r");
         i.WriteCacheEnabled(f, "ON");
         i.WriteMaxCachedFiles(f, 100);
         i.WriteTemplatePath(f, "T");
         i.WriteOutboundPath(f, "O");
         i.WriteMpgPath(f, "M");
         i.WriteMToolBase(f, "B");
         i.WriteMToolAffiliate(f, "JQ");
         i.WriteMerchantSource(f, "S");
         i.WriteMToolErrorLog(f, "E");
         i.WriteMToolNumCon(f, 5);
         i.WriteMToolMaxWait(f, 10);
         i.WriteErrNotification(f, "ON");
         i.WriteOrderNotification(f, "OFF");
         i.WritePDIEncrypt(f, "OFF");
         i.WriteAdminErrMsgTemplate(f, "errmsgadmin.tpl");
         i.WriteJREPath(f, "J");
         i.WriteTQClsPath(f, "a;b");
       },
       "MS_LOGPATH C:\\r\\logs\r\nUSERTRAFFIC_LOG 1\r\nCACHE_FILE_PATH C:\\r\r\n"
       "CACHE_ENABLED ON\r\nMAX_CACHED_FILES 100\r\nTEMPLATE_PATH T\r\nOUTBOUND_PATH O\r\n"
       "MPG_PATH M\r\nMTOOL_BASE B\r\nMTOOL_AFFILIATE JQ\r\nMTOOL_MSOURCE S\r\n"
       "MTOOL_ERROR_LOG E\r\nMTOOL_NUM_CON 5\r\nMTOOL_MAX_WAIT 10\r\nERR_NOTIFICATION ON\r\n"
       "ORDER_NOTIFICATION OFF\r\nPDI_ENCRYPT OFF\r\nADMIN_ERR_MSG_TEMPLATE errmsgadmin.tpl\r\n"
       "TQ_JRE_PATH J\r\nTQ_CLASSPATH a;b\r\n"},
      {"fixed numbers",
       [](MSInfo& i, FILE* f) {
         i.WriteSchedInterJobTime(f);
         i.WriteDefMSGSize(f);
         i.WriteMaxMSGSize(f);
       },
       "SCHEDULER_INTER_JOB_TIME 600\r\nDEFAULT_MSG_SIZE 2000\r\nMAX_MSG_SIZE 1000000\r\n"},
      {"jdbc and password files",
       [](MSInfo& i, FILE* f) {
         i.WriteCAJAppDrv(f, "app");
         i.WriteCAJUrl(f, "jdbc:velq:malldb");
         i.WriteCAJNetUrl(f, "jdbc:velq://h:16560/malldb");
         i.WritePswdAdm(f, "A");
         i.WritePswdFile(f, "P");
       },
       "KEL_JDBC_DRIVER app\r\nKEL_JDBC_URL jdbc:velq:malldb\r\n"
       "KEL_JDBC_NETURL jdbc:velq://h:16560/malldb\r\nMS_HTADMIN A\r\nMS_HTPASS P\r\n"},
      {"queues",
       [](MSInfo& i, FILE* f) {
         char in[] = "IN", out[] = "OUT", err[] = "ERR", mgr[] = "QM", user[] = "bridge";
         i.WriteQVInBound(f, in);
         i.WriteQVOutBound(f, out);
         i.WriteQVError(f, err);
         i.WriteQVManager(f, mgr);
         i.WriteQVBridgeID(f, user);
       },
       "TQ_QV_INBOUND IN\r\nTQ_QV_OUTBOUND OUT\r\nTQ_QV_INERROR ERR\r\nTQ_QV_QMANAGER QM\r\n"
       "TQ_QV_BRIDGE_USERID bridge\r\n"},
      {"a null text writes as empty", [](MSInfo& i, FILE* f) { i.WriteLogPath(f, nullptr); },
       "MS_LOGPATH \r\n"},
  };
  for (const Case& c : cases) {
    MSInfo info = Mall();
    EXPECT_EQ(Written(info, c.write), c.expected) << c.name;
  }
}

TEST_F(DirectivesTest, PreservedValuesWinOverTheDefaults) {
  MSInfo info = Mall();
  info.m_ZKHost = "pay.example";
  info.m_ExitHost = "exit.example";
  info.m_ExitSvcPrefix = "tqother";
  info.m_ZKExec = "C:\\own.cmd";
  info.m_SGPath = "C:\\wiz";
  info.m_Lang = "de_DE";
  info.m_JdbcNetDriver = "own.Driver";
  info.m_LogLevel = 0;  // 0 is set: only a negative number is unset
  info.m_TransCount = 7;
  info.m_PBProc = 3;
  info.m_BckCycleTime = 45;
  EXPECT_EQ(Written(info,
                    [](MSInfo& i, FILE* f) {
                      i.WriteZKHost(f, "d");
                      i.WriteZKExitHost(f, "d");
                      i.WriteZKExitSvcPfx(f, "d");
                      i.WriteZKExec(f, "d");
                      i.WriteSGPath(f, "d");
                      i.WriteTQLang(f, "d");
                      i.WriteCAJNetDrv(f, "d");
                      i.WriteLogLevel(f, 2);
                      i.WriteTransCnt(f, 250);
                      i.WritePBProc(f, 1);
                      i.WriteBckCycleTime(f, 30);
                    }),
            "CASHET_HOSTNAME pay.example\r\nUSEREXIT_HOSTNAME exit.example\r\n"
            "USEREXIT_SERVICE_NAME_PREFIX tqother\r\nCASHET_EXEC C:\\own.cmd\r\n"
            "SG_PATH C:\\wiz\r\nTQ_LANG de_DE\r\nKEL_JDBC_NETDRIVER own.Driver\r\n"
            "MS_LOGLEVEL 0\r\nMS_TRANS_COUNT 7\r\nPROCESSES 3\r\nBACKGROUND_CYCLE_TIME 45\r\n");
}

TEST_F(DirectivesTest, NegativePaymentTimesAreSettledInTheRecord) {
  MSInfo info = Mall();
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
    MSInfo info = Mall();
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

TEST_F(DirectivesTest, PaymentControllerFollowsTheInstalledProduct) {
  machine.WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VXR Payment Server]\r\n");
  MSInfo info = Mall();
  EXPECT_EQ(Written(info, [](MSInfo& i, FILE* f) { i.WriteZKCtrl(f); }), "PAYSYS_CONTROLLER 1\r\n");
}

TEST_F(DirectivesTest, ListsJoinWithoutLeadingSeparators) {
  MSInfo info = Mall();
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
  MSInfo info = Mall();
  info.SetNDEnv("(DTW_SQL)", "DTWSQL (IN DATABASE)");
  info.SetNDEnv("(A_NAME_OF_16CH)", "v16");
  info.SetNDEnv("(A_NAME_LONGER_THAN_16)", "long");
  // Exactly 16 - 9 = 7 spaces after "(DTW_SQL)"; at least one after a long name.
  EXPECT_EQ(Written(info, [](MSInfo& i, FILE* f) { i.WriteNDEnv(f); }),
            "ENVIRONMENT (DTW_SQL)       DTWSQL (IN DATABASE)\r\n"
            "ENVIRONMENT (A_NAME_OF_16CH) v16\r\n"
            "ENVIRONMENT (A_NAME_LONGER_THAN_16) long\r\n");
  MSInfo none = Mall();
  EXPECT_EQ(Written(none, [](MSInfo& i, FILE* f) { i.WriteNDEnv(f); }), "");
}

TEST_F(DirectivesTest, MacroFileFixedAndFurtherLines) {
  MSInfo info = Mall();
  for (const char* line : {"", "", "DEFINE x", "", "REPORT y"}) info.m_NDMisc.AddTail(line);
  EXPECT_EQ(Written(info,
                    [](MSInfo& i, FILE* f) {
                      i.WriteNDDummy(f);
                      i.WriteNDMisc(f);
                    }),
            "BIND_FILE dummy.bnd\r\nEXEC_PATH\r\nVELQINSTANCE\r\nVELQPATH\r\n"
            "DEFINE x\r\n\r\nREPORT y\r\n");
  MSInfo fresh = Mall();
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
    MSInfo info = Mall();
    const orvane::LineWatch watch;
    EXPECT_EQ(Written(info, c.write), c.expected) << c.name;
    EXPECT_TRUE(watch.Refused()) << c.name;
  }
  MSInfo info = Mall();
  const orvane::LineWatch watch;
  Written(info, [](MSInfo& i, FILE* f) { i.WriteDBName(f); });
  EXPECT_FALSE(watch.Refused());
}

}  // namespace
