#include "orvane/config/ServletConfig.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/config/WebServerTestMachine.h"

namespace {

using orvane::test::kWebConfigDir;

constexpr char kServletCnf[] = "C:\\WWW\\conf\\servlet.cnf";
constexpr char kArchive[] = "C:\\WWW\\servlets\\public\\kelpart.jar";
constexpr char kVelqArchive[] = "C:\\Velq\\java\\velqjava.zip";

const std::string kSectionBegin = "###### VXR Tessaly ###### (Do not edit this section)\r\n";
const std::string kSectionEnd = "###### End of VXR Tessaly ######\r\n";

class ServletConfigTest : public orvane::test::WebServerMachineTest {
 protected:
  void SetUp() override {
    RegisterWebServer();
    RegisterVelq();
    MSInfo a = Instance("a", "shophost");
    MSInfo b = Instance("b", "nshost", eISNetscape);
    MSInfo c = Instance("c", "chost");
    list.Add(a, 0);
    list.Add(b, 0);
    list.Add(c, 0);
  }

  int Update(int withViewer = 1) {
    return orvane::UpdateServletConfig(kWebConfigDir, withViewer, list);
  }
  std::string ServletCnf() { return machine.ReadFile(kServletCnf); }

  static std::string ViewerSection() {
    return "\r\n"
           "ESERVLET kelviewer kelviewer {\r\n"
           "    configfile=tessaly.ini\r\n"
           "    content=text/x-ssi-html\r\n"
           "    shophost=C:\\a\\html\r\n"
           "    chost=C:\\c\\html\r\n"
           "}\r\n"
           "SERVICE kelviewer /servlet/kelviewer\r\n"
           "\r\n"
           "ESERVLET kelmserver kelmserver {\r\n"
           "    configfile=tessaly.ini\r\n"
           "}\r\n"
           "SERVICE kelmserver /servlet/kelmserver\r\n";
  }

