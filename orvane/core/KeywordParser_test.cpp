#include "orvane/core/KeywordParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/testing/ListContents.h"
#include "orvane/testing/TempMachine.h"

namespace orvane {
namespace {

using test::MachineTest;
using test::Pairs;
using test::Texts;

// --- One entry, one line --------------------------------------------------

TEST(KeywordParserTest, KeywordIsTheFirstWordInAnyCaseAndTheValueFollowsOneSeparator) {
  KelString text = "unchanged";
  const KeywordEntry entry = TextEntry("DBNAME", &text);
  EXPECT_NE(MatchEntry(entry, "dbname  SHOP", nullptr), 0);
  EXPECT_STREQ(text, " SHOP");
  EXPECT_NE(MatchEntry(entry, "  DBNAME\tC:\\a b ", nullptr), 0);
  EXPECT_STREQ(text, "C:\\a b ");

  // A keyword alone is taken and stores nothing.
  EXPECT_NE(MatchEntry(entry, "DBNAME", nullptr), 0);
  EXPECT_NE(MatchEntry(entry, "DBNAME ", nullptr), 0);
  EXPECT_STREQ(text, "C:\\a b ");

  EXPECT_EQ(MatchEntry(entry, "DBNAMES x", nullptr), 0);
  EXPECT_EQ(MatchEntry(entry, "x DBNAME", nullptr), 0);
  EXPECT_EQ(MatchEntry(entry, "   ", nullptr), 0);
  EXPECT_STREQ(text, "C:\\a b ");
}

TEST(KeywordParserTest, NullAndEmptyKeywords) {
  int number = 7;
  EXPECT_EQ(MatchEntry(NumberEntry(nullptr, &number), "PROCESSES 4", nullptr), 0);
  EXPECT_EQ(MatchEntry(NumberEntry("", &number), "4", nullptr), 0);
  EXPECT_EQ(number, 7);

  // The empty keyword of a path list keeps whole lines, repeats included.
  ParmList<KelString> misc;
  const KeywordEntry catchAll = PathListEntry("", &misc, '\0');
  EXPECT_NE(MatchEntry(catchAll, "  any line;as it is ", nullptr), 0);
  EXPECT_NE(MatchEntry(catchAll, "", nullptr), 0);
  EXPECT_NE(MatchEntry(catchAll, "  any line;as it is ", nullptr), 0);
  EXPECT_EQ(Texts(misc),
            (std::vector<std::string>{"  any line;as it is ", "", "  any line;as it is "}));

  // A null target takes the line and stores nothing.
  EXPECT_NE(MatchEntry(TextEntry("BIND_FILE", nullptr), "BIND_FILE x.bnd", nullptr), 0);
}

TEST(KeywordParserTest, NumbersAndFlags) {
  int number = 0;
  const KeywordEntry numberEntry = NumberEntry("MS_LOGLEVEL", &number);
  const struct {
    const char* line;
    int value;
  } numbers[] = {
      {"MS_LOGLEVEL 12", 12},         {"MS_LOGLEVEL   -3x", -3},
      {"MS_LOGLEVEL +8", 8},          {"MS_LOGLEVEL none", 0},
      {"MS_LOGLEVEL 99999999999", 2147483647},
      {"MS_LOGLEVEL -99999999999", -2147483647 - 1},
  };
  for (const auto& c : numbers) {
    number = 55;
    EXPECT_NE(MatchEntry(numberEntry, c.line, nullptr), 0) << c.line;
    EXPECT_EQ(number, c.value) << c.line;
  }

  int flag = 9;
  const KeywordEntry flagEntry = FlagEntry("TQ_ENABLE_CACHE", &flag);
  MatchEntry(flagEntry, "TQ_ENABLE_CACHE -5", nullptr);
  EXPECT_EQ(flag, 1);
  MatchEntry(flagEntry, "TQ_ENABLE_CACHE no", nullptr);
  EXPECT_EQ(flag, 0);
}

TEST(KeywordParserTest, PathListsSplitAtTheSeparatorAndKeepEachPathOnce) {
  ParmList<KelString> paths;
  const KeywordEntry entry = PathListEntry("TQ_TEDITOR_PATH", &paths, ';');
  MatchEntry(entry, "TQ_TEDITOR_PATH C:\\a;c:\\A;C:\\b", nullptr);
  EXPECT_EQ(Texts(paths), (std::vector<std::string>{"C:\\a", "C:\\b"}));
  MatchEntry(entry, "TQ_TEDITOR_PATH  C:\\c ;;C:\\b;", nullptr);
  EXPECT_EQ(Texts(paths), (std::vector<std::string>{"C:\\a", "C:\\b", " C:\\c "}));

  ParmList<KelString> none;
  EXPECT_NE(MatchEntry(PathListEntry("X", &none, '\0'), "X a;b", nullptr), 0);
  EXPECT_TRUE(Texts(none).empty());
}

// The table writer pads names; the padding must not creep into the values of
// directives that run to the line end, while every other value keeps its
// blanks exactly.
TEST(KeywordParserTest, OnlyLineEndDirectivesLoseTheirLeadingBlanks) {
  struct Case {
    const char* line;
    const char* expected;
  };
  const Case cases[] = {
      {"ENVIRONMENT SHOP   VELQINSTANCE=V1 ", "SHOP=VELQINSTANCE=V1 "},
      {"ENVIRONMENT\tSHOP\t \tA B", "SHOP=A B"},
      {"ENVIRONMENT SHOP      ", "SHOP="},
      {"ENVIRONMENT SHOP", "SHOP="},
  };
  for (const Case& c : cases) {
    ParmList<NameValue> pairs;
    EXPECT_NE(MatchEntry(DirectiveEntry("ENVIRONMENT", &pairs, kDirectiveToLineEnd), c.line, nullptr), 0);
    EXPECT_EQ(Pairs(pairs), std::vector<std::string>{c.expected}) << c.line;
  }
  KelString text;
  MatchEntry(TextEntry("DBNAME", &text), "dbname  SHOP", nullptr);
  EXPECT_STREQ(text, " SHOP");
  ParmList<NameValue> word;
  MatchEntry(DirectiveEntry("Pass", &word, 0), "Pass  /a/*   C:\\a\\*", nullptr);
  EXPECT_EQ(Pairs(word), std::vector<std::string>{"/a/*=C:\\a\\*"});
}

TEST(KeywordParserTest, DirectivesSortedByTheirThirdWord) {
  MSInfo rec;
  const KeywordTable table = WebServerTable(rec);
  auto offer = [&table](const char* line, const char* host) {
    for (const KeywordEntry& entry : table) {
      if (MatchEntry(entry, line, host)) return true;
    }
    return false;
  };
  EXPECT_TRUE(offer("Pass /x/* C:\\x\\* SHOPHOST", "shophost"));
  EXPECT_TRUE(offer("Pass /y/* C:\\y\\*", "shophost"));
  EXPECT_FALSE(offer("Pass /z/* C:\\z\\* otherhost", "shophost"));
  EXPECT_TRUE(offer("map /m/*", "shophost"));
  EXPECT_TRUE(offer("Exec /cgi/* C:\\cgi\\*  shophost  ", "shophost"));
  EXPECT_TRUE(offer("AddType  .html  text/html  8bit 1.0", "shophost"));
  EXPECT_TRUE(offer("Pass /y/* D:\\y\\*", "shophost"));  // same name: new value
  EXPECT_TRUE(offer("Pass", "shophost"));                // no name: taken, nothing stored

  EXPECT_EQ(Pairs(rec.m_ISPass), std::vector<std::string>{"/x/*=C:\\x\\*"});
  EXPECT_EQ(Pairs(rec.m_ISCommonPass), std::vector<std::string>{"/y/*=D:\\y\\*"});
  EXPECT_EQ(Pairs(rec.m_ISCommonMap), std::vector<std::string>{"/m/*="});
  EXPECT_EQ(Pairs(rec.m_ISExec), std::vector<std::string>{"/cgi/*=C:\\cgi\\*"});
  EXPECT_EQ(Pairs(rec.m_ISCommonAddType), std::vector<std::string>{".html=text/html  8bit 1.0"});
  EXPECT_TRUE(Pairs(rec.m_ISMap).empty());
  EXPECT_TRUE(Pairs(rec.m_ISCommonExec).empty());

  // Without a host the instance's own entries take every directive.
  MSInfo noHost;
  const KeywordTable plain = WebServerTable(noHost);
  EXPECT_NE(MatchEntry(plain[0], "Pass /z/* C:\\z\\* otherhost", nullptr), 0);
  EXPECT_EQ(Pairs(noHost.m_ISPass), std::vector<std::string>{"/z/*=C:\\z\\*"});
}

// --- Whole files ----------------------------------------------------------

class KeywordFileTest : public MachineTest {
 protected:
  const char* Write(const std::string& bytes) {
    machine.WriteFile(kPath, bytes);
    return kPath;
  }
  static constexpr const char* kPath = "C:\\www\\html\\shop1\\tessaly.ini";
};

TEST_F(KeywordFileTest, MainFileFillsTheRecordInTheCurrentVariant) {
  const char* path = Write(
      "# Tessaly instance configuration\r\n"
      "SERVICE_NAME_PREFIX tqshop1_\r\n"
      "DBNAME shopdb\r\n"
      "DBINST shopusr\r\n"
      "DBOWNER dbadmin\r\n"
      "DBPASS q7F0aZ+Kp2w=\r\n"
      "PROCESSES 4\r\n"
      "MS_PORT 21000\r\n"
      "MERCHANT_KEY Rb7TmW2mKx9LpZ4vNc8HsYd3FgJ6eUa1\r\n"
      "MS_HOSTNAME shop1.example\r\n"
      "MS_TRANS_COUNT 100\r\n"
      "MS_LOGPATH C:\\tq\\instance\\shop1\\logs\r\n"
      "MS_LOGLEVEL -1\r\n"
      "TQ_DMN_SLP_SEC 15\r\n"
      "MACRO_PATH C:\\tq\\macro\\en_US\r\n"
      "WWW_HTML_PATH C:\\old\r\n"
      "HTML_PATH C:\\www\\html\\shop1\r\n"
      "MS_CGIBIN_PATH C:\\www\\cgi-bin\r\n"
      "TQ_TEDITOR_PATH C:\\a;c:\\A;C:\\b\r\n"
      "CASHET_HOSTNAME payhost\r\n"
      "PAY_STATE_TIMEOUT 900\r\n"
      "PAYSYS_CONTROLLER 0\r\n"
      "TQ_WEBSERVER Netscape\r\n"
      "TQ_ENABLE_CACHE 5\r\n"
      "KEL_DBMS Velq\r\n"
      "KEL_JDBC_URL jdbc:velq:shopdb\r\n"
      "unknown line\r\n");
  MSInfo rec;
  ASSERT_EQ(ParseKeywordFile(path, MainFileTable(rec, KeywordVariant::kCurrent)), 1);
  EXPECT_STREQ(rec.m_SvcPrefix, "tqshop1_");
  EXPECT_STREQ(rec.GetDBName(), "shopdb");
  EXPECT_STREQ(rec.GetDBUser(), "shopusr");
  EXPECT_STREQ(rec.GetDBOwner(), "dbadmin");
  EXPECT_STREQ(rec.GetDBPswdCipher(), "q7F0aZ+Kp2w=");
  EXPECT_EQ(rec.GetMSProc(), 4);
  EXPECT_EQ(rec.GetMSPort(), -1);  // the current files carry no port
  EXPECT_STREQ(rec.GetMerKeyCipher(), MSInfo::kNoKeyMarker);
  EXPECT_STREQ(rec.GetISHost(), "shop1.example");
  EXPECT_EQ(rec.m_TransCount, 100);
  EXPECT_STREQ(rec.m_LogPath, "C:\\tq\\instance\\shop1\\logs");
  EXPECT_EQ(rec.m_LogLevel, -1);
  EXPECT_EQ(rec.m_DmnSleep, 15);
  EXPECT_STREQ(rec.GetMacroPath(), "C:\\tq\\macro\\en_US");
  EXPECT_STREQ(rec.GetHtmlPath(), "C:\\www\\html\\shop1");
  EXPECT_STREQ(rec.GetCgiPath(), "C:\\www\\cgi-bin");
  EXPECT_EQ(Texts(rec.m_TEditorPaths), (std::vector<std::string>{"C:\\a", "C:\\b"}));
  EXPECT_STREQ(rec.GetZKHost(), "payhost");
  EXPECT_EQ(rec.GetZKTmout(), 900);
  EXPECT_EQ(rec.m_PaySysController, 0);
  EXPECT_STREQ(rec.m_WebServerText, "Netscape");
  EXPECT_EQ(rec.m_CacheFlag, 1);
  EXPECT_STREQ(rec.m_DbmsText, "Velq");
  EXPECT_STREQ(rec.m_JdbcUrl, "jdbc:velq:shopdb");
}

TEST_F(KeywordFileTest, OlderVariantsReadTheirOwnSpellings) {
  const std::string text =
      "MS_DBNAME olddb\r\n"
      "DBNAME ignored\r\n"
      "MS_NUM_CHILD 3\r\n"
      "MS_PORT 21000\r\n"
      "WWW_HTML_PATH C:\\old\\html\r\n"
      "MS_CGIBIN_PATH C:\\old\\cgi\r\n"
      "WWW_CGIBIN_PATH C:\\oldest\\cgi\r\n";
  MSInfo older;
  ASSERT_EQ(ParseKeywordFile(Write(text), MainFileTable(older, KeywordVariant::kOlder)), 1);
  EXPECT_STREQ(older.GetDBName(), "olddb");
  EXPECT_EQ(older.GetMSProc(), 3);
  EXPECT_EQ(older.GetMSPort(), 21000);
  EXPECT_STREQ(older.GetHtmlPath(), "C:\\old\\html");
  EXPECT_STREQ(older.GetCgiPath(), "C:\\old\\cgi");

  MSInfo oldest;
  ASSERT_EQ(ParseKeywordFile(Write(text), MainFileTable(oldest, KeywordVariant::kOldest)), 1);
  EXPECT_STREQ(oldest.GetCgiPath(), "C:\\oldest\\cgi");
}

TEST_F(KeywordFileTest, MacroProcessorFileKeepsUnknownLinesVerbatim) {
  const char* path = Write(
      "[GLOBAL]\r\n"
      "ENVIRONMENT shopdb  VELQINSTANCE=shopusr  \r\n"
      "ENVIRONMENT shopdb VELQINSTANCE=other\r\n"
      "MACRO_PATH C:\\tq\\macro\\en_US;C:\\tq\\macro\r\n"
      "INCLUDE_PATH C:\\tq\\include;c:\\TQ\\include\r\n"
      "BIND_FILE C:\\velq\\bnd\\shop.bnd\r\n"
      "VELQINSTANCE shopusr\r\n"
      "\r\n"
      "  DEFINE_ROW_COUNT 20\r\n");
  MSInfo rec;
  ASSERT_EQ(ParseKeywordFile(path, MacroProcessorTable(rec)), 1);
  EXPECT_EQ(Pairs(rec.m_NDEnv), std::vector<std::string>{"shopdb=VELQINSTANCE=other"});
  EXPECT_EQ(Texts(rec.m_NDMacroPaths),
            (std::vector<std::string>{"C:\\tq\\macro\\en_US", "C:\\tq\\macro"}));
  EXPECT_EQ(Texts(rec.m_NDIncPaths), std::vector<std::string>{"C:\\tq\\include"});
  EXPECT_EQ(Texts(rec.m_NDMisc),
            (std::vector<std::string>{"[GLOBAL]", "", "  DEFINE_ROW_COUNT 20"}));
}

TEST_F(KeywordFileTest, PaymentFiles) {
  MSInfo rec;
  const std::string backEnd =
      "BACKGROUND_CYCLE_TIME 45\r\n"
      "BACKGROUND_INTER_JOB_TIME 50\r\n"
      "PROCESSES 2\r\n"
      "MS_NUM_CHILD 9\r\n";
  ASSERT_EQ(ParseKeywordFile(Write(backEnd), BackEndPaymentTable(rec, KeywordVariant::kCurrent)),
            1);
  EXPECT_EQ(rec.GetZKCycle(), 45);
  EXPECT_EQ(rec.GetZKIntvl(), 50);
  EXPECT_EQ(rec.m_PBProc, 2);
  EXPECT_EQ(rec.GetMSProc(), -1);
  ParseKeywordFile(Write(backEnd), BackEndPaymentTable(rec, KeywordVariant::kOlder));
  EXPECT_EQ(rec.m_PBProc, 9);

  const char* frontEnd = Write(
      "USEREXIT_HOSTNAME exithost\r\n"
      "USEREXIT_SERVICE_NAME_PREFIX tqshop1_exit\r\n"
      "CASHET_EXEC C:\\pay\\bin\\cashet.exe\r\n"
      "CASHET_ADMIN_PORT 20006\r\n"
      "CASHET_PAY_PORT 20007\r\n"
      "CASHET_ERROR_PORT 20008\r\n"
      "CASHET_SET_PAY_PORT 20009\r\n"
      "CASHET_SET_INQUIRY_PORT 20010\r\n"
      "CASHET_LOG_PATH C:\\pay\\log\r\n"
      "CASHET_CERT_PATH C:\\pay\\cert\r\n"
      "CASHET_ENABLE_TRACE 1\r\n"
      "CMSPASS Zm9vYmFyMTI=\r\n");
  ASSERT_EQ(ParseKeywordFile(frontEnd, PaymentFrontEndTable(rec)), 1);
  EXPECT_STREQ(rec.m_ExitHost, "exithost");
  EXPECT_STREQ(rec.m_ExitSvcPrefix, "tqshop1_exit");
  EXPECT_STREQ(rec.m_ZKExec, "C:\\pay\\bin\\cashet.exe");
  EXPECT_EQ(rec.m_ZKAdminPort, 20006);
  EXPECT_EQ(rec.m_ZKPayPort, 20007);
  EXPECT_EQ(rec.m_ZKErrorPort, 20008);
  EXPECT_EQ(rec.m_ZKSetPayPort, 20009);
  EXPECT_EQ(rec.m_ZKSetInqPort, 20010);
  EXPECT_STREQ(rec.m_ZKLogPath, "C:\\pay\\log");
  EXPECT_STREQ(rec.m_ZKCertPath, "C:\\pay\\cert");
  EXPECT_EQ(rec.m_ZKTraceFlag, 1);
  EXPECT_STREQ(rec.GetCMSPswdCipher(), "Zm9vYmFyMTI=");
}

TEST_F(KeywordFileTest, WebServerFileIsReadOnlyInsideTheProductSection) {
  const char* path = Write(
      "Pass /before/* C:\\before\\*\r\n"
      "# ==== VXR Tessaly ====\r\n"
      "Pass /tq/* C:\\tq\\html\\* shophost\r\n"
      "Pass /icons/* C:\\WWW\\icons\\*\r\n"
      "Pass /other/* C:\\other\\* otherhost\r\n"
      "Exec /tq-bin/* C:\\WWW\\cgi-bin\\* shophost\r\n"
      "AddType .mac text/plain 7bit 1.0\r\n"
      "# ==== End of VXR Tessaly ====\r\n"
      "Pass /after/* C:\\after\\*\r\n"
      "# ==== VXR Tessaly ====\r\n"
      "Pass /second/* C:\\second\\*\r\n");
  MSInfo rec;
  ASSERT_EQ(ParseMarkedSection(path, WebServerTable(rec), "shophost"), 1);
  EXPECT_EQ(Pairs(rec.m_ISPass), std::vector<std::string>{"/tq/*=C:\\tq\\html\\*"});
  EXPECT_EQ(Pairs(rec.m_ISCommonPass), std::vector<std::string>{"/icons/*=C:\\WWW\\icons\\*"});
  EXPECT_EQ(Pairs(rec.m_ISExec), std::vector<std::string>{"/tq-bin/*=C:\\WWW\\cgi-bin\\*"});
  EXPECT_EQ(Pairs(rec.m_ISCommonAddType), std::vector<std::string>{".mac=text/plain 7bit 1.0"});

  // The older end marker, and a file without any section.
  MSInfo older;
  ParseMarkedSection(Write("VXR Tessaly\nMap /a/* /b/*\nEND OF TESSALY\nMap /c/* /d/*\n"),
                     WebServerTable(older), "shophost");
  EXPECT_EQ(Pairs(older.m_ISCommonMap), std::vector<std::string>{"/a/*=/b/*"});
  MSInfo none;
  EXPECT_EQ(ParseMarkedSection(Write("Pass /x/* C:\\x\\*\r\n"), WebServerTable(none), "h"), 1);
  EXPECT_TRUE(Pairs(none.m_ISCommonPass).empty());
}

TEST_F(KeywordFileTest, LongLinesAreReadInPiecesAndMissingFilesFail) {
  MSInfo rec;
  const std::string filler = "REMARK " + std::string(1024 - 7, 'x');
  ParseKeywordFile(Write(filler + "DBNAME hidden\r\nDBINST " + std::string(1100, 'u') + "\r\n"),
                   MainFileTable(rec, KeywordVariant::kCurrent));
  // The second piece of the first line reads as a line of its own.
  EXPECT_STREQ(rec.GetDBName(), "hidden");
  EXPECT_EQ(rec.m_DBUser.GetLength(), 1024 - 7);

  // A line of exactly one piece ends there: its line end is no empty line.
  MSInfo macro;
  const std::string full(1024, 'm');
  ParseKeywordFile(Write(full + "\r\n" + full + "\nLAST\r\n"), MacroProcessorTable(macro));
  EXPECT_EQ(Texts(macro.m_NDMisc), (std::vector<std::string>{full, full, "LAST"}));

  EXPECT_EQ(ParseKeywordFile("C:\\missing.ini", MainFileTable(rec, KeywordVariant::kCurrent)),
            0);
  EXPECT_EQ(ParseKeywordFile(nullptr, MainFileTable(rec, KeywordVariant::kCurrent)), 0);
  EXPECT_EQ(ParseMarkedSection("C:\\missing.cnf", WebServerTable(rec), "h"), 0);
  EXPECT_EQ(ParseMarkedSection(nullptr, WebServerTable(rec), "h"), 0);
}

}  // namespace
}  // namespace orvane
