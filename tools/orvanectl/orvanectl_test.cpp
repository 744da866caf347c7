// orvanectl as a user runs it: the built program in a subprocess, on a fresh
// emulated machine in a temporary folder.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "OrvanectlFixture.h"

using namespace orvanectl_fixture;  // NOLINT(build/namespaces): the tests' vocabulary

namespace {

TEST_F(OrvanectlTest, HelpForEveryCommandAndVersion) {
  CtlRun help = Ctl({"--help"});
  EXPECT_EQ(help.exit, 0);
  EXPECT_NE(help.out.find("Exit codes: 0 done; 1"), std::string::npos) << help.out;
  for (const char* command : {"list", "show", "default", "add", "set", "create", "start", "stop",
                              "status", "ssl", "portset", "qvbridge", "machine", "db",
                              "delete", "webconf", "personalize", "demo", "migrate", "apply",
                              "export"}) {
    CtlRun run = Ctl({command, "--help"});
    EXPECT_EQ(run.exit, 0) << command;
    EXPECT_NE(run.out.find(command), std::string::npos) << command << ": " << run.out;
  }
  CtlRun add = Ctl({"add", "--help"});
  for (const char* shown : {"--db-password TEXT|-", "1024 to 65535", "--port PORT", "--cache on|off",
                            "--processes INT", "--web-server go|netscape|quenta"}) {
    EXPECT_NE(add.out.find(shown), std::string::npos) << shown << "\n" << add.out;
  }
  // Help says what a message says, never its number.
  for (const char* command : {"--help", "qvbridge", "delete", "status"}) {
    const std::string text = Ctl({command, "--help"}).out;
    EXPECT_FALSE(std::regex_search(text, std::regex("messages? [0-9]"))) << text;
  }
  CtlRun version = Ctl({"--version"});
  EXPECT_EQ(version.exit, 0);
  EXPECT_EQ(version.out.rfind("orvanectl ", 0), 0u) << version.out;
}

TEST_F(OrvanectlTest, BashCompletionOffersTheCommandTable) {
  CtlRun script = Ctl({"completion"});
  ASSERT_EQ(script.exit, 0) << script.err;
  const fs::path file = m_folder / "orvanectl.bash";
  WriteFile(file, script.out);
  struct Case {
    std::string words;  // the command line so far, the last word being completed
    std::string offered;
  };
  const std::vector<Case> cases = {
      {"orvanectl sta", "start status"},
      {"orvanectl --json set shop1 --ca", "--cache"},
      {"orvanectl db c", "create"},
      {"orvanectl machine init --l", "--level"},
      {"orvanectl delete shop1 --p", "--purge"},
      {"orvanectl frob", ""},
  };
  for (const Case& c : cases) {
    const std::string line = "bash -c " +
                             Quote("source " + Quote(file.string()) + "; COMP_WORDS=(" + c.words +
                                   "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _orvanectl; "
                                   "echo \"${COMPREPLY[*]}\"") +
                             " >" + Quote((m_folder / "offered").string());
    ASSERT_EQ(std::system(line.c_str()), 0) << c.words;
    EXPECT_EQ(ReadFile(m_folder / "offered"), c.offered + "\n") << c.words;
  }
}

TEST_F(OrvanectlTest, UsageErrorsExitTwo) {
  SampleMachine();
  const std::vector<std::vector<std::string>> cases = {
      {"frobnicate"}, {"show"}, {"portset", "81"}, {"set", "shop1"}, {"add"},
      {"create"},     {"qvbridge", "shop1", "17000"}, {"list", "--no-such-option"},
      {"add", "shop2", "--name", "shop3"}, {"repair", "--drop", "a", "--fix", "b"},
      {"repair", "--port", "17000"}};
  for (const auto& arguments : cases) {
    EXPECT_EQ(Ctl(arguments).exit, 2) << arguments.front();
  }
  json document = CtlJson({"frobnicate"}, 2);
  EXPECT_EQ(document["messages"][0]["kind"], "error");
  EXPECT_EQ(document["messages"][0]["text"],
            "'frobnicate' is not an orvanectl command (orvanectl --help lists them)");
  const std::string near = Ctl({"--machine", m_machine.string(), "stat"}).err;
  EXPECT_NE(near.find("The most similar commands are\n\tstart\n\tstatus"), std::string::npos)
      << near;
}

TEST_F(OrvanectlTest, StatusLinesAreMessagesAndQuietLeavesThemOut) {
  SampleMachine();
  json added = CtlJson({"add", "shop1", "--host", "shop1.example"}, 0);
  ASSERT_EQ(added["messages"].size(), 1u) << added.dump();
  EXPECT_EQ(added["messages"][0]["kind"], "status");
  EXPECT_EQ(added["messages"][0]["text"].get<std::string>().rfind("instance shop1 added to", 0), 0u);
  EXPECT_EQ(added["result"]["written"][0], "C:\\Tessaly\\server\\admin\\tqconfig.dat");
  CtlRun quiet = Ctl({"--quiet", "set", "shop1", "--cache", "on"});
  EXPECT_EQ(quiet.exit, 0);
  EXPECT_EQ(quiet.out, "");
  CtlRun quietCreate = Ctl({"-q", "create", "shop1"});
  EXPECT_EQ(quietCreate.exit, 0) << quietCreate.err;
  EXPECT_EQ(quietCreate.out, "");
  // What was asked for is still shown; errors too.
  EXPECT_NE(Ctl({"-q", "list"}).out.find("shop1"), std::string::npos);
  EXPECT_NE(Ctl({"-q", "show", "nosuch"}).err.find("nosuch"), std::string::npos);
}

TEST_F(OrvanectlTest, NoMachineOrNoInstallationExitsFour) {
  EXPECT_EQ(Ctl({"list"}).exit, 4);
  ASSERT_EQ(Ctl({"machine", "init"}).exit, 0);  // Windows alone, no product
  json document = CtlJson({"list"}, 4);
  EXPECT_TRUE(HasMessage(document, 5)) << document.dump();
  EXPECT_EQ(Ctl({"add", "shop1"}).exit, 4);
}

TEST_F(OrvanectlTest, MachineInitKeepsWhatIsThere) {
  SampleMachine();
  EXPECT_EQ(Ctl({"machine", "init"}).exit, 1);
  fs::create_directories(m_folder / "other");
  WriteFile(m_folder / "other" / "keep.txt", "mine");
  const fs::path machine = m_machine;
  m_machine = m_folder / "other";
  EXPECT_EQ(Ctl({"machine", "init", "--force"}).exit, 1);
  EXPECT_EQ(ReadFile(m_folder / "other" / "keep.txt"), "mine");
  m_machine = machine;
  EXPECT_EQ(Ctl({"machine", "init", "--force", "--level", "2"}).exit, 0);
}

TEST_F(OrvanectlTest, DefineAndShowAnInstance) {
  SampleMachine();
  json proposal = CtlJson({"default", "shop1"}, 0);
  EXPECT_EQ(proposal["result"]["instance"]["port"], 16570);
  EXPECT_EQ(proposal["result"]["instance"]["db-name"], "shop1");
  // The database name keeps to its own characters.
  EXPECT_EQ(CtlJson({"default", "shop-1"}, 0)["result"]["instance"]["db-name"], "shop_1");
  EXPECT_EQ(proposal["result"]["instance"]["root"], "C:\\Tessaly\\instance\\shop1");

  CtlRun add = Ctl({"add", "shop1", "--host", "shop1.example", "--db-password", "-",
                 "--processes", "3", "--cache", "on"},
                "s3cretPw\n");
  ASSERT_EQ(add.exit, 0) << add.err;
  EXPECT_EQ(add.out.find("s3cretPw"), std::string::npos);

  json shown = CtlJson({"show", "shop1"}, 0);
  const json& fields = shown["result"]["instance"];
  EXPECT_EQ(fields["host"], "shop1.example");
  EXPECT_EQ(fields["processes"], 3);
  EXPECT_EQ(fields["cache"], true);
  EXPECT_EQ(fields["db-password"], "set");
  EXPECT_EQ(fields["cms-password"], "unset");
  EXPECT_EQ(shown.dump().find("s3cretPw"), std::string::npos);
  EXPECT_EQ(ReadFile(DataFile()).find("s3cretPw"), std::string::npos);

  json changed = CtlJson({"set", "shop1", "--port", "17000", "--web-server", "netscape"}, 0);
  EXPECT_EQ(changed["result"]["instance"]["port"], 17000);
  json listed = CtlJson({"list"}, 0);
  ASSERT_EQ(listed["result"]["instances"].size(), 1u);
  EXPECT_EQ(listed["result"]["instances"][0]["name"], "shop1");
  EXPECT_EQ(listed["result"]["instances"][0]["port"], 17000);
  EXPECT_EQ(Ctl({"show", "nosuch"}).exit, 5);
}

TEST_F(OrvanectlTest, OnATerminalSecretsAreNotEchoedAndProgressIsABar) {
  SampleMachine();
  const std::string typed =
      OnTerminal({"add", "shop1", "--db-password", "-"}, "database password", "hidden-pw\n");
  EXPECT_EQ(typed.find("hidden-pw"), std::string::npos) << typed;
  EXPECT_EQ(CtlJson({"show", "shop1"}, 0)["result"]["instance"]["db-password"], "set");

  ASSERT_EQ(Ctl({"create", "shop1"}).exit, 0);
  const std::string created = OnTerminal({"db", "create", "shop1"});
  EXPECT_NE(created.find("\r[...................................."), std::string::npos) << created;
  EXPECT_EQ(created.find("progress "), std::string::npos) << created;
  // Without a terminal the same progress is a plain line.
  const CtlRun plain = Ctl({"db", "create", "--all"});
  EXPECT_NE(plain.out.find("progress "), std::string::npos) << plain.out;
  EXPECT_EQ(plain.out.find("\r["), std::string::npos) << plain.out;
}

TEST_F(OrvanectlTest, ARecordOnAnotherProgramsPortIsStillRefused) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  AddShop("shop2", "shop2.example");
  ASSERT_EQ(Ctl({"create", "--all"}).exit, 0);
  const std::string before = ReadFile(DataFile());
  // Port 16593 lies in shop2's block but belongs to no entry of its own.
  const fs::path services =
      m_machine / "drive_c" / "WINNT" / "system32" / "drivers" / "etc" / "services";
  WriteFile(services, ReadFile(services) + "foreign\t16593/tcp\r\n");
  json refused = CtlJson({"set", "shop1", "--cache", "on"}, 4);
  EXPECT_TRUE(HasMessage(refused, 70)) << refused.dump();
  EXPECT_NE(refused.dump().find("instance shop2"), std::string::npos);
  EXPECT_EQ(ReadFile(DataFile()), before);
}

