#include "orvane/config/HttpdConfig.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/config/WebServerTestMachine.h"

namespace {

using orvane::test::kInstallDir;
using orvane::test::TestHost;

const TestHost& kShop = orvane::test::kShopHost;
const TestHost& kOther = orvane::test::kOtherHost;

constexpr char kHttpdCnf[] = "C:\\WWW\\conf\\httpd.cnf";
constexpr char kConfigJs[] = "C:\\inst\\html\\en_US\\tqadmin\\common\\config.js";
const std::string kBegin = "###### VXR Tessaly ###### (Do not edit this section)\r\n";
const std::string kEnd = "\r\n###### End of VXR Tessaly ######\r\n";
const std::string kPassBegin = "###### VXR Tessaly (Pass) ###### (Do not edit this section)\r\n";
const std::string kPassEnd = "###### End of VXR Tessaly (Pass) ######\r\n";

std::string ProtectionBlock(const std::string& host) {
  return "Protect /*.ini " + host +
         " {\r\n"
         "ServerId        Private_Authorization\r\n"
         "Authtype        Basic\r\n"
         "GetMask         All@(*)\r\n"
         "PutMask         All@(*)\r\n"
         "PostMask        All@(*)\r\n"
         "Mask            All@(*)\r\n"
         "}\r\n"
         "\r\n";
}

// A host's blocks: one for each of its addresses, then one for its name.
std::string ProtectionBlocks(const TestHost& host) {
  std::string blocks;
  for (const std::string& address : host.addresses) blocks += ProtectionBlock(address);
  return blocks + ProtectionBlock(host.name);
}

// The default pass rules of an instance's HTML tree: for its host's name,
// then for each of its addresses.
std::string PassRules(const std::string& htmlDir, const TestHost& host) {
  std::string rules = "Pass   /*  " + htmlDir + "\\* " + host.name + "\r\n";
  for (const std::string& address : host.addresses) {
    rules += "Pass   /*  " + htmlDir + "\\* " + address + "\r\n";
  }
  return rules;
}

// The file without the lines of its product sections.
std::string OutsideSections(const std::string& text) {
  std::string outside;
  bool inside = false;
  for (size_t start = 0; start < text.size();) {
    const size_t lineFeed = text.find('\n', start);
    const size_t end = lineFeed == std::string::npos ? text.size() : lineFeed + 1;
    const std::string line = text.substr(start, end - start);
    start = end;
    if (inside) {
      inside = line.find("End of VXR Tessaly") == std::string::npos &&
               line.find("END OF TESSALY") == std::string::npos;
    } else if (line.find("VXR Tessaly") != std::string::npos) {
      inside = true;
    } else {
      outside += line;
    }
  }
  return outside;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class HttpdConfigTest : public orvane::test::WebServerMachineTest {
 protected:
  void SetUp() override {
    RegisterWebServer();
    machine.WriteFile(kConfigJs, "var gTQPackaging = 0;\r\n");
    AddHost(kShop);
    AddHost(kOther);
  }

  // Surveys list and rewrites httpd.cnf, as a run does.
  int Update() {
    orvane::WebServerRun run;
    if (!orvane::SurveyInstances(list, kInstallDir, run)) return -1;
    orvane::GetWebServerDirs(run.dirs);
    return orvane::UpdateHttpdConfig(run);
  }
  void Add(MSInfo info) { list.Add(info, 0); }
  std::string HttpdCnf() { return machine.ReadFile(kHttpdCnf); }

  MSList list;
};

TEST_F(HttpdConfigTest, SectionsForTwoGoInstancesAndANetscapeOne) {
  machine.WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\1.0.0]\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\2.0.0]\r\n");
  MSInfo a = Instance("a", kShop.name.c_str());
  a.SetMSOption(MSInfo::kOptCache, MSInfo::kOptCache);
  MSInfo b = Instance("b", kOther.name.c_str());
  b.SetMSOption(MSInfo::kOptHosting, MSInfo::kOptHosting);
  Add(a);
  Add(Instance("n", "nshost", eISNetscape));
  Add(b);
  const std::string administrators =
      "# Quenta Go Webserver\r\n"
      "Hostname oldhost\r\n"
      "Port 80\r\n"
      "Pass /icons/* C:\\WWW\\icons\\*\r\n";
  const std::string tail =
      "pass\t/*\tC:\\WWW\\html\\*\r\n"
      "Pass /* C:\\other\\*\r\n"
      "Hostname second\r\n";
  machine.WriteFile(kHttpdCnf, administrators + tail);
  ASSERT_EQ(Update(), 1);

