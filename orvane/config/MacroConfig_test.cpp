#include "orvane/config/MacroConfig.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/config/InstanceFileTestMachine.h"

namespace {

using orvane::test::CrLf;
using orvane::test::Lines;
using orvane::test::Replaced;
using orvane::test::ShownErrors;

class MacroConfigTest : public orvane::test::InstanceFileTest {};

const Lines kPlainMacroFile = {
    "ENVIRONMENT (DTW_SQL)       DTWSQL (IN DATABASE, LOGIN, PASSWORD, TRANSACTION_SCOPE, ALIGN)",
    "ENVIRONMENT (DTW_DEFAULT)   DTWFUNC (OUT RETURN_CODE)",
    "ENVIRONMENT (DTW_APPLET)    DTWJAVA (OUT RETRUN_CODE)",
    "ENVIRONMENT (DTW_ODBC)      DTWODBC (IN DATABASE, LOGIN, PASSWORD, TRANSACTION_SCOPE, ALIGN)",
    "ENVIRONMENT (DTW_REXX)      DTWREXX (OUT RETURN_CODE)",
    "ENVIRONMENT (DTW_WEBREG)    DTWREG (OUT RETURN_CODE)",
    "ENVIRONMENT (DTW_FILE)      DTWFFI (OUT RETURN_CODE)",
    "ENVIRONMENT (DTW_PERL)      DTWPERL (OUT RETURN_CODE)",
    "ENVIRONMENT (DTW_SYSTEM)    DTWSYS (OUT RETURN_CODE)",
    "MACRO_PATH C:\\mall\\teditor;D:\\Tessaly\\macro\\en_US;D:\\Tessaly\\macro\\en_US\\demomall;"
    "D:\\Tessaly\\macro\\en_US\\tqsample;C:\\mall\\macro",
    "INCLUDE_PATH D:\\Tessaly\\html\\en_US;C:\\mall\\teditor;D:\\Tessaly\\macro\\en_US;"
    "D:\\Tessaly\\macro\\en_US\\tqsample",
    "BIND_FILE dummy.bnd",
    "EXEC_PATH",
    "VELQINSTANCE",
    "VELQPATH",
    "",
};

TEST_F(MacroConfigTest, NewRecordGetsTheStandardFileAndAgainTheSame) {
  MakeInstanceDirectory();
  MSInfo info = Mall();
  ASSERT_EQ(orvane::WriteMacroConfig(info, kInstall), 1);
  EXPECT_EQ(Read("velqwww.ini"), CrLf(kPlainMacroFile));
  EXPECT_FALSE(Exists("velqwww.old.ini"));
  ASSERT_EQ(orvane::WriteMacroConfig(info, kInstall), 1);
  EXPECT_EQ(Read("velqwww.ini"), CrLf(kPlainMacroFile));
  EXPECT_FALSE(Exists("velqwww.old.ini"));  // the same content is not written again
}

TEST_F(MacroConfigTest, HostingEditionPutsTheStoreModelFirstAndItsMacrosLast) {
  MakeInstanceDirectory();
  MSInfo info = Mall();
  info.m_MSOption = 0x80;
  ASSERT_EQ(orvane::WriteMacroConfig(info, kInstall), 1);
  Lines expected =
      Replaced(kPlainMacroFile, kPlainMacroFile[9],
               "MACRO_PATH D:\\Tessaly\\macro\\common;D:\\Tessaly\\macro\\common\\CSPstoremodel;"
               "C:\\mall\\teditor;D:\\Tessaly\\macro\\en_US;D:\\Tessaly\\macro\\en_US\\demomall;"
               "D:\\Tessaly\\macro\\en_US\\tqsample;C:\\mall\\macro;D:\\Tessaly\\macro\\en_US\\JQ");
  expected = Replaced(expected, kPlainMacroFile[10],
                      "INCLUDE_PATH D:\\Tessaly\\macro\\common;"
                      "D:\\Tessaly\\macro\\common\\CSPstoremodel;D:\\Tessaly\\html\\en_US;"
                      "C:\\mall\\teditor;D:\\Tessaly\\macro\\en_US;"
                      "D:\\Tessaly\\macro\\en_US\\tqsample");
  EXPECT_EQ(Read("velqwww.ini"), CrLf(expected));
}

TEST_F(MacroConfigTest, RecordsOwnEntriesKeepTheirPlace) {
  MakeInstanceDirectory();
  MSInfo info = Mall();
  info.SetNDEnv("(DTW_SQL)", "MYSQL (IN X)");
  info.SetNDEnv("(MINE)", "MINE (OUT RC)");
  info.m_MacroPath = "d:\\TESSALY\\Macro\\EN_us";  // the language directory itself
  info.m_NDMisc.AddTail("DEFINE a");
  info.m_NDMisc.AddTail("");
  ASSERT_EQ(orvane::WriteMacroConfig(info, kInstall), 1);
  const std::string file = Read("velqwww.ini");
  EXPECT_EQ(file.rfind("ENVIRONMENT (DTW_SQL)       MYSQL (IN X)\r\n"
                       "ENVIRONMENT (MINE)          MINE (OUT RC)\r\n"
                       "ENVIRONMENT (DTW_DEFAULT)   DTWFUNC (OUT RETURN_CODE)\r\n",
                       0),
            0u);
  EXPECT_EQ(file.find("DTWSQL"), std::string::npos);
  EXPECT_NE(file.find("\\tqsample\r\nINCLUDE_PATH"), std::string::npos);  // macro path not added
  EXPECT_EQ(file.substr(file.size() - 22), "VELQPATH\r\nDEFINE a\r\n\r\n");
}

TEST_F(MacroConfigTest, FailuresLeaveThePreviousFile) {
  MSInfo info = Mall();
  EXPECT_EQ(orvane::WriteMacroConfig(info, kInstall), 0);  // no instance directory
  ASSERT_EQ(ShownErrors().size(), 1u);
  EXPECT_EQ(ShownErrors()[0], "Cannot create configuration file C:\\mall\\html\\velqwww.ini.");

  MakeInstanceDirectory();
  machine.WriteFile("C:\\mall\\html\\velqwww.ini", "previous\r\n");
  info.m_NDMisc.AddTail("DEFINE a\nMACRO_PATH C:\\evil");
  EXPECT_EQ(orvane::WriteMacroConfig(info, kInstall), 0);
  EXPECT_EQ(Read("velqwww.ini"), "previous\r\n");
  EXPECT_FALSE(Exists("velqwww.old.ini"));
  EXPECT_EQ(ShownErrors().size(), 2u);
}

}  // namespace
