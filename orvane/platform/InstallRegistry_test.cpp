#include "orvane/platform/InstallRegistry.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/os/Files.h"
#include "orvane/os/Registry.h"
#include "orvane/platform/PlatformTestMachine.h"

namespace {

using orvane::os::RegistryAccess;
using orvane::os::RegistryKey;
using orvane::os::RegistryRoot;

class InstallRegistryTest : public orvane::test::PlatformMachineTest {};

constexpr char kWebServer[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver";

TEST_F(InstallRegistryTest, InstallPathByVersionIndex) {
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\2.0.0]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
      "\"TQ_INST_PATH\"=\"C:\\\\Tessaly\"\r\n");
  KelString path("unchanged");
  EXPECT_EQ(orvane::GetTQInstallPath(path, 2), 0);
  EXPECT_STREQ(path, "unchanged");
  EXPECT_EQ(orvane::GetTQInstallPath(path, 7), 1);
  EXPECT_STREQ(path, "C:\\Tessaly");
  EXPECT_EQ(orvane::IsTQVersionInstalled(7), 0);
  EXPECT_EQ(orvane::IsTQVersionInstalled(3), 1);
  EXPECT_EQ(orvane::IsTQVersionInstalled(2), 1);
  EXPECT_EQ(orvane::IsTQVersionInstalled(1), 0);
  path = "";
  EXPECT_EQ(KelGetInstPath(path), 1);
  EXPECT_STREQ(path, "C:\\Tessaly");
}

TEST_F(InstallRegistryTest, ValuesLongerThanAPathAreMissing) {
  const std::string longest = "C:\\" + std::string(257, 'v');
  machine.WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ]\r\n\"VELQ Path Name\"=" +
                        orvane::test::RegText(longest + "w") + "\r\n");
  KelString path("unchanged");
  EXPECT_EQ(KelGetDBVXRPath(path), 0);
  EXPECT_STREQ(path, "unchanged");
  machine.WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ]\r\n\"VELQ Path Name\"=" +
                        orvane::test::RegText(longest) + "\r\n");
  EXPECT_EQ(KelGetDBVXRPath(path), 1);
  EXPECT_EQ(std::string(path), longest);
}

TEST_F(InstallRegistryTest, ApplicationServerUsesItsLastVersionKey) {
  KelString path("unchanged");
  EXPECT_EQ(KelGetJREPath(path), 0);
  machine.WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Corbelle Application Server]\r\n");
  EXPECT_EQ(orvane::IsCorbelleInstalled(), 0);
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Corbelle Application Server\\3.0]\r\n"
      "\"ncf.jvm.classpath\"=\"C:\\\\old\\\\jre\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Corbelle Application Server\\3.5]\r\n"
      "\"ncf.jvm.classpath\"=\"C:\\\\jdk\\\\jre//\"\r\n"
      "\"APPSERVER_ROOT\"=\"C:\\\\Corbelle\\\\\"\r\n");
  EXPECT_EQ(orvane::IsCorbelleInstalled(), 1);
  EXPECT_EQ(KelGetJREPath(path), 1);
  EXPECT_STREQ(path, "C:\\jdk\\jre/");
  EXPECT_EQ(orvane::GetCorbelleRoot(path), 1);
  EXPECT_STREQ(path, "C:\\Corbelle\\");
}

TEST_F(InstallRegistryTest, PresenceTests) {
  EXPECT_EQ(orvane::IsPayServerInstalled() + orvane::IsJQInstalled() +
                orvane::IsVelqExtendersInstalled() + orvane::IsPersonalizationInstalled(),
            0);
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VXR Payment Server]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Hosting Server\\Installation Directory]\r\n"
      "\"JQ_INST_PATH\"=\"D:\\\\JQ\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ Extenders]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Personalization]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE]\r\n"
      "\"ORACLE_HOME\"=\"E:\\\\orant\"\r\n\"ORACLE_SID\"=\"ORCL\"\r\n");
  EXPECT_EQ(orvane::IsPayServerInstalled(), 1);
  EXPECT_EQ(orvane::IsJQInstalled(), 1);
  EXPECT_EQ(orvane::IsVelqExtendersInstalled(), 1);
  EXPECT_EQ(orvane::IsPersonalizationInstalled(), 1);
  KelString text;
  EXPECT_EQ(KelGetCSPInstPath(text), 1);
  EXPECT_STREQ(text, "D:\\JQ");
  EXPECT_EQ(orvane::GetOracleHome(text), 1);
  EXPECT_STREQ(text, "E:\\orant");
  EXPECT_EQ(orvane::GetOracleSid(text), 1);
  EXPECT_STREQ(text, "ORCL");
  EXPECT_EQ(orvane::GetPayServerPath(text), 0);
}