  const std::string expected =
      kBegin +
      "Service /cgi-bin/nph-msrvr/* C:\\inst\\bin\\tq_cgi_kelapi.dll:tq_cache\r\n"
      "Service /cgi-bin/tessaly/* C:\\inst\\bin\\tq_cgi_kelapi.dll:tq_cache\r\n"
      "Service /cgi-bin/tessaly3/* C:\\inst\\bin\\tq_cgi_kelapi.dll:tq_cache\r\n"
      "Service /msprotect/nph-msrvr/* C:\\inst\\bin\\tq_cgi_kelapi.dll:tq_auth\r\n"
      "Service /msprotect/tessaly/* C:\\inst\\bin\\tq_cgi_kelapi.dll:tq_auth\r\n"
      "Service /msprotect/tessaly3/* C:\\inst\\bin\\tq_cgi_kelapi.dll:tq_auth\r\n"
      "\r\n" +
      ProtectionBlocks(kShop) +
      "ServerInit C:\\inst\\bin\\tq_cgi_kelapi.dll:tq_init_cache CACHE=ON|CACHE_MAX_FILES=100\r\n"
      "Pass    /te_html/*      C:\\a\\teditor\\te_html\\* " + kShop.name + "\r\n"
      "Pass    /ca_html/*      C:\\a\\teditor\\ca_html\\* " + kShop.name + "\r\n"
      "\r\n" +
      ProtectionBlocks(kOther) +
      "Pass    /te_html/*      C:\\b\\teditor\\te_html\\* " + kOther.name + "\r\n"
      "Pass    /ca_html/*      C:\\b\\teditor\\ca_html\\* " + kOther.name + "\r\n"
      "\r\n"
      "Map  /msprotect/nph-msrvr/*  /msprotect/tessaly3/* \r\n"
      "Map  /cgi-bin/nph-msrvr/*\t/cgi-bin/tessaly3/* \r\n"
      "Map /msprotect/tessaly/*\t/msprotect/tessaly3/* \r\n"
      "Map /cgi-bin/tessaly/*\t\t/cgi-bin/tessaly3/* \r\n"
      "\r\n"
      "Exec    /msprotect/*    C:\\inst\\cgi-bin\\*\r\n"
      "\r\n"
      "Pass    /storemgr/*     C:\\inst\\html\\en_US\\tqadmin\\storemgr\\*\r\n"
      "Pass    /sitemgr/*      C:\\inst\\html\\en_US\\tqadmin\\sitemgr\\*\r\n"
      "Pass    /tqacom/*       C:\\inst\\html\\en_US\\tqadmin\\common\\*\r\n"
      "Pass    /tqagif/*       C:\\inst\\html\\en_US\\tqadmin\\gif\\*\r\n"
      "Pass    /butnbars/*     C:\\inst\\html\\en_US\\tqadmin\\butnbars\\*\r\n"
      "Pass    /tqadmin/*      C:\\inst\\html\\en_US\\tqadmin\\*\r\n"
      "Pass    /tqhelp/*       C:\\inst\\html\\en_US\\tqhelp\\*\r\n"
      "Pass    /tqerror/*      C:\\inst\\html\\en_US\\tqerror\\*\r\n"
      "Pass    /tqbooks/*      C:\\inst\\html\\en_US\\tqbooks\\*\r\n"
      "Pass    /tqsample/*     C:\\inst\\html\\en_US\\tqsample\\*\r\n"
      "Pass    /sggifs/*       C:\\inst\\html\\en_US\\tqadmin\\StoreCreator\\sggifs\\*\r\n"
      "Pass    /demomall/*     C:\\inst\\html\\en_US\\demomall\\*\r\n"
      "Pass    /euromall/*     C:\\inst\\adt\\samples\\euromall\\html\\euromall\\*\r\n"
      "Pass    /grocery/*      C:\\inst\\html\\en_US\\grocery\\*\r\n"
      "Pass    /bus2bus2/*     C:\\inst\\html\\en_US\\bus2bus2\\*\r\n"
      "Pass    /tutorial/*     C:\\inst\\html\\en_US\\tutorial\\*\r\n"
      "Pass    /nextgeneration/* C:\\inst\\html\\en_US\\nextgeneration\\*\r\n"
      "Pass    /JQ/*           C:\\inst\\JQ\\public\\*\r\n"
      "Pass    /reports/*      C:\\inst\\JQ\\*\r\n"
      "Pass    /cspsite/*      C:\\inst\\html\\en_US\\cspsite\\*\r\n"
      "Pass    /cspmall/*      C:\\inst\\html\\en_US\\cspmall\\*\r\n"
      "Pass    /ca_icons/*     C:\\inst\\html\\en_US\\ca_icons\\*\r\n"
      "Pass    /ca_widgets/*   C:\\WWW\\servlets\\public\\*\r\n"
      "\r\n"
      "AddType .js             application/x-javascript binary 1.0 #Tessaly java\r\n"
      "AddType .cacert         application/x-x509-ca-cert\r\n" +
      kEnd +
      "# Quenta Go Webserver\r\n"
      "Hostname " + kShop.name + "\r\n"
      "Port 80\r\n"
      "Pass /icons/* C:\\WWW\\icons\\*\r\n" +
      kPassBegin + PassRules("C:\\a\\html", kShop) + PassRules("C:\\b\\html", kOther) + kPassEnd +
      tail;
  EXPECT_EQ(HttpdCnf(), expected);
  EXPECT_EQ(machine.ReadFile(std::string(kHttpdCnf) + ".old"), administrators + tail);