TEST_F(OrvanectlTest, TextsThatAreNotUtf8StayReadableInJson) {
  SampleMachine();
  json added = CtlJson({"add", "caf\xe9", "--root", "C:\\caf\xe9"}, 0);
  EXPECT_TRUE(added["result"]["instance"]["name"].is_string());
  EXPECT_EQ(CtlJson({"list"}, 0)["result"]["instances"].size(), 1u);
}

TEST_F(OrvanectlTest, RefusedValuesNameTheirRuleAndChangeNothing) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  const std::string before = ReadFile(DataFile());
  struct Case {
    std::vector<std::string> arguments;
    std::string rule;
  };
  const std::vector<Case> cases = {
      {{"add", "toolongname"}, "1 to 8 characters"},
      {{"add", "shop2", "--port", "16560"}, "not 16560"},
      {{"set", "shop1", "--port", "80"}, "1024 to 65535"},
      {{"set", "shop1", "--processes", "1"}, "2 to 99"},
      {{"set", "shop1", "--processes", "two"}, "2 to 99"},
      {{"set", "shop1", "--ip", "10.0.0"}, "four dot-separated"},
      {{"set", "shop1", "--db-owner", "nobody"}, "administrator privilege"},
      {{"set", "shop1", "--web-server", "apache"}, "go, netscape, quenta"},
      {{"set", "shop1", "--merchant-key", "short"}, "exactly 16 characters"},
      {{"set", "shop1", "--db-password", "seventeen-chars-x"}, "0 to 16 characters"},
      {{"set", "shop1", "--host", "shop1\nDBNAME x"}, "no line end"},
      {{"set", "shop1", "--db-service", "svc\r"}, "no line end"},
      // Values that would act as syntax in a command file or script.
      {{"set", "shop1", "--db-host", "dbhost>C:\\WINNT\\httpd.cnf"}, "letters, digits, - and ."},
      {{"set", "shop1", "--db-name", "x>C:\\z"}, "letters, digits, _, $, # and @"},
      {{"set", "shop1", "--db-user", "u&calc"}, "letters, digits, _, $, # and @"},
      {{"set", "shop1", "--db-service", "svc&calc"}, "letters, digits, _, $, # and @"},
      {{"set", "shop1", "--html-path", "C:\\WWW\\html\\50%"}, "without \", % or a line end"},
      {{"set", "shop1", "--db-password", "50%"}, "without \", % or a line end"},
      {{"add", "..\\..\\.."}, "not dots alone, without blanks"},
      {{"add", "a&b"}, "& ^ % ( )"},
  };
  for (const Case& c : cases) {
    CtlRun run = Ctl(c.arguments);
    EXPECT_EQ(run.exit, 3) << c.arguments.back() << run.err;
    EXPECT_NE(run.err.find(c.rule), std::string::npos) << run.err;
  }
  // A refused secret is not echoed either.
  EXPECT_EQ(Ctl({"set", "shop1", "--db-password", "seventeen-chars-x"}).err.find("seventeen"),
            std::string::npos);
  EXPECT_EQ(ReadFile(DataFile()), before);
}

