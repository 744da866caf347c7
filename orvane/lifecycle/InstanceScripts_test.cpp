#include "orvane/lifecycle/InstanceScripts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/core/MSInfo.h"
#include "orvane/lifecycle/LifecycleTestMachine.h"

namespace {

using orvane::test::ReadTextFile;

TEST(FillPlaceholdersTest, PiecesAlternateBetweenTextAndNames) {
  const orvane::PlaceholderValue valueOf = [](const std::string& name, std::string& value) {
    if (name != "x") return false;
    value = "X";
    return true;
  };
  struct Case {
    const char* line;
    const char* rebuilt;
  };
  const Case cases[] = {
      {"a<<x>>b\n", "aXb\n"},
      {"a<<x>>b<<unknown>>c\r\n", "aXbc\r\n"},  // unknown names are dropped
      {"a<x>b<x>\n", "aXbX\n"},
      {"<<x>>b\n", "x\n"},  // the first piece is text, the second a name
      {"a<<x\n", "aX\n"},   // the line end stays where a name ends the line
      {"no marks", "no marks"},
      {"\n", "\n"},
      {"<<>>\n", "\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(orvane::FillPlaceholders(c.line, valueOf), c.rebuilt) << c.line;
}

class InstanceScriptsTest : public orvane::test::LifecycleTest {
 protected:
  void SetUp() override {
    install.payServer = true;
    LayOut();
    info = install.Record("shop", 20000);
    ASSERT_TRUE(orvane::test::MakeDirectories("C:\\stores\\shop\\bin"));
  }

  static std::string Cashet() { return ReadTextFile("C:\\stores\\shop\\bin\\cashet.cmd"); }

  MSInfo info;
};

constexpr char kCashetStart[] =
    "@echo off\nrem Payment server start script\nset PATH=<<CASHET_Path>>\\bin;%PATH%\n";
constexpr char kPayDir[] = "C:\\PayServer\\jre\\bin";

TEST_F(InstanceScriptsTest, CashetScriptFillsTheJavaLineForEachDatabase) {
  ASSERT_EQ(orvane::WriteCashetScript(info, "C:\\Tessaly"), 1);
  EXPECT_EQ(Cashet(),
            std::string(kCashetStart) +
                "\"C:\\PayServer\\jre\\bin\\jre\\bin\\jre\" -cp "
                "\"C:\\Velq\\java\\velqjava.zip;C:\\PayServer\\jre\\bin\\cashetClasses.zip\" "
                "-Ddriver=COM.vxr.velq.jdbc.app.VELQDriver -Durl=jdbc:velq:shopdb "
                "-Downer=dbuser -Duser=dbuser com.vxr.cashet.Main %1 %2\nexit\n");
  EXPECT_TRUE(HasMode("C:\\stores\\shop\\bin\\cashet.cmd", 0755));

  info.SetDBType(eDBOracle);
  ASSERT_EQ(orvane::WriteCashetScript(info, "C:\\Tessaly"), 1);
  EXPECT_EQ(
      Cashet(),
      std::string(kCashetStart) +
          "\"C:\\PayServer\\jre\\bin\\jre\\bin\\jre\" -cp "
          "\"C:\\Oracle\\jdbc\\lib\\classes111.zip;C:\\PayServer\\jre\\bin\\cashetClasses.zip\" "
          "-Ddriver=oracle.jdbc.driver.OracleDriver "
          "-Durl=jdbc:oracle:thin:@shop.example.test:1521:ORCL "
          "-Downer=dbuser -Duser=dbuser com.vxr.cashet.Main %1 %2\nexit\n");
  // The previous script is the backup.
  EXPECT_NE(ReadTextFile("C:\\stores\\shop\\bin\\cashet.old.cmd").find("jdbc:velq:shopdb"),
            std::string::npos);
  EXPECT_FALSE(machine.FileExists("C:\\stores\\shop\\bin\\cashet.cmd.tmp"));
}

TEST_F(InstanceScriptsTest, MigrationScriptForVelq) {
  ASSERT_EQ(orvane::WriteMigrateCashetScript(info, "C:\\Tessaly"), 1);
  const std::string schema = "C:\\Tessaly\\tq_schema\\VELQ\\cashet12_schema.velq.sql";
  const std::string pay = kPayDir;
  EXPECT_EQ(
      ReadTextFile("C:\\Tessaly\\tq_schema\\VELQ\\migrate\\migrateCashet.cmd"),
      "@echo off\nrem migrate the payment tables\nif \"%3\"==\"\" goto error\n"
      "set x0=" +
          schema +
          "\n"
          "set x1=COM.vxr.velq.jdbc.app.VELQDriver\nset x2=jdbc:velq:%1\nset x5=jdbc:velq:%1\n"
          "set tqclasspath=" +
          pay + "\\jre\\lib\\rt.jar;" + pay +
          "\\jre\\lib\\i18n.jar;"
          "C:\\Velq\\java\\velqjava.zip;" +
          pay +
          "\\cashetClasses.zip\n\n"
          "\"" +
          pay +
          "\\jre\\bin\\jre\" -cp \"%tqclasspath%\" com.vxr.cashet.Migrate %x0% %x1% "
          "%x2% %2 %3 %x5%\n"
          "goto end\n:error\necho \"Usage: migrateCashet dbname userid password\"\n:end\n"
          "if [ $# != 3 ]\nthen echo Usage: migrateCashet dbname userid password\nfi\n"
          "x0=" +
          schema +
          "\nx1=COM.vxr.velq.jdbc.app.VELQDriver\nx2=jdbc:velq:$1\n"
          "x5=jdbc:velq:$1\n");
  EXPECT_TRUE(HasMode("C:\\Tessaly\\tq_schema\\VELQ\\migrate\\migrateCashet.cmd", 0755));
}

TEST_F(InstanceScriptsTest, MigrationScriptForOracle) {
  info.SetDBType(eDBOracle);
  ASSERT_EQ(orvane::WriteMigrateCashetScript(info, "C:\\Tessaly"), 1);
  const std::string schema = "C:\\Tessaly\\tq_schema\\oracle\\cashet12_schema.ora.sql";
  const std::string pay = kPayDir;
  const std::string url = "jdbc:oracle:thin:@";
  EXPECT_EQ(
      ReadTextFile("C:\\Tessaly\\tq_schema\\oracle\\migrate\\migrateCashet.cmd"),
      "@echo off\nrem migrate the payment tables\nif \"%4\"==\"\" goto error\n"
      "set x0=" +
          schema +
          "\n"
          "set x1=oracle.jdbc.driver.OracleDriver\n"
          "set x2=" +
          url + "%4:1521:%1\nset x5=" + url +
          "%4:1521:%1\n"
          "set tqclasspath=" +
          pay + "\\jre\\lib\\rt.jar;" + pay +
          "\\jre\\lib\\i18n.jar;"
          "C:\\WWW\\bin\\java\\lib\\classes.zip;" +
          pay +
          "\\cashetClasses.zip;"
          "<<path of Oracle thin JDBC driver 8.0.4.0.6 (or above)>>\n\n"
          "\"" +
          pay +
          "\\jre\\bin\\jre\" -cp \"%tqclasspath%\" com.vxr.cashet.Migrate %x0% %x1% "
          "%x2% %2 %3 %x5%\n"
          "goto end\n:error\n"
          "echo \"Usage: migrateCashet dbname userid password [servicename]\"\n:end\n"
          "if [ $# != 4 ]\nthen echo Usage: migrateCashet dbname userid password [servicename]\n"
          "fi\nx0=" +
          schema +
          "\nx1=oracle.jdbc.driver.OracleDriver\n"
          "x2=" +
          url + "$4:1521:$1\nx5=" + url + "$4:1521:$1\n");
}

TEST_F(InstanceScriptsTest, OracleClassPathLeavesOutTheGoWebServerForOtherTypes) {
  info.SetDBType(eDBOracle);
  info.SetISType(eISNetscape);
  ASSERT_EQ(orvane::WriteMigrateCashetScript(info, "C:\\Tessaly"), 1);
  const std::string text =
      ReadTextFile("C:\\Tessaly\\tq_schema\\oracle\\migrate\\migrateCashet.cmd");
  EXPECT_EQ(text.find("classes.zip;"), std::string::npos);
  EXPECT_NE(text.find("i18n.jar;C:\\PayServer\\jre\\bin\\cashetClasses.zip;<<path"),
            std::string::npos);
}

TEST_F(InstanceScriptsTest, MissingTemplateOrTargetGivesZeroSilently) {
  ASSERT_EQ(orvane::WriteCashetScript(info, "C:\\Elsewhere"), 0);  // no template there
  EXPECT_FALSE(machine.FileExists("C:\\stores\\shop\\bin\\cashet.cmd"));
  ASSERT_EQ(orvane::WriteMigrateCashetScript(info, "C:\\Elsewhere"), 0);
  EXPECT_TRUE(orvane::test::ShownMessages().empty());
}

// Values stored as read, past the setters: the names stand bare in the
// payment script's Java line, so one that the interpreter would read as
// syntax writes no script and leaves the previous one.
TEST_F(InstanceScriptsTest, ValuesThatCannotStandBareWriteNoScript) {
  struct Case {
    KelString MSInfo::*field;
    const char* value;
    eDBType type;
  };
  const Case cases[] = {
      {&MSInfo::m_DBUser, "dbuser\r\ndel /q C:\\*", eDBVelq},
      {&MSInfo::m_DBUser, "u&calc", eDBVelq},
      {&MSInfo::m_DBName, "x>C:\\z", eDBVelq},
      {&MSInfo::m_ISHost, "h|calc", eDBOracle},
  };
  ASSERT_EQ(orvane::WriteCashetScript(info, "C:\\Tessaly"), 1);
  const std::string before = Cashet();
  for (const Case& c : cases) {
    MSInfo stored(info);
    stored.*c.field = c.value;
    stored.SetDBType(c.type);
    orvane::test::ShownMessages().clear();
    EXPECT_EQ(orvane::WriteCashetScript(stored, "C:\\Tessaly"), 0) << c.value;
    EXPECT_EQ(Cashet(), before) << c.value;
    EXPECT_EQ(orvane::test::ShownMessages(),
              std::vector<std::string>{
                  "error: Cannot create file C:\\stores\\shop\\bin\\cashet.cmd."});
  }
}

TEST_F(InstanceScriptsTest, APathIsCheckedForItsPlace) {
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
      "VXRPayServer.cmd]\r\n\"Path\"=\"C:\\\\Pay&Server\\\\jre\"\r\n");
  // In the double quotes of the payment script's Java line & is text...
  ASSERT_EQ(orvane::WriteCashetScript(info, "C:\\Tessaly"), 1);
  EXPECT_NE(Cashet().find("\"C:\\Pay&Server\\jre\\jre\\bin\\jre\" -cp"), std::string::npos);
  // ...while the migration script's bare "set tqclasspath=" line would run
  // what follows it.
  EXPECT_EQ(orvane::WriteMigrateCashetScript(info, "C:\\Tessaly"), 0);
  const std::string migration = "C:\\Tessaly\\tq_schema\\VELQ\\migrate\\migrateCashet.cmd";
  EXPECT_FALSE(machine.FileExists(migration));
  EXPECT_EQ(orvane::test::ShownMessages(),
            std::vector<std::string>{"error: Cannot create file " + migration + "."});
}

TEST_F(InstanceScriptsTest, SampleStoreScriptOnlyForTheHostingEdition) {
  EXPECT_EQ(orvane::WriteSampleStoreScript(info, "C:\\Tessaly"), 0);
  EXPECT_FALSE(machine.FileExists("C:\\stores\\shop\\bin\\installsamples.bat"));

  info.SetMSOption(MSInfo::kOptHosting, MSInfo::kOptHosting);
  // The paths go in double quotes, where & is text like blanks and
  // parentheses.
  info.SetHtmlPath("C:\\WWW\\html\\a&b");
  ASSERT_EQ(orvane::WriteSampleStoreScript(info, "C:\\Tessaly"), 1);
  EXPECT_EQ(
      ReadTextFile("C:\\stores\\shop\\bin\\installsamples.bat"),
      "\"C:\\Corbelle\\jre\\bin\\java\" -classpath "
      "\"C:\\Tessaly\\JQ\\JQ.jar;C:\\Velq\\java\\velqjava.zip;C:\\Corbelle\\jre\\lib\\classes.zip\""
      " com.vxr.jq.install.SampleStoreInstall \"C:\\WWW\\html\\a&b\\tessaly.ini\" en_US\n");
  EXPECT_EQ(machine.ReadFile("C:\\stores\\shop\\bin\\installsamples.bat").substr(0, 5), "\"C:\\C");
  EXPECT_TRUE(HasMode("C:\\stores\\shop\\bin\\installsamples.bat", 0700));

  // A path stored as read that would end the quotes or be expanded.
  const std::string before = ReadTextFile("C:\\stores\\shop\\bin\\installsamples.bat");
  for (const char* html : {"C:\\WWW\\html\\50%", "C:\\WWW\\html\\a\" & calc & \""}) {
    info.m_HtmlPath = html;
    orvane::test::ShownMessages().clear();
    EXPECT_EQ(orvane::WriteSampleStoreScript(info, "C:\\Tessaly"), 0) << html;
    EXPECT_EQ(ReadTextFile("C:\\stores\\shop\\bin\\installsamples.bat"), before) << html;
    EXPECT_EQ(orvane::test::ShownMessages(),
              std::vector<std::string>{
                  "error: Cannot create file C:\\stores\\shop\\bin\\installsamples.bat."});
  }
}

}  // namespace