  // A second run drops both sections and writes them anew.
  ASSERT_EQ(Update(), 1);
  EXPECT_EQ(HttpdCnf(), expected);
  EXPECT_TRUE(Updates().empty());
}

TEST_F(HttpdConfigTest, ConditionalLinesFollowTheInstallation) {
  // Packaged installation, no earlier level registered, no hosting: no
  // catalog editor routes, no maps, no hosting trees, no certificate type.
  machine.WriteFile(kConfigJs, "x\r\nvar gTQPackaging = kStrStart;\r\n");
  MSInfo a = Instance("a", kShop.name.c_str());
  a.SetMSOption(MSInfo::kOptHosting, MSInfo::kOptHosting);
  Add(a);
  Add(Instance("n", "nshost", eISNetscape));  // the last record decides
  machine.WriteFile(kHttpdCnf, "Port 80\r\n");
  ASSERT_EQ(Update(), 1);
  const std::string text = HttpdCnf();
  for (const char* absent : {"/ca_html/", "/ca_icons/", "Map ", "/JQ/", "/cspmall/", ".cacert"}) {
    EXPECT_EQ(text.find(absent), std::string::npos) << absent;
  }
  EXPECT_NE(text.find("CACHE=OFF"), std::string::npos);
  EXPECT_NE(text.find("/ca_widgets/"), std::string::npos);
}

TEST_F(HttpdConfigTest, ServerInitComesWithTheFirstGoInstanceWhereverItStands) {
  Add(Instance("n", "nshost", eISNetscape));
  Add(Instance("q", "qhost", eISQuenta));
  MSInfo c = Instance("c", kOther.name.c_str());
  c.SetMSOption(MSInfo::kOptCache, MSInfo::kOptCache);
  Add(c);
  machine.WriteFile(kHttpdCnf, "Hostname x\r\n");
  ASSERT_EQ(Update(), 1);
  const std::string text = HttpdCnf();
  EXPECT_EQ(Count(text, "ServerInit "), 1u);
  EXPECT_NE(text.find(ProtectionBlocks(kOther) +
                      "ServerInit C:\\inst\\bin\\tq_cgi_kelapi.dll:tq_init_cache CACHE=ON|"),
            std::string::npos);
  // The Hostname line is the first line: it stays behind the section.
  EXPECT_EQ(OutsideSections(text), "Hostname x\r\n");
}

TEST_F(HttpdConfigTest, OldSectionsAreDroppedAndPlacementFollowsTheFirstRemainingLine) {
  Add(Instance("a", kShop.name.c_str()));
  machine.WriteFile(kHttpdCnf,
                    "###### VXR Tessaly ###### old\r\nService x\r\n###### END OF TESSALY ######\r\n"
                    "Pass /* C:\\first\r\n"
                    "hostname one\r\n"
                    "###### VXR Tessaly (Pass) ######\r\nPass /* old\r\n"
                    "###### End of VXR Tessaly (Pass) ######\r\n"
                    "PASS /*\r\n"
                    "Pass /x/* C:\\x\r\n"
                    "Hostname two\r\n");
  ASSERT_EQ(Update(), 1);
  const std::string text = HttpdCnf();
  EXPECT_EQ(text.rfind(kBegin, 0), 0u);
  EXPECT_EQ(Count(text, kBegin), 1u);
  EXPECT_EQ(Count(text, kPassBegin), 1u);
  // The first remaining line follows the section unchanged, although it is
  // a default pass rule; the next rule and the next host line are served.
  EXPECT_NE(text.find(kEnd + "Pass /* C:\\first\r\nHostname " + kShop.name + "\r\n" +
                      kPassBegin + PassRules("C:\\a\\html", kShop) + kPassEnd +
                      "PASS /*\r\nPass /x/* C:\\x\r\nHostname two\r\n"),
            std::string::npos);
}