TEST_F(OrvanectlTest, ConflictsPrintTheirMessages) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  const std::string before = ReadFile(DataFile());
  json sameName = CtlJson({"add", "SHOP1", "--host", "shop2.example"}, 3);
  EXPECT_TRUE(HasMessage(sameName, 68)) << sameName.dump();
  json sameHost = CtlJson({"add", "shop2", "--host", "shop1.example"}, 3);
  EXPECT_TRUE(HasMessage(sameHost, 69)) << sameHost.dump();
  EXPECT_EQ(sameHost["messages"][0]["text"], "instance shop2 conflicts with instance shop1 on host:");
  json overlap = CtlJson({"add", "shop2", "--host", "shop2.example", "--port", "16572"}, 3);
  EXPECT_TRUE(HasMessage(overlap, 76)) << overlap.dump();
  EXPECT_EQ(ReadFile(DataFile()), before);
}

TEST_F(OrvanectlTest, ConcurrentAddsAreAllKept) {
  SampleMachine();
  constexpr int kRuns = 6;
  std::vector<FILE*> runs;
  for (int i = 1; i <= kRuns; ++i) {
    const std::string line = Quote(ORVANECTL_PROGRAM) + " --machine " + Quote(m_machine.string()) +
                             " add shop" + std::to_string(i) + " --host h" + std::to_string(i) +
                             ".example 2>&1";
    runs.push_back(popen(line.c_str(), "r"));
    ASSERT_NE(runs.back(), nullptr);
  }
  for (FILE* run : runs) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, run) != nullptr) {
    }
    EXPECT_EQ(pclose(run), 0);
  }
  json listed = CtlJson({"list"}, 0);
  EXPECT_EQ(listed["result"]["instances"].size(), static_cast<std::size_t>(kRuns)) << listed.dump();
}

TEST_F(OrvanectlTest, IncompleteDataFileIsNeverStoredOver) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  const std::string whole = ReadFile(DataFile());

  // Cut short in the middle of the record.
  const std::string damaged = whole.substr(0, whole.size() / 2);
  WriteFile(DataFile(), damaged);
  EXPECT_EQ(Ctl({"add", "shop2", "--host", "shop2.example"}).exit, 4);
  EXPECT_EQ(Ctl({"list"}).exit, 4);
  EXPECT_EQ(ReadFile(DataFile()), damaged);

  // The same record twice: the list refuses the second, and says so.
  const std::size_t countEnd = whole.find('\n', whole.find('\n') + 1) + 1;
  const std::size_t lastLine = whole.rfind('\n', whole.size() - 2) + 1;
  const std::string record = whole.substr(countEnd, lastLine - countEnd);
  const std::string doubled = "769\r\n2\r\n" + record + record + whole.substr(lastLine);
  WriteFile(DataFile(), doubled);
  json refused = CtlJson({"set", "shop1", "--processes", "4"}, 4);
  EXPECT_TRUE(HasMessage(refused, 68)) << refused.dump();
  EXPECT_NE(refused.dump().find("instance shop1"), std::string::npos);
  EXPECT_EQ(ReadFile(DataFile()), doubled);
}

TEST_F(OrvanectlTest, ACreatedInstanceIsNotRenamedAndTheFileStaysUsable) {
  SampleMachine();
  AddShop("b1", "b1.example");
  AddShop("a3", "a3.example");  // the first record's ports are not checked
  ASSERT_EQ(Ctl({"create", "a3"}).exit, 0);
  const std::string before = ReadFile(DataFile());
  CtlRun renamed = Ctl({"set", "a3", "--name", "a9"});
  EXPECT_EQ(renamed.exit, 3);
  EXPECT_NE(renamed.err.find("delete it (orvanectl delete a3), then add and create it as a9"),
            std::string::npos)
      << renamed.err;
  EXPECT_EQ(ReadFile(DataFile()), before);
  EXPECT_EQ(Ctl({"show", "a3"}).exit, 0);
  // One that was never created carries its name nowhere else.
  EXPECT_EQ(Ctl({"set", "b1", "--name", "b2"}).exit, 0);
  EXPECT_EQ(Ctl({"show", "b2"}).exit, 0);
  EXPECT_EQ(Ctl({"set", "b2", "--cache", "on"}).exit, 0);
}