  MSList list;
};

TEST_F(ServletConfigTest, SettingsGainTheEntriesAndTheServletsAreDeclared) {
  const std::string original =
      "# servlet engine\r\n"
      "JavaLibPath C:\\jdk\\lib;\r\n"
      "JavaClassPath\tC:\\jdk\\classes;C:\\x.jar trailing words\r\n"
      "Other line\r\n";
  machine.WriteFile(kServletCnf, original);
  ASSERT_EQ(Update(), 1);
  const std::string expected =
      "# servlet engine\r\n"
      "JavaLibPath C:\\jdk\\lib;C:\\Velq\\lib\r\n"
      "JavaClassPath C:\\jdk\\classes;C:\\x.jar;C:\\WWW\\servlets\\public\\kelpart.jar;"
      "C:\\Velq\\java\\velqjava.zip\r\n"
      "Other line\r\n"
      "\r\n" +
      kSectionBegin + ViewerSection() + kSectionEnd;
  EXPECT_EQ(ServletCnf(), expected);
  EXPECT_EQ(machine.ReadFile(std::string(kServletCnf) + ".old"), original);

  // A second run finds every entry and replaces its own section with the
  // same: the file and the backup of the first run stay as they are.
  ASSERT_EQ(Update(), 1);
  EXPECT_EQ(ServletCnf(), expected);
  EXPECT_EQ(machine.ReadFile(std::string(kServletCnf) + ".old"), original);
}

TEST_F(ServletConfigTest, SettingLinesThatNeedNothingOrCannotBeExtended) {
  const std::string kept =
      "JavaLibPath\r\n"        // no value: kept as it is
      "javalibpath C:\\x\r\n"  // the keyword's letter case counts
      "JavaClassPath   \r\n";
  const std::string extended =
      "JavaLibPath a;C:\\Velq\\lib;b\r\n"
      "JavaClassPath C:\\WWW\\servlets\\public\\kelpart.jar\r\n";
  machine.WriteFile(kServletCnf, kept +
                                     "JavaLibPath a;C:\\Velq\\lib;b;\r\n"
                                     "JavaClassPath C:\\WWW\\servlets\\public\\kelpart.jar;\r\n");
  ASSERT_EQ(Update(0), 1);
  // Only the product's archive is looked for: Velq's is not added alone.
  EXPECT_EQ(ServletCnf(), kept + extended + "\r\n" + kSectionBegin + kSectionEnd);
}

TEST_F(ServletConfigTest, ClassPathOfACommentedSettingMovesIntoTheSection) {
  struct Case {
    const char* name;
    std::string lines;
    std::string sectionClassPath;  // "" when none is written
  };
  const Case cases[] = {
      {"second list line after the comment",
       "# JavaClassPath was here\r\n# one;two\r\n# classes: C:\\a.jar;C:\\b.jar\r\n",
       "JavaClassPath  C:\\a.jar;C:\\b.jar;" + std::string(kArchive) + ";" + kVelqArchive + "\r\n"},
      {"last line of the file names the archive",
       "# JavaClassPath\r\n# one;two\r\n# cp: C:\\a;C:\\b\r\n# " + std::string(kArchive) + "\r\n",
       "JavaClassPath  C:\\a;C:\\b\r\n"},
      {"a library path watch saves nothing", "# JavaLibPath\r\n# one;two\r\n# lib: C:\\l;C:\\m\r\n",
       ""},
      {"both watches: the library path ends first",
       "# JavaLibPath JavaClassPath\r\n# one;two\r\n# lib: C:\\l;C:\\m\r\n# 3;4\r\n"
       "# cp: C:\\c;C:\\d\r\n",
       "JavaClassPath  C:\\c;C:\\d;" + std::string(kArchive) + ";" + kVelqArchive + "\r\n"},
      {"no colon keeps the watch open, the count runs on",
       "# JavaClassPath\r\n# one;two\r\n# three;four\r\n# cp: C:\\c;C:\\d\r\n", ""},
      {"no blank after the colon saves nothing", "# JavaClassPath\r\n# a;b\r\n# cp:C:\\c;d\r\n",
       ""},
      {"the first list line does not end the watch", "# JavaClassPath\r\n# cp: C:\\c;d\r\n", ""},
  };
  for (const Case& c : cases) {
    machine.WriteFile(kServletCnf, c.lines);
    ASSERT_EQ(Update(0), 1) << c.name;
    const std::string expected =
        c.lines + "\r\n" + kSectionBegin + c.sectionClassPath + kSectionEnd;
    EXPECT_EQ(ServletCnf(), expected) << c.name;
    // The watch finds the same lines again on the next run.
    ASSERT_EQ(Update(0), 1) << c.name;
    EXPECT_EQ(ServletCnf(), expected) << c.name;
  }
}

TEST_F(ServletConfigTest, OldSectionsAreReplacedWhereverTheyStand) {
  machine.WriteFile(kServletCnf,
                    "first\r\n"
                    "\r\n"
                    "###### VXR Tessaly ###### (old)\r\nESERVLET x {\r\n}\r\n"
                    "###### END OF TESSALY ######\r\n"
                    "\r\n"
                    "\r\n"
                    "last without line end");
  ASSERT_EQ(Update(0), 1);
  // The old section's leading empty line goes with it; others stay, and
  // the last line is ended before the new section.
  EXPECT_EQ(ServletCnf(),
            "first\r\n\r\n\r\nlast without line end\r\n\r\n" + kSectionBegin + kSectionEnd);
}


TEST_F(ServletConfigTest, LineHoldingANulKeepsItsOwnLineEndRunAfterRun) {
  // A NUL byte used to hide the line feed: every run added an empty line.
  const std::string nulLine("x\0y\r\n", 5);
  for (const std::string& original : {nulLine, "first\r\n" + nulLine + "\r\n"}) {
    machine.WriteFile(kServletCnf, original);
    ASSERT_EQ(Update(0), 1);
    const std::string once = ServletCnf();
    EXPECT_EQ(once, original + "\r\n" + kSectionBegin + kSectionEnd);
    ASSERT_EQ(Update(0), 1);
    EXPECT_EQ(ServletCnf(), once);
  }
}
TEST_F(ServletConfigTest, FailuresLeaveTheFileAsItWas) {
  EXPECT_EQ(Update(), 0);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], std::string("Cannot access file ") + kServletCnf + ".");

  // A section never closed would take the rest of the file with it.
  const std::string unclosed = "a\r\n###### VXR Tessaly ######\r\nJavaLibPath x\r\nmine\r\n";
  machine.WriteFile(kServletCnf, unclosed);
  EXPECT_EQ(Update(), 0);
  EXPECT_EQ(ServletCnf(), unclosed);
  EXPECT_FALSE(machine.FileExists(std::string(kServletCnf) + ".old"));
  ASSERT_EQ(Errors().size(), 2u);
  EXPECT_EQ(Errors()[1], "Cannot modify web server configuration file.");

  // A host name holding a line end would add a line of its own.
  const std::string plain = "JavaLibPath x\r\n";
  machine.WriteFile(kServletCnf, plain);
  MSInfo injected = Instance("d", "host");
  injected.m_ISHost = "host\n    evil=C:\\";  // as read, past the setter's rule
  list.Add(injected, 0);
  EXPECT_EQ(Update(), 0);
  EXPECT_EQ(ServletCnf(), plain);
  EXPECT_EQ(Errors().size(), 3u);
}

TEST_F(ServletConfigTest, MissingRegistryRecordsLeaveTheirEntriesOut) {
  machine.WriteRegistry(
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ]\r\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver]\r\n");
  machine.WriteFile(kServletCnf, "JavaLibPath a\r\nJavaClassPath b\r\n");
  ASSERT_EQ(orvane::UpdateServletConfig(kWebConfigDir, 0, list), 1);
  EXPECT_EQ(ServletCnf(),
            "JavaLibPath a\r\nJavaClassPath b\r\n\r\n" + kSectionBegin + kSectionEnd);
}

}  // namespace