TEST_F(HttpdConfigTest, FileOfSectionsOnlyOrEmptyGetsTheSection) {
  Add(Instance("a", kShop.name.c_str()));
  for (const char* original :
       {"", "###### VXR Tessaly ######\r\nold\r\n###### End of VXR Tessaly ######\r\n"}) {
    machine.WriteFile(kHttpdCnf, original);
    ASSERT_EQ(Update(), 1);
    const std::string text = HttpdCnf();
    EXPECT_EQ(text.rfind(kBegin, 0), 0u);
    EXPECT_EQ(text.size() - text.rfind(kEnd), kEnd.size());
    EXPECT_EQ(OutsideSections(text), "");
  }
}

TEST_F(HttpdConfigTest, UnresolvableHostGetsItsNameBlockOnly) {
  Add(Instance("a", "nosuchhost.invalid"));
  Add(Instance("b", kOther.name.c_str()));
  machine.WriteFile(kHttpdCnf, "Port 80\r\nPass /* C:\\x\r\n");
  ASSERT_EQ(Update(), 1);
  ASSERT_EQ(Updates().size(), 1u);
  EXPECT_EQ(Updates()[0],
            "The hostname specified (nosuchhost.invalid) does not have a valid IP address.");
  const std::string text = HttpdCnf();
  EXPECT_NE(text.find("\r\n\r\n" + ProtectionBlock("nosuchhost.invalid") + "ServerInit "),
            std::string::npos);
  EXPECT_NE(text.find("\r\n" + ProtectionBlocks(kOther) + "Pass "), std::string::npos);
  EXPECT_EQ(Count(text, "Protect "), 2 + kOther.addresses.size());
  EXPECT_NE(text.find(kPassBegin + "Pass   /*  C:\\a\\html\\* nosuchhost.invalid\r\n" +
                      PassRules("C:\\b\\html", kOther) + kPassEnd),
            std::string::npos);
}

TEST_F(HttpdConfigTest, RefusedFilesStayAsTheyWere) {
  struct Case {
    const char* name;
    std::string original;
    const char* host;
  };
  const Case cases[] = {
      {"begin marker without end", "Port 80\r\n###### VXR Tessaly ######\r\nmine\r\n",
       kShop.name.c_str()},
      {"end marker alone opens a section", "###### End of VXR Tessaly ######\r\nmine\r\n",
       kShop.name.c_str()},
      {"host with a line end", "Port 80\r\nHostname h\r\n", "evil\nPass /* C:\\"},
  };
  for (const Case& c : cases) {
    list.Empty();
    MSInfo info = Instance("a", kShop.name.c_str());
    info.m_ISHost = c.host;
    Add(info);
    machine.WriteFile(kHttpdCnf, c.original);
    EXPECT_EQ(Update(), 0) << c.name;
    EXPECT_EQ(HttpdCnf(), c.original) << c.name;
    EXPECT_FALSE(machine.FileExists(std::string(kHttpdCnf) + ".old")) << c.name;
    ASSERT_FALSE(Errors().empty()) << c.name;
    EXPECT_EQ(Errors().back(), "Cannot modify web server configuration file.") << c.name;
  }
}

TEST_F(HttpdConfigTest, LinesAreKeptWholeAndByteForByte) {
  Add(Instance("a", kShop.name.c_str()));
  // The piece after the first 1024 characters would look like a host line.
  const std::string longLine = "# " + std::string(1022, 'x') + "Hostname evil\r\n";
  const std::string withNul("Port\0 80\r\n", 10);
  machine.WriteFile(kHttpdCnf, withNul + longLine + "Hostname h\r\nlast");
  ASSERT_EQ(Update(), 1);
  EXPECT_EQ(OutsideSections(HttpdCnf()), withNul + longLine + "Hostname " + kShop.name + "\r\nlast");
}

}  // namespace