// A data file as an older orvanectl left it: the created instance a3 renamed
// to a9 in the record alone, its ports still registered under a3's names.
TEST_F(OrvanectlTest, RepairListsMendsAndDropsRefusedRecords) {
  SampleMachine();
  AddShop("b1", "b1.example");
  AddShop("a3", "a3.example");  // the first record's ports are not checked
  ASSERT_EQ(Ctl({"create", "a3"}).exit, 0);
  std::string renamed = ReadFile(DataFile());
  const std::size_t nameLine = renamed.find("\na3\r\n");
  ASSERT_NE(nameLine, std::string::npos) << renamed;
  renamed.replace(nameLine + 1, 2, "a9");
  WriteFile(DataFile(), renamed);
  EXPECT_EQ(Ctl({"show", "b1"}).exit, 4);
  CtlRun told = Ctl({"show", "b1"});
  EXPECT_NE(told.err.find("orvanectl repair"), std::string::npos) << told.err;

  // Asked nothing, it changes nothing.
  json listed = CtlJson({"repair"}, 4);
  ASSERT_EQ(listed["result"]["refused"].size(), 1u) << listed.dump();
  EXPECT_EQ(listed["result"]["refused"][0]["instance"]["name"], "a9");
  EXPECT_EQ(listed["result"]["refused"][0]["fields"], "port");
  EXPECT_EQ(ReadFile(DataFile()), renamed);
  EXPECT_FALSE(fs::exists(DataFile().string() + ".bak"));

  struct Case {
    std::vector<std::string> arguments;
    int exit;
  };
  const std::vector<Case> refusedCases = {
      {{"repair", "--drop", "nosuch"}, 5},
      {{"repair", "--fix", "a9", "--host", "b1.example"}, 3},  // b1's host
      {{"repair", "--fix", "a9", "--processes", "1"}, 3},      // the rule
      {{"repair", "--fix", "a9"}, 2},
  };
  for (const Case& c : refusedCases) {
    EXPECT_EQ(Ctl(c.arguments).exit, c.exit) << c.arguments.back();
    EXPECT_EQ(ReadFile(DataFile()), renamed) << c.arguments.back();
  }
  CtlRun conflict = Ctl({"repair", "--fix", "a9", "--host", "b1.example", "--name", "a3"});
  EXPECT_NE(conflict.err.find("instance a3 conflicts with instance b1 on host"), std::string::npos)
      << conflict.err;

  json mended = CtlJson({"repair", "--fix", "a9", "--name", "a3"}, 0);
  EXPECT_EQ(mended["result"]["fixed"], "a3");
  EXPECT_EQ(ReadFile(DataFile().string() + ".bak"), renamed);
  EXPECT_EQ(CtlJson({"list"}, 0)["result"]["instances"].size(), 2u);
  EXPECT_EQ(CtlJson({"repair"}, 0)["result"]["refused"].size(), 0u);

  // The same record twice: the copy goes, the first stays.
  const std::string whole = ReadFile(DataFile());
  const std::size_t countEnd = whole.find('\n', whole.find('\n') + 1) + 1;
  const std::size_t lastLine = whole.rfind('\n', whole.size() - 2) + 1;
  const std::string records = whole.substr(countEnd, lastLine - countEnd);
  const std::string doubled = "769\r\n4\r\n" + records + records + whole.substr(lastLine);
  WriteFile(DataFile(), doubled);
  EXPECT_EQ(CtlJson({"repair"}, 4)["result"]["refused"].size(), 2u);
  json dropped = CtlJson({"repair", "--drop", "b1"}, 0);
  EXPECT_EQ(dropped["result"]["stillRefused"], 1);
  EXPECT_EQ(ReadFile(DataFile().string() + ".bak"), doubled);
  EXPECT_EQ(CtlJson({"repair", "--drop", "a3"}, 0)["result"]["stillRefused"], 0);
  EXPECT_EQ(ReadFile(DataFile()), whole);

  // A link planted where the backup goes, leading off the machine: the
  // backup replaces the link and never writes where it leads.
  WriteFile(DataFile(), doubled);
  const fs::path outside = m_folder / "outside";
  WriteFile(outside, "not the data file");
  const fs::path backup = DataFile().string() + ".bak";
  fs::remove(backup);
  fs::create_symlink(outside, backup);
  EXPECT_EQ(Ctl({"repair", "--drop", "b1"}).exit, 0);
  EXPECT_EQ(ReadFile(outside), "not the data file");
  EXPECT_FALSE(fs::is_symlink(backup));
  EXPECT_EQ(ReadFile(backup), doubled);
}

TEST_F(OrvanectlTest, CreatedInstancesRunAndStayInTheList) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  AddShop("shop2", "shop2.example");
  // Not created yet: there is no service to start, and nothing says it started.
  CtlRun notCreated = Ctl({"start", "shop1"});
  EXPECT_EQ(notCreated.exit, 1);
  EXPECT_EQ(notCreated.out, "");
  EXPECT_NE(notCreated.err.find("instance shop1 is not created"), std::string::npos);

  json created = CtlJson({"create", "--all"}, 0);
  EXPECT_TRUE(HasMessage(created, 54)) << created.dump();
  EXPECT_EQ(created["result"]["created"].size(), 2u);
  // What changed on the machine: both services, every entry of each.
  EXPECT_EQ(created["result"]["changes"]["services"], json({{"TQshop1", "created"}, {"TQshop2", "created"}}));
  EXPECT_EQ(created["result"]["changes"]["unregistered"], json::array());
  json shop2Entries = json::array();
  for (const json& line : created["result"]["changes"]["registered"]) {
    if (line.get<std::string>().rfind("tqshop2", 0) == 0) shop2Entries.push_back(line);
  }
  EXPECT_EQ(shop2Entries.size(), 14u) << created.dump();  // controller, 2 servers, pay_cyber, 10 schedulers
  EXPECT_EQ(created["result"]["changes"]["registered"].size(), 28u);
  // The second instance's ports are now its own services' entries: it stays.
  json changed = CtlJson({"set", "shop2", "--cache", "on"}, 0);
  EXPECT_EQ(CtlJson({"list"}, 0)["result"]["instances"].size(), 2u);

  json database = CtlJson({"db", "create", "shop1"}, 0);
  EXPECT_TRUE(HasMessage(database, 20)) << database.dump();
  EXPECT_EQ(database["result"]["changes"]["services"], json({{"TQshop1", "demand -> automatic"}}));
  json again = CtlJson({"db", "create", "--all"}, 0);
  EXPECT_TRUE(HasMessage(again, 35)) << again.dump();

  json started = CtlJson({"start", "shop1"}, 0);
  EXPECT_TRUE(HasMessage(started, 42));
  json status = CtlJson({"status"}, 0);
  EXPECT_EQ(status["result"]["instances"]["shop1"], true);
  EXPECT_EQ(status["result"]["instances"]["shop2"], false);
  EXPECT_EQ(status["result"]["webServer"], true);
  json stopped = CtlJson({"stop", "shop1"}, 0);
  EXPECT_TRUE(HasMessage(stopped, 43));

  CtlRun bridge = Ctl({"qvbridge", "shop1", "17100", "qsrv", "in", "out", "err", "qm", "user",
                    "client", "chan", "1414"});
  EXPECT_EQ(bridge.exit, 0) << bridge.err;
  const fs::path servicesFile =
      m_machine / "drive_c" / "WINNT" / "system32" / "drivers" / "etc" / "services";
  EXPECT_NE(ReadFile(servicesFile).find("tqshop1_ece_1"), std::string::npos);

  json configured = CtlJson({"webconf"}, 0);
  EXPECT_NE(ReadFile(HttpdCnf()).find("shop2.example"), std::string::npos);
  EXPECT_EQ(Ctl({"personalize", "shop1"}).exit, 0);
  EXPECT_NE(ReadFile(m_machine / "drive_c" / "WWW" / "html" / "shop1" / "tessaly.ini")
                .find("GL_PORT 9000"),
            std::string::npos);

  json deleted = CtlJson({"delete", "shop2"}, 0);
  EXPECT_TRUE(HasMessage(deleted, 49)) << deleted.dump();
  EXPECT_EQ(deleted["result"]["changes"]["services"], json({{"TQshop2", "deleted"}}));
  EXPECT_EQ(deleted["result"]["changes"]["unregistered"], shop2Entries);
  EXPECT_EQ(deleted["result"]["changes"]["registered"], json::array());
  EXPECT_EQ(ReadFile(servicesFile).find("tqshop2"), std::string::npos);
  EXPECT_EQ(ReadFile(HttpdCnf()).find("shop2.example"), std::string::npos);
  json left = CtlJson({"list"}, 0);
  ASSERT_EQ(left["result"]["instances"].size(), 1u);
  EXPECT_EQ(left["result"]["instances"][0]["name"], "shop1");
  // Deleting again finds nothing left to unregister, and says only that.
  EXPECT_EQ(Ctl({"delete", "shop1", "--keep-record"}).exit, 0);
  CtlRun twice = Ctl({"delete", "shop1", "--keep-record"});
  EXPECT_EQ(twice.exit, 0);
  EXPECT_EQ(twice.err, "");
  EXPECT_EQ(twice.out, "instance shop1 is not created: nothing to unregister\n");
}

