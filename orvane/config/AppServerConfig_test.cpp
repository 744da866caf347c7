#include "orvane/config/AppServerConfig.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/config/WebServerTestMachine.h"

namespace {

using orvane::test::kInstallDir;

constexpr char kJvm[] =
    "C:\\AS\\AppServer\\properties\\server\\servlet\\servletservice\\jvm.properties";
constexpr char kServlets[] =
    "C:\\AS\\AppServer\\properties\\server\\servlet\\servletservice\\servlets.properties";
constexpr char kSecureJvm[] =
    "C:\\AS443\\AppServer\\properties\\server\\servlet\\servletservice\\jvm.properties";
constexpr char kSecureServlets[] =
    "C:\\AS443\\AppServer\\properties\\server\\servlet\\servletservice\\servlets.properties";
const std::string kEntries = "C:\\inst\\JQ\\JQ.jar;C:\\Velq\\java\\velqjava.zip";

class AppServerConfigTest : public orvane::test::WebServerMachineTest {
 protected:
  void SetUp() override { RegisterVelq(); }
  int UpdateJvm() { return orvane::UpdateJvmProperties(kJvm, kInstallDir); }
};

TEST_F(AppServerConfigTest, ClassPathGainsTheMissingArchives) {
  struct Case {
    std::string classPath;
    std::string expected;
  };
  const std::string longList(1500, 'j');
  const Case cases[] = {
      {"C:\\jdk\\rt.jar", "C:\\jdk\\rt.jar;" + kEntries},
      {"C:\\jdk\\rt.jar;", "C:\\jdk\\rt.jar;" + kEntries},
      {"", kEntries},
      // Entries split at ";" and blanks, compared exactly.
      {"C:\\Velq\\java\\velqjava.zip C:\\inst\\JQ\\JQ.jar",
       "C:\\Velq\\java\\velqjava.zip C:\\inst\\JQ\\JQ.jar"},
      {"C:\\inst\\JQ\\JQ.jar.bak;C:\\Velq\\java\\velqjava.zip",
       "C:\\inst\\JQ\\JQ.jar.bak;C:\\Velq\\java\\velqjava.zip;C:\\inst\\JQ\\JQ.jar"},
      {longList, longList + ";" + kEntries},
  };
  for (const Case& c : cases) {
    machine.WriteFile(kJvm, "# c\r\nncf.jvm.classpath=" + c.classPath + "\r\nz=1\r\n");
    ASSERT_EQ(UpdateJvm(), 1) << c.classPath;
    const std::string expected = "# c\r\nncf.jvm.classpath=" + c.expected + "\r\nz=1\r\n";
    EXPECT_EQ(machine.ReadFile(kJvm), expected) << c.classPath;
    ASSERT_EQ(UpdateJvm(), 1);
    EXPECT_EQ(machine.ReadFile(kJvm), expected) << c.classPath;
  }
}

TEST_F(AppServerConfigTest, OtherJvmLinesKeepTheirText) {
  const std::string original =
      "ncf.jvm.classpath.extra=x\r\n"
      "other=ncf.jvm.classpath\r\n"
      " ncf.jvm.classpath=C:\\x\r\n"
      "last=no line end";
  machine.WriteFile(kJvm, original);
  ASSERT_EQ(UpdateJvm(), 1);
  EXPECT_EQ(machine.ReadFile(kJvm), original);
  // Nothing changed: the file was not rewritten, so no backup was made.
  EXPECT_FALSE(machine.FileExists(std::string(kJvm) + ".old"));

  // The class path as the last line without its line feed keeps its last
  // character.
  machine.WriteFile(kJvm, "ncf.jvm.classpath=C:\\rt.jar");
  ASSERT_EQ(UpdateJvm(), 1);
  EXPECT_EQ(machine.ReadFile(kJvm), "ncf.jvm.classpath=C:\\rt.jar;" + kEntries + "\r\n");
}

TEST_F(AppServerConfigTest, ServletsPropertiesNameTheLastInstance) {
  MSInfo first = Instance("a", "ahost");
  MSInfo second = Instance("b", "bhost");
  const std::string original =
      "servlet.x.code=X\r\n"
      "servlet.MerchantAdmin.code=old\r\n"
      "# servlet.MerchantAdmin.initArgs=old\r\n"
      "servlet.y.code=Y";
  machine.WriteFile(kServlets, original);
  ASSERT_EQ(orvane::UpdateServletsProperties(first, kServlets), 1);
  ASSERT_EQ(orvane::UpdateServletsProperties(second, kServlets), 1);
  EXPECT_EQ(machine.ReadFile(kServlets),
            "servlet.x.code=X\r\n"
            "servlet.y.code=Y\r\n"
            "servlet.MerchantAdmin.code=com.vxr.jq.common.PageManager\r\n"
            "servlet.MerchantAdmin.initArgs=configfile=C:\\b\\html\\tessaly.ini\r\n");

  MSInfo injected = Instance("c", "chost");
  injected.m_HtmlPath = "C:\\c\nservlet.Evil.code=E";
  EXPECT_EQ(orvane::UpdateServletsProperties(injected, kServlets), 0);
  EXPECT_EQ(machine.ReadFile(kServlets).find("Evil"), std::string::npos);
}

TEST_F(AppServerConfigTest, MissingFilesAreReported) {
  MSInfo info = Instance("a", "ahost");
  EXPECT_EQ(UpdateJvm(), 0);
  EXPECT_EQ(orvane::UpdateServletsProperties(info, kServlets), 0);
  EXPECT_FALSE(machine.FileExists(kJvm));
  EXPECT_FALSE(machine.FileExists(kServlets));
  EXPECT_TRUE(Errors().empty());
}

TEST_F(AppServerConfigTest, SecureServerRootBesideTheFirst) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\AS\\AppServer", "C:\\AS443\\AppServer"},
      {"C:\\AS\\AppServer\\", "C:\\AS443\\AppServer"},
      {"D:\\Corbelle", "D:443\\Corbelle"},
      {"Corbelle", ""},
  };
  for (const auto& [root, secure] : cases)
    EXPECT_EQ(orvane::SecureAppServerRoot(root), secure) << root;
}

TEST_F(AppServerConfigTest, BothServersGetTheSameTreatment) {
  RegisterAppServer();
  MSInfo info = Instance("a", "ahost");
  const std::string jvm = "ncf.jvm.classpath=C:\\rt.jar\r\n";
  const std::string expectedJvm = "ncf.jvm.classpath=C:\\rt.jar;" + kEntries + "\r\n";
  const std::string expectedServlets =
      "servlet.MerchantAdmin.code=com.vxr.jq.common.PageManager\r\n"
      "servlet.MerchantAdmin.initArgs=configfile=C:\\a\\html\\tessaly.ini\r\n";
  machine.WriteFile(kJvm, jvm);
  machine.WriteFile(kServlets, "");
  orvane::UpdateAppServerFiles(info, kInstallDir);
  EXPECT_EQ(machine.ReadFile(kJvm), expectedJvm);
  EXPECT_EQ(machine.ReadFile(kServlets), expectedServlets);
  EXPECT_FALSE(machine.FileExists(kSecureJvm));

  machine.WriteFile(kSecureJvm, jvm);
  machine.WriteFile(kSecureServlets, "");
  orvane::UpdateAppServerFiles(info, kInstallDir);
  EXPECT_EQ(machine.ReadFile(kJvm), expectedJvm);
  EXPECT_EQ(machine.ReadFile(kSecureJvm), expectedJvm);
  EXPECT_EQ(machine.ReadFile(kSecureServlets), expectedServlets);
}

}  // namespace