TEST_F(InstallRegistryTest, VersionSubkeyIsTheGreatestWithThePrefix) {
  std::string text;
  for (const char* version : {"4.6", "4.6.2.5", "4.6.1", "4.7", "4.6.10"}) {
    text += std::string("[") + kWebServer + "\\" + version + "]\r\n\"Name\"=\"" + version +
            "\"\r\n";
  }
  machine.WriteRegistry(text);
  auto base = RegistryKey::Open(RegistryRoot::kLocalMachine,
                                "SOFTWARE\\Brenlo\\Quenta Go Webserver", RegistryAccess::kRead);
  ASSERT_TRUE(base);
  auto NameOf = [](const orvane::os::Expected<RegistryKey>& key) {
    return key ? key->QueryValue("Name")->AsString() : std::string("<none>");
  };
  // Byte-wise: "4.6.2.5" is greater than "4.6.10".
  EXPECT_EQ(NameOf(orvane::FindVersionSubkey(*base, "4.6", true)), "4.6.2.5");
  EXPECT_EQ(NameOf(orvane::FindVersionSubkey(*base, "4.6.1", true)), "4.6.10");
  EXPECT_EQ(NameOf(orvane::FindVersionSubkey(*base, "4.6.1", false)), "4.6.1");
  EXPECT_EQ(NameOf(orvane::FindVersionSubkey(*base, "4.6.9", false)), "<none>");
}

TEST_F(InstallRegistryTest, VersionSubkeyFallsBackToTheNameItself) {
  machine.WriteRegistry(std::string("[") + kWebServer + "\\4.5]\r\n[" + kWebServer + "\\5.0]\r\n");
  auto base = RegistryKey::Open(RegistryRoot::kLocalMachine,
                                "SOFTWARE\\Brenlo\\Quenta Go Webserver", RegistryAccess::kRead);
  ASSERT_TRUE(base);
  EXPECT_FALSE(orvane::FindVersionSubkey(*base, "4.6", true));
  orvane::WebServerDirs dirs;
  EXPECT_EQ(orvane::GetWebServerDirs(dirs), 0);
}

TEST_F(InstallRegistryTest, WebServerDirectories) {
  machine.WriteRegistry(std::string("[") + kWebServer + "\\4.6.1]\r\n\"ETCpath\"=\"C:\\\\WWW\\\\\"\r\n[" +
                kWebServer + "\\4.6.1\\Directories]\r\n"
                "\"Executables\"=\"C:\\\\WWW\\\\Bin\\\\\"\r\n"
                "\"CGI Bin Scripts\"=\"C:\\\\WWW\\\\CGI-Bin\"\r\n"
                "\"HTML\"=\"C:\\\\WWW\\\\HTML\"\r\n"
                "\"Main Directory\"=\"C:\\\\WWW\\\\\"\r\n");
  orvane::WebServerDirs dirs;
  dirs.adminProgram = "previous";
  ASSERT_EQ(orvane::GetWebServerDirs(dirs), 1);
  EXPECT_STREQ(dirs.configDir, "C:\\WWW");
  EXPECT_STREQ(dirs.execDir, "C:\\WWW\\Bin");
  EXPECT_STREQ(dirs.cgiDir, "C:\\WWW\\CGI-Bin");
  EXPECT_STREQ(dirs.htmlDir, "C:\\WWW\\HTML");
  EXPECT_STREQ(dirs.mainDir, "C:\\WWW");
  EXPECT_STREQ(dirs.adminProgram, "previous");

  machine.WriteFile("C:\\WWW\\Bin\\htadm.exe", "program");
  ASSERT_EQ(orvane::GetWebServerDirs(dirs), 1);
  EXPECT_STREQ(dirs.adminProgram, "C:\\WWW\\Bin\\htadm.exe");
}