TEST_F(OrvanectlTest, ServicesAnswerAsServiceManagersDo) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  AddShop("shop2", "shop2.example");
  ASSERT_EQ(Ctl({"create", "shop1"}).exit, 0);
  json listed = CtlJson({"list"}, 0);
  ASSERT_EQ(listed["result"]["instances"].size(), 2u);
  const json& first = listed["result"]["instances"][0];
  const json& second = listed["result"]["instances"][1];
  EXPECT_EQ(first["created"], true);
  EXPECT_EQ(first["startType"], "demand");
  EXPECT_EQ(first["database"], false);
  EXPECT_EQ(second["created"], false);
  EXPECT_TRUE(second["startType"].is_null());
  ASSERT_EQ(Ctl({"db", "create", "shop1"}).exit, 0);
  const json afterDb = CtlJson({"list"}, 0)["result"]["instances"][0];
  EXPECT_EQ(afterDb["startType"], "automatic");
  EXPECT_EQ(afterDb["database"], true);

  struct Step {
    std::vector<std::string> arguments;
    int exit;
  };
  const std::vector<Step> steps = {
      {{"status", "shop1"}, 3},         {{"status", "nosuch"}, 4},
      {{"start", "--all"}, 0},          {{"status", "shop1"}, 0},
      {{"status", "shop2"}, 3},         {{"restart", "shop1"}, 0},
      {{"status", "shop1"}, 0},         {{"stop", "--all"}, 0},
      {{"status", "shop1"}, 3},         {{"restart", "--all"}, 0},
      {{"status", "shop1"}, 0},         {{"restart", "shop2"}, 1},
      {{"start", "nosuch"}, 5},         {{"set", "nosuch", "--cache", "on"}, 5},
      {{"start", "shop1", "--all"}, 2}, {{"restart"}, 2},
  };
  for (const Step& step : steps) {
    std::string typed;
    for (const std::string& word : step.arguments) typed += word + " ";
    EXPECT_EQ(Ctl(step.arguments).exit, step.exit) << typed;
  }
  // The steps leave shop1 running: list says what status says.
  const json running = CtlJson({"list"}, 0)["result"]["instances"];
  EXPECT_EQ(running[0]["running"], true);
  EXPECT_EQ(running[1]["running"], false);
  ASSERT_EQ(Ctl({"stop", "shop1"}).exit, 0);
  EXPECT_EQ(CtlJson({"list"}, 0)["result"]["instances"][0]["running"], false);
  CtlRun help = Ctl({"--help"});
  EXPECT_NE(help.out.find("status NAME: 0 running, 3 not running, 4"), std::string::npos)
      << help.out;
}

TEST_F(OrvanectlTest, DeleteSaysWhatItKeepsAndPurgeAsksFirst) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  AddShop("shop2", "shop2.example");
  ASSERT_EQ(Ctl({"create", "--all"}).exit, 0);
  ASSERT_EQ(Ctl({"db", "create", "--all"}).exit, 0);
  const fs::path registry = m_machine / "registry.reg";
  ASSERT_NE(ReadFile(registry).find("SHOP2"), std::string::npos);

  CtlRun kept = Ctl({"delete", "shop1"});
  EXPECT_EQ(kept.exit, 0) << kept.err;
  EXPECT_NE(kept.out.find("kept: the database shop1 and its ODBC data source"), std::string::npos)
      << kept.out;

  // Without a terminal --purge needs --yes; on one, a no keeps everything.
  const std::string before = ReadFile(DataFile());
  EXPECT_EQ(Ctl({"delete", "shop2", "--purge"}).exit, 2);
  const std::string refused =
      OnTerminal({"delete", "shop2", "--purge"}, "remove its ODBC data source? [y/N]", "n\n");
  EXPECT_NE(refused.find("nothing deleted"), std::string::npos) << refused;
  EXPECT_EQ(ReadFile(DataFile()), before);
  const std::string purged =
      OnTerminal({"delete", "shop2", "--purge"}, "remove its ODBC data source? [y/N]", "y\n");
  EXPECT_NE(purged.find("database shop2 dropped"), std::string::npos) << purged;
  EXPECT_NE(purged.find("ODBC data source shop2 removed"), std::string::npos) << purged;
  EXPECT_EQ(ReadFile(registry).find("SHOP2"), std::string::npos);
  EXPECT_EQ(CtlJson({"list"}, 0)["result"]["instances"].size(), 0u);

  // One never created has nothing but its record.
  AddShop("shop3", "shop3.example");
  CtlRun never = Ctl({"delete", "shop3"});
  EXPECT_EQ(never.exit, 0);
  EXPECT_EQ(never.err, "");
  EXPECT_NE(never.out.find("instance shop3, never created, removed"), std::string::npos)
      << never.out;
}

