// apply and export as a user runs them: desired-state files applied to a
// fresh emulated machine, and the machine compared byte for byte.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "OrvanectlFixture.h"

using namespace orvanectl_fixture;  // NOLINT(build/namespaces): the tests' vocabulary

namespace {

using Steps = std::vector<std::string>;

class ApplyTest : public OrvanectlTest {
 protected:
  void SetUp() override {
    OrvanectlTest::SetUp();
    SampleMachine();
    WriteFile(m_folder / "shop1.pw", "pw-one\r\n");
  }

  fs::path StateFile(const json& document) {
    const fs::path path = m_folder / ("state" + std::to_string(++m_files) + ".json");
    WriteFile(path, document.dump(2));
    return path;
  }

  json Apply(const json& document, int expectedExit, std::vector<std::string> options = {}) {
    options.insert(options.end(), {"apply", "-f", StateFile(document).string()});
    return CtlJson(options, expectedExit);
  }

  // Two instances, the first one with a secret, both with databases, the
  // first one running.
  json TwoShops() const {
    return {{"instances",
             {{{"name", "shop1"},
               {"host", "shop1.example"},
               {"db-owner", "tqadmin"},
               {"processes", 3},
               {"cache", true},
               {"db-password", {{"file", (m_folder / "shop1.pw").string()}}}},
              {{"name", "shop2"}, {"host", "shop2.example"}, {"db-owner", "tqadmin"}}}},
            {"webconf", true},
            {"databases", true},
            {"running", {"shop1"}}};
  }

  static std::vector<std::string> StepsOf(const json& document) {
    std::vector<std::string> steps;
    for (const json& step : document["result"]["steps"]) {
      const std::string instance = step["instance"];
      steps.push_back(instance.empty() ? step["step"].get<std::string>()
                                       : instance + " " + step["step"].get<std::string>());
    }
    return steps;
  }