TEST_F(InstallRegistryTest, WebServerDirectoryChainStopsAtTheFirstMissingValue) {
  machine.WriteRegistry(std::string("[") + kWebServer + "\\4.6]\r\n\"ETCpath\"=\"C:\\\\WWW\"\r\n[" +
                kWebServer + "\\4.6\\Directories]\r\n"
                "\"Executables\"=\"C:\\\\WWW\\\\Bin\"\r\n"
                "\"HTML\"=\"C:\\\\WWW\\\\HTML\"\r\n"
                "\"Main Directory\"=\"C:\\\\WWW\"\r\n");
  orvane::WebServerDirs dirs;
  dirs.htmlDir = "before";
  EXPECT_EQ(orvane::GetWebServerDirs(dirs), 0);
  EXPECT_STREQ(dirs.configDir, "C:\\WWW");
  EXPECT_STREQ(dirs.execDir, "C:\\WWW\\Bin");
  EXPECT_STREQ(dirs.htmlDir, "before");
  EXPECT_STREQ(dirs.mainDir, "");
}

TEST_F(InstallRegistryTest, UpdateRegCopiesTheVersionSubtree) {
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\2.0.0]\r\n\"Level\"=\"two\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\2.0.0\\Paths]\r\n"
      "\"TQ_INST_PATH\"=\"C:\\\\Old\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\2.0.0\\Paths\\Deep]\r\n"
      "\"x\"=\"y\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2]\r\n\"Stale\"=\"s\"\r\n");
  ASSERT_TRUE(orvane::os::CreateDirectory("C:\\Old"));
  ASSERT_EQ(KelUpdateRegTQ("2.0.0", "3.1.2.2"), 1);
  const std::string target = "SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2";
  EXPECT_EQ(RegistryString(target, "Level"), "two");
  EXPECT_EQ(RegistryString(target, "Stale"), "<no value>");
  EXPECT_EQ(RegistryString(target + "\\Paths", "TQ_INST_PATH"), "C:\\Old");
  EXPECT_EQ(RegistryString(target + "\\Paths\\Deep", "x"), "y");
  EXPECT_FALSE(orvane::os::PathExists("C:\\Old\\TQ3"));
  // The copy can be repeated: no hive file is left in the way.
  EXPECT_EQ(KelUpdateRegTQ("2.0.0", "3.1.2.2"), 1);
}

TEST_F(InstallRegistryTest, UpdateRegFailsWithoutKeysAndLeavesNoHive) {
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\2.0.0\\Paths]\r\n"
      "\"TQ_INST_PATH\"=\"C:\\\\Old\"\r\n");
  ASSERT_TRUE(orvane::os::CreateDirectory("C:\\Old"));
  EXPECT_EQ(KelUpdateRegTQ("1.0.0", "3.1.2.2"), 0);
  EXPECT_EQ(KelUpdateRegTQ("2.0.0", "3.1.2.2"), 0);
  EXPECT_FALSE(orvane::os::PathExists("C:\\Old\\TQ3"));
  EXPECT_EQ(RegistryString("SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2", ""), "<no key>");
}

TEST_F(InstallRegistryTest, QueueServerVariable) {
  const std::string environment = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
  char* client[] = {const_cast<char*>("tqqvbridge"), const_cast<char*>("shop"),
                    const_cast<char*>("5000"), const_cast<char*>("qhost"),
                    const_cast<char*>("in"), const_cast<char*>("out"),
                    const_cast<char*>("err"), const_cast<char*>("qm"),
                    const_cast<char*>("user"), const_cast<char*>("client"),
                    const_cast<char*>("CHAN"), const_cast<char*>("1414")};
  EXPECT_EQ(orvane::SetQVServerVariable(12, client), 1);
  EXPECT_EQ(RegistryString(environment, "QVSERVER"), "CHAN/TCP/qhost(1414)");
  EXPECT_EQ(orvane::SetQVServerVariable(11, client), 1);
  EXPECT_EQ(RegistryString(environment, "QVSERVER"), "CHAN/TCP/qhost");
  client[9] = const_cast<char*>("Client");
  EXPECT_EQ(orvane::SetQVServerVariable(12, client), 1);
  EXPECT_EQ(RegistryString(environment, "QVSERVER"), "");
}

}  // namespace