std::size_t FilesIn(const fs::path& folder) {
  std::error_code missing;
  std::size_t count = 0;
  for (fs::directory_iterator entry(folder, missing), end; !missing && entry != end; ++entry) {
    ++count;
  }
  return count;
}

// Creating a running instance again stops it and says so (or starts it
// again with --restart); its queue bridge stays in the controller's pool;
// deleting it leaves no entry, no service and no pool of it.
TEST_F(OrvanectlTest, RecreationKeepsTheBridgeAndDeletionLeavesNothingOfIt) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  ASSERT_EQ(Ctl({"create", "shop1"}).exit, 0);
  const fs::path editor = m_machine / "drive_c" / "Tessaly" / "instance" / "shop1" / "teditor";
  EXPECT_EQ(FilesIn(editor / "category"), 14u);
  EXPECT_EQ(FilesIn(editor / "product"), 10u);
  CtlRun bridge = Ctl({"qvbridge", "shop1", "17100", "qsrv", "in", "out", "err", "qm", "user",
                       "server", "chan"});
  ASSERT_EQ(bridge.exit, 0) << bridge.err;

  ASSERT_EQ(Ctl({"start", "shop1"}).exit, 0);
  CtlRun again = Ctl({"create", "shop1"});
  EXPECT_EQ(again.exit, 0) << again.err;
  EXPECT_NE(again.out.find("was running: it was stopped"), std::string::npos) << again.out;
  EXPECT_NE(again.out.find("--restart"), std::string::npos) << again.out;
  EXPECT_EQ(CtlJson({"status"}, 0)["result"]["instances"]["shop1"], false);
  ASSERT_EQ(Ctl({"start", "shop1"}).exit, 0);
  json restarted = CtlJson({"create", "shop1", "--restart"}, 0);
  EXPECT_TRUE(HasMessage(restarted, 42)) << restarted.dump();
  EXPECT_EQ(CtlJson({"status"}, 0)["result"]["instances"]["shop1"], true);
  const fs::path controller = m_machine / "drive_c" / "WWW" / "html" / "shop1" / "srvrctrl.ini";
  EXPECT_NE(ReadFile(controller).find("shop1\\tqei_ece"), std::string::npos);

  json deleted = CtlJson({"delete", "shop1"}, 0);
  EXPECT_TRUE(HasMessage(deleted, 49)) << deleted.dump();
  const fs::path servicesFile =
      m_machine / "drive_c" / "WINNT" / "system32" / "drivers" / "etc" / "services";
  EXPECT_EQ(ReadFile(servicesFile).find("tqshop1"), std::string::npos);
  EXPECT_EQ(ReadFile(m_machine / "registry.reg").find("Services\\TQshop1]"), std::string::npos);
  EXPECT_FALSE(fs::exists(controller));
}

// A deletion that stored the list but could not configure the web server
// (here: a product section never closed) is finished by running it again.
TEST_F(OrvanectlTest, ADeletionStoppedBeforeTheWebServerIsFinishedByARerun) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  AddShop("shop2", "shop2.example");
  ASSERT_EQ(Ctl({"create", "--all"}).exit, 0);
  ASSERT_EQ(Ctl({"webconf"}).exit, 0);
  const std::string configured = ReadFile(HttpdCnf());
  ASSERT_NE(configured.find("shop2.example"), std::string::npos);
  const std::string unclosed = configured + "# mine\r\n###### VXR Tessaly ######\r\nPass x\r\n";
  WriteFile(HttpdCnf(), unclosed);
  const int line = static_cast<int>(std::count(configured.begin(), configured.end(), '\n')) + 2;

  CtlRun refused = Ctl({"webconf"});
  EXPECT_EQ(refused.exit, 1);
  EXPECT_NE(refused.err.find("httpd.cnf line " + std::to_string(line) + ": "), std::string::npos)
      << refused.err;
  CtlRun stopped = Ctl({"delete", "shop2"});
  EXPECT_EQ(stopped.exit, 1);
  EXPECT_NE(stopped.err.find("line " + std::to_string(line)), std::string::npos) << stopped.err;
  EXPECT_EQ(ReadFile(HttpdCnf()), unclosed);

  WriteFile(HttpdCnf(), configured);
  EXPECT_EQ(Ctl({"delete", "shop3"}).exit, 5);  // no such instance, nothing pending for it
  CtlRun finished = Ctl({"delete", "SHOP2"});
  EXPECT_EQ(finished.exit, 0) << finished.err;
  EXPECT_EQ(ReadFile(HttpdCnf()).find("shop2.example"), std::string::npos);
  EXPECT_NE(ReadFile(HttpdCnf()).find("shop1.example"), std::string::npos);
  EXPECT_EQ(Ctl({"delete", "shop2"}).exit, 5);  // finished: nothing left to do
}

TEST_F(OrvanectlTest, MigrateAnOlderInstallation) {
  ASSERT_EQ(Ctl({"machine", "init", "--level", "2"}).exit, 0);
  json migrated = CtlJson({"migrate"}, 0);
  EXPECT_TRUE(HasMessage(migrated, 54)) << migrated.dump();
  json listed = CtlJson({"list"}, 0);
  EXPECT_EQ(listed["result"]["instances"].size(), 2u) << listed.dump();
  json database = CtlJson({"db", "create"}, 0);
  EXPECT_TRUE(HasMessage(database, 38)) << database.dump();
}