  int m_files = 0;
};

TEST_F(ApplyTest, ApplyMakesTheMachineAndASecondApplyChangesNoByte) {
  const json first = Apply(TwoShops(), 0);
  EXPECT_EQ(first["result"]["changed"], true);
  EXPECT_EQ(StepsOf(first), (Steps{"shop1 add", "shop2 add", "shop1 create", "shop2 create",
                                 "webconf", "shop1 db create", "shop2 db create", "shop1 start"}))
      << first.dump(2);
  const json listed = CtlJson({"list"}, 0);
  ASSERT_EQ(listed["result"]["instances"].size(), 2u);
  for (const json& instance : listed["result"]["instances"]) {
    EXPECT_EQ(instance["created"], true) << instance.dump();
    EXPECT_EQ(instance["database"], true) << instance.dump();
    EXPECT_EQ(instance["running"], instance["name"] == "shop1") << instance.dump();
  }
  const json shown = CtlJson({"show", "shop1"}, 0)["result"]["instance"];
  EXPECT_EQ(shown["processes"], 3);
  EXPECT_EQ(shown["db-password"], "set");
  EXPECT_EQ(ReadFile(DataFile()).find("pw-one"), std::string::npos);

  const MachineSnapshot before = SnapshotOf(m_machine);
  const json second = Apply(TwoShops(), 0);
  EXPECT_EQ(second["result"]["changed"], false) << second.dump(2);
  EXPECT_TRUE(second["result"]["steps"].empty());
  EXPECT_EQ(ChangedPaths(before, SnapshotOf(m_machine)), "");

  // The same state written as YAML is the same state.
  const fs::path yaml = m_folder / "state.yaml";
  WriteFile(yaml, "instances:\n"
                  "  - name: shop1\n"
                  "    host: shop1.example\n"
                  "    db-owner: tqadmin\n"
                  "    processes: 3\n"
                  "    cache: true\n"
                  "    db-password: {file: '" + (m_folder / "shop1.pw").string() + "'}\n"
                  "  - {name: shop2, host: shop2.example, db-owner: tqadmin}\n"
                  "webconf: true\n"
                  "databases: true\n"
                  "running: [shop1]\n");
  const json third = CtlJson({"apply", "-f", yaml.string()}, 0);
  EXPECT_EQ(third["result"]["changed"], false) << third.dump(2);
  EXPECT_EQ(ChangedPaths(before, SnapshotOf(m_machine)), "");
}

TEST_F(ApplyTest, CheckShowsTheWholeChangeAndChangesNothing) {
  const MachineSnapshot before = SnapshotOf(m_machine);
  const json plan = Apply(TwoShops(), 0, {"--check", "--diff"});
  EXPECT_EQ(plan["result"]["check"], true);
  EXPECT_EQ(plan["result"]["changed"], true);
  EXPECT_FALSE(plan["result"]["change_set"].empty());
  EXPECT_EQ(StepsOf(plan).front(), "shop1 add");
  EXPECT_EQ(ChangedPaths(before, SnapshotOf(m_machine)), "");
  CtlRun shown = Ctl({"--check", "apply", "-f", StateFile(TwoShops()).string()});
  EXPECT_EQ(shown.exit, 0) << shown.err;
  for (const char* line : {"would shop1: add", "would shop2: create", "would webconf"}) {
    EXPECT_NE(shown.out.find(line), std::string::npos) << line << "\n" << shown.out;
  }
  EXPECT_EQ(ChangedPaths(before, SnapshotOf(m_machine)), "");

  // The database step is named, not planned (it runs the database's
  // programs): the plan still says that it would change the machine.
  json withoutDatabases = TwoShops();
  withoutDatabases.erase("running");
  withoutDatabases["databases"] = false;
  Apply(withoutDatabases, 0);
  withoutDatabases["databases"] = true;
  const json databases = Apply(withoutDatabases, 0, {"--check"});
  EXPECT_EQ(StepsOf(databases), (Steps{"shop1 db create", "shop2 db create"}));
  EXPECT_TRUE(databases["result"]["change_set"].empty());
  EXPECT_EQ(databases["result"]["changed"], true);
}

TEST_F(ApplyTest, ARefusedFileChangesNothingAndSaysWhy) {
  struct Case {
    const char* what;
    json instance;  // follows a good first instance
    std::string said;
  };
  const std::vector<Case> cases = {
      {"inline secret", {{"name", "shop2"}, {"db-password", "plain"}},
       "instances[1] (shop2): db-password: an inline secret is refused"},
      {"rule", {{"name", "shop2"}, {"processes", 1}},
       "shop2: processes '1' refused: it must be a number from 2 to 99"},
      {"no such field", {{"name", "shop2"}, {"procs", 4}}, "procs: no such field"},
      {"wrong type", {{"name", "shop2"}, {"cache", 3}}, "cache: a value of the wrong type"},
      {"conflict", {{"name", "shop2"}, {"host", "shop1.example"}},
       "instance shop2 conflicts with instance shop1 on host"},
      {"unset variable", {{"name", "shop2"}, {"cms-password", {{"env", "ORVANE_TEST_UNSET"}}}},
       "cms-password: the environment variable ORVANE_TEST_UNSET is not set"},
      {"missing file", {{"name", "shop2"}, {"cms-password", {{"file", "/nonexistent/pw"}}}},
       "cannot read the secret file /nonexistent/pw"},
      {"twice", {{"name", "SHOP1"}}, "the file names this instance twice"},
      {"bad name", {{"name", "much-too-long"}}, "instance name 'much-too-long' refused"},
  };
  // The data file's lock is taken once for good; then nothing else moves.
  EXPECT_TRUE(StepsOf(Apply({{"instances", json::array()}}, 0)).empty());
  const MachineSnapshot before = SnapshotOf(m_machine);
  for (const Case& c : cases) {
    const json document = {
        {"instances", {{{"name", "shop1"}, {"host", "shop1.example"}}, c.instance}},
        {"webconf", true}};
    CtlRun run = Ctl({"apply", "-f", StateFile(document).string()});
    EXPECT_EQ(run.exit, 3) << c.what << "\n" << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << c.what << "\n" << run.err;
    EXPECT_EQ(run.err.find("plain"), std::string::npos) << c.what;
  }
  const json unknown = {{"instances", {{{"name", "shop1"}}}}, {"running", {"shop9"}}};
  CtlRun run = Ctl({"apply", "-f", StateFile(unknown).string()});
  EXPECT_EQ(run.exit, 3);
  EXPECT_NE(run.err.find("running: shop9 is not an instance of the file"), std::string::npos)
      << run.err;
  EXPECT_EQ(ChangedPaths(before, SnapshotOf(m_machine)), "");
}

TEST_F(ApplyTest, ASecretFromTheEnvironment) {
  setenv("ORVANE_TEST_CMS", "cms-secret", 1);
  json document = TwoShops();
  document["instances"][1]["cms-password"] = {{"env", "ORVANE_TEST_CMS"}};
  Apply(document, 0);
  EXPECT_EQ(CtlJson({"show", "shop2"}, 0)["result"]["instance"]["cms-password"], "set");
  EXPECT_EQ(Apply(document, 0)["result"]["changed"], false);
  // Another secret is a change of the record, and the instance is made anew.
  setenv("ORVANE_TEST_CMS", "other-secret", 1);
  EXPECT_EQ(StepsOf(Apply(document, 0)), (Steps{"shop2 set", "shop2 create", "webconf"}));
  unsetenv("ORVANE_TEST_CMS");
}

TEST_F(ApplyTest, AChangedFieldIsSetAndItsInstanceMadeAnew) {
  Apply(TwoShops(), 0);
  struct Case {
    const char* what;
    std::function<void(json&)> change;
    Steps steps;
  };
  const std::vector<Case> cases = {
      // Creation stops the running instance; the running list starts it again.
      {"field of the running one", [](json& d) { d["instances"][0]["processes"] = 4; },
       {"shop1 set", "shop1 create", "webconf", "shop1 start"}},
      {"field of the other", [](json& d) { d["instances"][1]["cache"] = "on"; },
       {"shop2 set", "shop2 create", "webconf"}},
      {"running", [](json& d) { d["running"] = {"shop2"}; }, {"shop1 stop", "shop2 start"}},
      {"no running list leaves services alone", [](json& d) { d.erase("running"); }, {}},
  };
  json document = TwoShops();
  for (const Case& c : cases) {
    c.change(document);
    EXPECT_EQ(StepsOf(Apply(document, 0)), c.steps) << c.what;
    EXPECT_EQ(Apply(document, 0)["result"]["changed"], false) << c.what;
  }
  EXPECT_EQ(CtlJson({"show", "shop1"}, 0)["result"]["instance"]["processes"], 4);
}

TEST_F(ApplyTest, AnInstanceWhoseRecordIsThereButNotItsInstanceIsCreated) {
  Apply(TwoShops(), 0);
  json three = TwoShops();
  three["instances"].push_back(
      {{"name", "shop3"}, {"host", "shop3.example"}, {"db-owner", "tqadmin"}});
  struct Case {
    const char* what;
    std::vector<std::string> before;  // the orvanectl run that leaves shop3 so
    Steps steps;
  };
  const std::vector<Case> cases = {
      {"added, never created", {"add", "shop3", "--host", "shop3.example", "--db-owner", "tqadmin"},
       {"shop3 create", "webconf", "shop3 db create"}},
      // Its database stays; only the instance goes.
      {"unregistered, record kept", {"delete", "shop3", "--keep-record"},
       {"shop3 create", "webconf"}},
      {"unregistered while it ran", {"delete", "shop1", "--keep-record"},
       {"shop1 create", "webconf", "shop1 start"}},
  };
  for (const Case& c : cases) {
    const CtlRun run = Ctl(c.before);
    ASSERT_EQ(run.exit, 0) << c.what << "\n" << run.err;
    const MachineSnapshot before = SnapshotOf(m_machine);
    const json plan = Apply(three, 0, {"--check"});
    EXPECT_EQ(StepsOf(plan), c.steps) << c.what;
    EXPECT_EQ(plan["result"]["changed"], true) << c.what;
    EXPECT_EQ(ChangedPaths(before, SnapshotOf(m_machine)), "") << c.what;
    EXPECT_EQ(StepsOf(Apply(three, 0)), c.steps) << c.what;
    const json listed = CtlJson({"list"}, 0);
    for (const json& instance : listed["result"]["instances"]) {
      EXPECT_EQ(instance["created"], true) << c.what << " " << instance.dump();
    }
    EXPECT_EQ(Apply(three, 0)["result"]["changed"], false) << c.what;
  }
}

TEST_F(ApplyTest, APackagingFlagThatCreationTakesFromTheInstallationIsNoLastingChange) {
  const fs::path config = m_machine / "drive_c" / "Tessaly" / "html" / "en_US" / "tqadmin" /
                          "common" / "config.js";
  struct Case {
    const char* what;
    std::string line;  // config.js's packaging line
    bool wanted;       // what the file asks for
    bool made;         // what the record holds once the instance is created
  };
  const std::vector<Case> cases = {
      {"installation clear, file set", "var gTQPackaging = false;", true, false},
      {"installation set, file clear", "var gTQPackaging = kStrStart;", false, true},
      {"installation says nothing", "var gTQLang = 1;", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(m_machine);
    SampleMachine();
    WriteFile(config, "// settings\r\n" + c.line + "\r\n");
    json document = TwoShops();
    document["instances"][0]["packaging"] = c.wanted;
    EXPECT_EQ(Apply(document, 0)["result"]["changed"], true);
    EXPECT_EQ(CtlJson({"show", "shop1"}, 0)["result"]["instance"]["packaging"], c.made);
    const MachineSnapshot before = SnapshotOf(m_machine);
    const json again = Apply(document, 0);
    EXPECT_EQ(again["result"]["changed"], false) << again.dump(2);
    EXPECT_EQ(again.dump().find("as creation took it from the installation") != std::string::npos,
              c.wanted != c.made);
    EXPECT_EQ(ChangedPaths(before, SnapshotOf(m_machine)), "");
    EXPECT_EQ(Apply(document, 0, {"--check"})["result"]["changed"], false);
  }
}

TEST_F(ApplyTest, PruneDeletesWhatTheFileDoesNotNameWithoutItItIsListed) {
  Apply(TwoShops(), 0);
  json one = TwoShops();
  one["instances"].erase(1);
  const json kept = Apply(one, 0);
  EXPECT_EQ(kept["result"]["left"], json::array({"shop2"}));
  EXPECT_TRUE(kept["result"]["steps"].empty());
  EXPECT_EQ(CtlJson({"list"}, 0)["result"]["instances"].size(), 2u);

  const MachineSnapshot before = SnapshotOf(m_machine);
  const json plan = CtlJson({"--check", "apply", "--prune", "-f", StateFile(one).string()}, 0);
  EXPECT_EQ(StepsOf(plan), (Steps{"shop2 delete", "webconf"}));
  EXPECT_EQ(ChangedPaths(before, SnapshotOf(m_machine)), "");
  const json pruned = CtlJson({"apply", "--prune", "-f", StateFile(one).string()}, 0);
  EXPECT_EQ(StepsOf(pruned), (Steps{"shop2 delete", "webconf"}));
  const json listed = CtlJson({"list"}, 0);
  ASSERT_EQ(listed["result"]["instances"].size(), 1u);
  EXPECT_EQ(listed["result"]["instances"][0]["name"], "shop1");
  EXPECT_EQ(ReadFile(HttpdCnf()).find("shop2.example"), std::string::npos);
}

TEST_F(ApplyTest, AFailedStepIsNamedAndTheNextApplyGoesOnFromThere) {
  // Without the database's command environment the database step fails.
  const fs::path velqcmd = m_machine / "drive_c" / "WINNT" / "system32" / "velqcmd";
  fs::rename(velqcmd, m_folder / "velqcmd");
  const json failed = Apply(TwoShops(), 1);
  EXPECT_EQ(failed["result"]["failed"], json({{"instance", "shop1"}, {"step", "db create"}}));
  EXPECT_EQ(StepsOf(failed),
            (Steps{"shop1 add", "shop2 add", "shop1 create", "shop2 create", "webconf"}));
  EXPECT_NE(failed.dump().find("apply stopped at instance shop1, step db create"),
            std::string::npos);
  fs::rename(m_folder / "velqcmd", velqcmd);
  EXPECT_EQ(StepsOf(Apply(TwoShops(), 0)),
            (Steps{"shop1 db create", "shop2 db create", "shop1 start"}));

  // A file where shop3's root directory goes makes its creation fail after
  // its record is stored (the library says so, and returns success): the
  // next apply creates it and configures the web server, which the first
  // one still owed.
  json three = TwoShops();
  three["instances"].push_back({{"name", "shop3"}, {"host", "shop3.example"}});
  const fs::path root = m_machine / "drive_c" / "Tessaly" / "instance" / "shop3";
  WriteFile(root, "in the way");
  const json stopped = Apply(three, 1);
  EXPECT_EQ(stopped["result"]["failed"], json({{"instance", "shop3"}, {"step", "create"}}));
  EXPECT_EQ(StepsOf(stopped), (Steps{"shop3 add"}));
  fs::remove(root);
  EXPECT_EQ(StepsOf(Apply(three, 0)), (Steps{"shop3 create", "webconf", "shop3 db create"}));
  EXPECT_FALSE(fs::exists(DataFile().string() + ".apply-pending"));
  EXPECT_EQ(Apply(three, 0)["result"]["changed"], false);
}

TEST_F(ApplyTest, ExportedStateAppliedToItsMachinePlansNoChange) {
  Apply(TwoShops(), 0);
  ASSERT_EQ(Ctl({"add", "shop3", "--host", "shop3.example", "--merchant-key", "0123456789abcdef",
                 "--port", "17000"})
                .exit,
            0);
  ASSERT_EQ(Ctl({"create", "shop3"}).exit, 0);
  // A record without its instance is left out: applying the file would
  // create it.
  AddShop("shop4", "shop4.example");
  struct Case {
    std::vector<std::string> options;
    std::string reference;  // how shop1's database password is referred to
  };
  const fs::path secrets = m_folder / "secrets";
  const std::vector<Case> cases = {
      {{"--secrets", secrets.string()},
       json({{"file", (secrets / "shop1.db-password").string()}}).dump()},
      {{}, json({{"env", "ORVANE_SHOP1_DB_PASSWORD"}}).dump()},
  };
  setenv("ORVANE_SHOP1_DB_PASSWORD", "pw-one", 1);
  setenv("ORVANE_SHOP3_MERCHANT_KEY", "0123456789abcdef", 1);
  for (const Case& c : cases) {
    const fs::path file = m_folder / "exported.json";
    std::vector<std::string> arguments = {"export", "-o", file.string()};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    ASSERT_EQ(Ctl(arguments).exit, 0);
    const json state = json::parse(ReadFile(file));
    EXPECT_EQ(state["instances"][0]["db-password"].dump(), c.reference);
    EXPECT_EQ(state["running"], json::array({"shop1"}));
    EXPECT_EQ(state["instances"].size(), 3u);
    EXPECT_EQ(state.dump().find("shop4"), std::string::npos);
    EXPECT_EQ(state.dump().find("pw-one"), std::string::npos);
    const MachineSnapshot before = SnapshotOf(m_machine);
    const json plan = CtlJson({"--check", "apply", "-f", file.string()}, 0);
    EXPECT_EQ(plan["result"]["changed"], false) << plan.dump(2);
    EXPECT_EQ(plan["result"]["left"], json::array({"shop4"}));
    EXPECT_TRUE(plan["result"]["change_set"].empty());
    EXPECT_EQ(ChangedPaths(before, SnapshotOf(m_machine)), "");
  }
  EXPECT_EQ(ReadFile(secrets / "shop1.db-password"), "pw-one\n");
  EXPECT_EQ(fs::status(secrets).permissions() & fs::perms::all, fs::perms::owner_all);
  unsetenv("ORVANE_SHOP1_DB_PASSWORD");
  unsetenv("ORVANE_SHOP3_MERCHANT_KEY");
}

TEST_F(ApplyTest, ExportWritesSecretsOnlyIntoAFolderOfItsOwnersAlone) {
  Apply(TwoShops(), 0);
  struct Case {
    fs::perms mode;
    int exit;
    std::string said;
  };
  using fs::perms;
  const std::vector<Case> cases = {
      {perms::owner_all, 0, ""},
      {perms::owner_all | perms::group_read | perms::group_exec, 3,
       "is open to others than its owner (mode 0750): secrets written there would be exposed"},
      {perms::owner_all | perms::others_read, 3, "(mode 0704)"},
      {perms::owner_all | perms::others_exec, 3, "(mode 0701)"},
      {perms::owner_all | perms::group_write, 3, "(mode 0720)"},
  };
  const fs::path secrets = m_folder / "secrets";
  const fs::path output = m_folder / "exported.json";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said);
    fs::remove_all(secrets);
    fs::remove(output);
    fs::create_directory(secrets);
    fs::permissions(secrets, c.mode);
    const CtlRun run = Ctl({"export", "-o", output.string(), "--secrets", secrets.string()});
    EXPECT_EQ(run.exit, c.exit) << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_EQ(fs::status(secrets).permissions() & perms::all, c.mode);
    EXPECT_EQ(fs::exists(secrets / "shop1.db-password"), c.exit == 0);
    EXPECT_EQ(fs::exists(output), c.exit == 0);
  }
  WriteFile(m_folder / "plain", "");
  const CtlRun notFolder = Ctl({"export", "--secrets", (m_folder / "plain").string()});
  EXPECT_EQ(notFolder.exit, 2);
  EXPECT_NE(notFolder.err.find("is not a folder"), std::string::npos) << notFolder.err;
  // A missing folder is made, below missing parents, for the owner alone.
  const fs::path made = m_folder / "new" / "secrets";
  ASSERT_EQ(Ctl({"export", "--secrets", made.string()}).exit, 0);
  EXPECT_EQ(fs::status(made).permissions() & perms::all, perms::owner_all);
  EXPECT_EQ(ReadFile(made / "shop1.db-password"), "pw-one\n");
  EXPECT_EQ(fs::status(made / "shop1.db-password").permissions() & perms::all,
            perms::owner_read | perms::owner_write);
  // A link where a secret's file goes is not written through.
  fs::remove(made / "shop1.db-password");
  WriteFile(m_folder / "target", "untouched");
  fs::create_symlink(m_folder / "target", made / "shop1.db-password");
  EXPECT_NE(Ctl({"export", "--secrets", made.string()}).exit, 0);
  EXPECT_EQ(ReadFile(m_folder / "target"), "untouched");
}

}  // namespace