TEST_F(OrvanectlTest, DatabaseSetUpWithoutTheCommandEnvironmentFails) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  ASSERT_EQ(Ctl({"create", "shop1"}).exit, 0);
  const fs::path velqcmd = m_machine / "drive_c" / "WINNT" / "system32" / "velqcmd";
  const fs::path aside = m_folder / "velqcmd";
  fs::rename(velqcmd, aside);
  const fs::path registry = m_machine / "registry.reg";
  const std::string dataSource = "ODBC.INI\\SHOP1]";

  json failed = CtlJson({"db", "create", "shop1"}, 1);
  EXPECT_TRUE(HasMessage(failed, 32)) << failed.dump();
  EXPECT_FALSE(HasMessage(failed, 35)) << failed.dump();
  EXPECT_EQ(ReadFile(registry).find(dataSource), std::string::npos);

  fs::rename(aside, velqcmd);
  json created = CtlJson({"db", "create", "shop1"}, 0);
  EXPECT_TRUE(HasMessage(created, 20)) << created.dump();
  EXPECT_NE(ReadFile(registry).find(dataSource), std::string::npos);
}

TEST_F(OrvanectlTest, DemoRunsTheWholeRoad) {
  CtlRun demo = Ctl({"demo", (m_folder / "demo").string()});
  EXPECT_EQ(demo.exit, 0) << demo.out << demo.err;
  for (const char* shown : {"$ orvanectl create shop1", "created successfully", "tessaly.ini",
                            "httpd.cnf", "Database creation is completed", "running"}) {
    EXPECT_NE(demo.out.find(shown), std::string::npos) << shown << "\n" << demo.out;
  }
}

TEST_F(OrvanectlTest, ProgramsBesideTheHost) {
  SampleMachine();
  json to8000 = CtlJson({"portset", "8000"}, 0);
  EXPECT_NE(ReadFile(HttpdCnf()).find("Port     8000"), std::string::npos);
  EXPECT_EQ(to8000["result"]["from"], 80);
  EXPECT_EQ(to8000["result"]["to"], 8000);
  EXPECT_EQ(CtlJson({"portset", "8000"}, 0)["result"]["changed"], false);
  CtlRun to80 = Ctl({"portset", "80"});
  EXPECT_EQ(to80.exit, 0);
  EXPECT_NE(to80.out.find("web server port changed from 8000 to 80 in C:\\winnt\\httpd.cnf"),
            std::string::npos)
      << to80.out;
  EXPECT_NE(ReadFile(HttpdCnf()).find("Port     80\r\n"), std::string::npos);
  CtlRun ssl = Ctl({"ssl"});
  EXPECT_EQ(ssl.exit, 0) << ssl.out << ssl.err;
  EXPECT_NE(ssl.out.find("self signed SSL certificate"), std::string::npos) << ssl.out;
  EXPECT_NE(ssl.out.find("logs: C:\\WWW\\admin\\kelskeystdout.out"), std::string::npos) << ssl.out;
  fs::remove(m_machine / "drive_c" / "WWW" / "admin" / "sctyout.exe");
  CtlRun missing = Ctl({"ssl"});
  EXPECT_EQ(missing.exit, 1);
  EXPECT_NE(missing.err.find("the administration program C:\\WWW\\admin\\sctyout.exe is missing"),
            std::string::npos)
      << missing.err;
}

}  // namespace

TEST_F(OrvanectlTest, APlanChangesNothingAndIsWhatTheRunThenDoes) {
  SampleMachine();
  struct Step {
    std::vector<std::string> command;
    bool planIsTheRun;  // false where a program's answers steer what follows
  };
  const Step steps[] = {
      {{"add", "shop1", "--host", "shop1.example", "--db-owner", "tqadmin"}, true},
      {{"set", "shop1", "--cache", "on"}, true},
      {{"create", "shop1"}, true},
      {{"webconf"}, true},
      {{"db", "create", "shop1"}, false},
      {{"personalize", "shop1"}, true},
      {{"qvbridge", "shop1", "17100", "qsrv", "in", "out", "err", "qm", "user", "client", "chan",
        "1414"},
       true},
      {{"start", "shop1"}, true},
      {{"restart", "shop1"}, true},
      {{"stop", "shop1"}, true},
      {{"portset", "8000"}, true},
      {{"ssl"}, false},
      {{"repair"}, true},
      {{"migrate"}, true},
      {{"delete", "shop1"}, true},
  };
  for (const Step& step : steps) {
    std::string name;
    for (const std::string& word : step.command) name += word + " ";
    const MachineSnapshot before = SnapshotOf(m_machine);
    std::vector<std::string> check = {"--check", "--diff"};
    check.insert(check.end(), step.command.begin(), step.command.end());
    const json plan = CtlJson(check, 0);
    EXPECT_EQ(plan["result"]["check"], true) << name;
    EXPECT_EQ(ChangedPaths(before, SnapshotOf(m_machine)), "") << name << "changed the machine";
    std::vector<std::string> real = {"--diff"};
    real.insert(real.end(), step.command.begin(), step.command.end());
    const json run = CtlJson(real, 0);
    EXPECT_EQ(run["result"]["changed"], !run["result"]["change_set"].empty()) << name;
    if (step.planIsTheRun) {
      EXPECT_EQ(plan["result"]["change_set"], run["result"]["change_set"]) << name;
    } else {
      EXPECT_TRUE(plan["result"]["changed"].get<bool>()) << name;
    }
  }
  // Migration of an older installation, planned and then made.
  ASSERT_EQ(Ctl({"machine", "init", "--sample", "--level", "2", "--force"}).exit, 0);
  const MachineSnapshot older = SnapshotOf(m_machine);
  const json plan = CtlJson({"--check", "--diff", "migrate"}, 0);
  EXPECT_EQ(ChangedPaths(older, SnapshotOf(m_machine)), "");
  EXPECT_FALSE(plan["result"]["change_set"].empty());
  EXPECT_EQ(plan["result"]["change_set"], CtlJson({"--diff", "migrate"}, 0)["result"]["change_set"]);
  // Commands that change nothing take neither.
  EXPECT_EQ(Ctl({"--check", "list"}).exit, 2);
}

TEST_F(OrvanectlTest, APlanShowsDiffsAndNeverASecret) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  CtlRun secret = Ctl({"set", "shop1", "--db-password", "hunter2x", "--check", "--diff"});
  EXPECT_EQ(secret.exit, 0) << secret.err;
  EXPECT_NE(secret.out.find("tqconfig.dat"), std::string::npos) << secret.out;
  EXPECT_EQ(secret.out.find("hunter2x"), std::string::npos) << secret.out;
  CtlRun create = Ctl({"create", "shop1", "--check", "--diff"});
  EXPECT_EQ(create.exit, 0) << create.err;
  EXPECT_NE(create.out.find("the command would make these changes (none made):"), std::string::npos);
  EXPECT_NE(create.out.find("add TCP entry \"tqshop1"), std::string::npos) << create.out;
  EXPECT_NE(create.out.find("+++ C:\\"), std::string::npos) << create.out;
  EXPECT_NE(create.out.find("create service TQshop1"), std::string::npos) << create.out;
}

TEST_F(OrvanectlTest, SecondRunsOfIdempotentCommandsPlanNoChangeAndWriteNothing) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  const std::vector<std::vector<std::string>> commands = {
      {"create", "shop1"},
      {"webconf"},
      {"personalize", "shop1"},
      {"qvbridge", "shop1", "17100", "qsrv", "in", "out", "err", "qm", "user", "client", "chan",
       "1414"},
      {"portset", "8000"},
  };
  for (const auto& command : commands) {
    ASSERT_EQ(Ctl(command).exit, 0) << command[0];
    std::vector<std::string> check = {"--check"};
    check.insert(check.end(), command.begin(), command.end());
    const MachineSnapshot before = SnapshotOf(m_machine);
    const json plan = CtlJson(check, 0);
    EXPECT_EQ(plan["result"]["changed"], false) << command[0] << ": " << plan["result"]["change_set"].dump(1);
    // ... and the second run writes nothing: every backup of the state before
    // the first run stays.
    EXPECT_EQ(Ctl(command).exit, 0) << command[0];
    EXPECT_EQ(ChangedPaths(before, SnapshotOf(m_machine)), "") << command[0];
  }
}

// Each instance of the data file is compared with its own record: a drift of
// the second one is found once, under its name, and the first shows none.
TEST_F(OrvanectlTest, VerifyAllTellsEachInstancesDriftApart) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  AddShop("shop2", "shop2.example");
  ASSERT_EQ(Ctl({"create", "--all"}).exit, 0);
  ASSERT_EQ(Ctl({"webconf"}).exit, 0);
  fs::remove_all(m_machine / "drive_c" / "Tessaly" / "instance" / "shop2" / "bin");
  CtlRun found = Ctl({"verify", "--all"});
  EXPECT_EQ(found.exit, 1) << found.out << found.err;
  EXPECT_EQ(found.out, "missing directory C:\\Tessaly\\instance\\shop2\\bin\n") << found.err;
}

TEST_F(OrvanectlTest, VerifyNamesEachDriftAndRecreationMendsIt) {
  SampleMachine();
  AddShop("shop1", "shop1.example");
  ASSERT_EQ(Ctl({"create", "shop1"}).exit, 0);
  ASSERT_EQ(Ctl({"webconf"}).exit, 0);
  ASSERT_EQ(Ctl({"db", "create", "shop1"}).exit, 0);
  ASSERT_EQ(Ctl({"start", "shop1"}).exit, 0);
  CtlRun clean = Ctl({"verify", "--all"});
  ASSERT_EQ(clean.exit, 0) << clean.out << clean.err;
  const fs::path kept = m_folder / "kept";
  ASSERT_EQ(std::system(("cp -a " + Quote(m_machine.string()) + " " + Quote(kept.string())).c_str()), 0);
  const fs::path drive = m_machine / "drive_c";
  const fs::path services = drive / "WINNT" / "system32" / "drivers" / "etc" / "services";
  const auto dropLines = [](const fs::path& file, const std::string& containing) {
    std::istringstream lines(ReadFile(file));
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
      if (line.find(containing) == std::string::npos) kept += line + "\n";
    }
    WriteFile(file, kept);
  };
  struct Drift {
    const char* name;
    std::function<void()> make;
    std::string finding;  // the start of the line verify prints
    std::vector<std::string> mend;
  };
  const Drift drifts[] = {
      {"a TCP entry removed", [&] { dropLines(services, "tqshop1_2"); },
       "missing TCP entry \"tqshop1_2", {"create", "shop1"}},
      {"PROCESSES edited", [&] {
         const fs::path ini = drive / "WWW" / "html" / "shop1" / "tessaly.ini";
         std::string text = ReadFile(ini);
         text.replace(text.find("PROCESSES"), 9, "PROCESSES 99\r\n#");
         WriteFile(ini, text);
       },
       "changed C:\\WWW\\html\\shop1\\tessaly.ini", {"create", "shop1"}},
      {"bin deleted", [&] { fs::remove_all(drive / "Tessaly" / "instance" / "shop1" / "bin"); },
       "missing directory C:\\Tessaly\\instance\\shop1\\bin", {"create", "shop1"}},
      {"demand start", [&] {
         // As the services console would: the service's Start value, by hand.
         const fs::path registry = m_machine / "registry.reg";
         std::string text = ReadFile(registry);
         const std::size_t key = text.find("\\CurrentControlSet\\Services\\TQshop1]");
         const std::string automatic = "\"Start\"=dword:00000002";
         text.replace(text.find(automatic, key), automatic.size(), "\"Start\"=dword:00000003");
         WriteFile(registry, text);
       },
       // Creation leaves the start type to the database's set-up, which restores it.
       "wrong start type service TQshop1", {"db", "create", "shop1"}},
      {"the product section line deleted", [&] { dropLines(HttpdCnf(), "shop1.example"); },
       "changed C:\\WINNT\\httpd.cnf", {"webconf"}},
  };
  for (const Drift& drift : drifts) {
    fs::remove_all(m_machine);
    // cp -a: the modes of folders are part of what verify checks.
    ASSERT_EQ(std::system(("cp -a " + Quote(kept.string()) + " " + Quote(m_machine.string())).c_str()), 0);
    drift.make();
    CtlRun found = Ctl({"verify", "shop1"});
    EXPECT_EQ(found.exit, 1) << drift.name << found.out << found.err;
    EXPECT_NE(("\n" + found.out).find("\n" + drift.finding), std::string::npos)
        << drift.name << ":\n" << found.out;
    EXPECT_EQ(Ctl(drift.mend).exit, 0) << drift.name;
    CtlRun mended = Ctl({"verify", "shop1"});
    EXPECT_EQ(mended.exit, 0) << drift.name << ":\n" << mended.out << mended.err;
  }
}
