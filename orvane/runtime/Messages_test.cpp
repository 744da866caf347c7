#include "orvane/runtime/Messages.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "orvane/runtime/MessagesInternal.h"

namespace {

// What the host callbacks received; the callbacks are plain function pointers,
// so they record into one process-wide place.
struct HostCalls {
  std::vector<std::string> errors;
  std::vector<std::string> infos;
  std::vector<std::string> updates;
  std::vector<int> progress;
};
HostCalls g_calls;

void RecordError(const char* text) { g_calls.errors.push_back(text); }
void RecordInfo(const char* text) { g_calls.infos.push_back(text); }
void RecordUpdate(const char* text) { g_calls.updates.push_back(text); }
void RecordProgress(int percent) { g_calls.progress.push_back(percent); }

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetHost(); }
  void TearDown() override { ResetHost(); }

  static void ResetHost() {
    bCgiApp = 0;
    pfnError = nullptr;
    pfnInfo = nullptr;
    pfnUpdate = nullptr;
    pfnProgress = nullptr;
    orvane::ResetStageCounters();
    g_calls = HostCalls();
  }

  static void HostTakesOver() {
    bCgiApp = 1;
    pfnError = RecordError;
    pfnInfo = RecordInfo;
    pfnUpdate = RecordUpdate;
    pfnProgress = RecordProgress;
  }

  // Runs action and returns what it wrote to standard error, where the
  // message box appears on this platform.
  template <class Action>
  static std::string StandardErrorOf(Action action) {
    ::testing::internal::CaptureStderr();
    action();
    return ::testing::internal::GetCapturedStderr();
  }

  static int ProgressShownFor(int percent) {
    g_calls.progress.clear();
    KelShowProgress(percent);
    EXPECT_EQ(g_calls.progress.size(), 1u);
    return g_calls.progress.empty() ? INT_MIN : g_calls.progress.back();
  }
};

std::string Loaded(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr) {
  KelString out;
  EXPECT_EQ(KelLoadMessage(out, id, arg1, arg2), 1) << "id " << id;
  return std::string(out);
}

TEST_F(MessagesTest, LoadSubstitutesBothArgumentsAndRepeatedPlaceholders) {
  EXPECT_EQ(Loaded(36, "SHOP", "dbhost"),
            "Database SHOP is available from the remote server dbhost.");
  EXPECT_EQ(Loaded(94, "SHOP"),
            "Cannot find database SHOP to migrate.  Please use Configuration Manager to create "
            "the database SHOP.");
  EXPECT_EQ(Loaded(36, nullptr, nullptr), "Database  is available from the remote server .");
  EXPECT_EQ(Loaded(1, "C:\\x", "unused"), "Cannot create directory C:\\x.");
}

TEST_F(MessagesTest, LoadMayTakeItsArgumentFromTheOutputString) {
  KelString out("C:\\Tessaly\\SHOP");
  ASSERT_EQ(KelLoadMessage(out, 1, out, out), 1);
  EXPECT_STREQ(out, "Cannot create directory C:\\Tessaly\\SHOP.");
}

TEST_F(MessagesTest, IdsWithoutTextFailAndLeaveTheOutputAlone) {
  for (unsigned int id : {0u, 75u, 104u, 0xFFFFFFFFu}) {
    KelString out("kept");
    EXPECT_EQ(KelLoadMessage(out, id, "a", "b"), 0) << "id " << id;
    EXPECT_STREQ(out, "kept") << "id " << id;
  }
}

TEST_F(MessagesTest, EveryListedIdHasText) {
  for (unsigned int id = 1; id <= 103; ++id) {
    if (id == 75) continue;
    KelString out;
    EXPECT_EQ(KelLoadMessage(out, id, "A", "B"), 1) << "id " << id;
    EXPECT_FALSE(out.IsEmpty()) << "id " << id;
  }
}

TEST_F(MessagesTest, TableTextsAreExact) {
  EXPECT_EQ(Loaded(1), "Cannot create directory .");
  EXPECT_EQ(Loaded(17), "Tessaly internal error!");
  EXPECT_EQ(Loaded(20, "L"), "Database creation is completed.  The log files are in L.");
  EXPECT_EQ(Loaded(25), "Unable to  restart Quenta Go Webserver");
  EXPECT_EQ(Loaded(39), " ");
  EXPECT_EQ(Loaded(48), "Do not edit this section");
  EXPECT_EQ(Loaded(54, "SHOP"), "Tessaly instance SHOP has been created successfully.");
  EXPECT_EQ(Loaded(55), " ");
  EXPECT_EQ(Loaded(67, "http://h/x"),
            "Cannot start Netscape browser.  Please start the browser manually with page "
            "\"http://h/x\" to continue.");
  EXPECT_EQ(Loaded(74), "Database owner must be a valid system user.");
  EXPECT_EQ(Loaded(76), "The selected port overlaps with the ports of an existing instance.");
  EXPECT_EQ(Loaded(77), "The database name must be unique for each instance");
  EXPECT_EQ(Loaded(85, "h"), "The hostname specified (h) does not have a valid IP address.");
  EXPECT_EQ(Loaded(86),
            "Usage : tqqvbridge <instance name> <port number> <server name> <inbound queue name> "
            "<outbound queue name> <error queue name> <queue manager name> <bridge userid> "
            "<client/server> <channel name> <server port number>");
  EXPECT_EQ(Loaded(93), "Generating self signed SSL certificate for testing purposes...");
  EXPECT_EQ(Loaded(102), "already running");
  EXPECT_EQ(Loaded(103),
            "Cannot install JQ sample stores because either Brenlo Go or Tessaly is not started.  "
            "Please start them and install the samples manually.");
}

TEST(SubstitutePlaceholdersTest, PercentSignsFollowTheTableRules) {
  using orvane::SubstitutePlaceholders;
  EXPECT_STREQ(SubstitutePlaceholders("x%%y%3z", "A", "B"), "x%yz");
  EXPECT_STREQ(SubstitutePlaceholders("%2 before %1", "A", "B"), "B before A");
  EXPECT_STREQ(SubstitutePlaceholders("100%", "A", "B"), "100");
  EXPECT_STREQ(SubstitutePlaceholders("%", "A", "B"), "");
  EXPECT_STREQ(SubstitutePlaceholders("%%1", "A", "B"), "%1");
  EXPECT_STREQ(SubstitutePlaceholders("[%1][%2]", nullptr, nullptr), "[][]");
  EXPECT_STREQ(SubstitutePlaceholders("", "A", "B"), "");
  // An inserted argument is taken as it is, never scanned again.
  EXPECT_STREQ(SubstitutePlaceholders("%1", "%2 and %%", "B"), "%2 and %%");
}

TEST_F(MessagesTest, ErrorsAndInformationGoOnlyToTheHostOnceItTakesOver) {
  HostTakesOver();
  const std::string shown = StandardErrorOf([] {
    KelShowError(19, "SHOP");
    KelShowMessage(54, "SHOP");
  });
  EXPECT_EQ(shown, "");
  EXPECT_EQ(g_calls.errors, std::vector<std::string>{"Error in creating Tessaly instance SHOP."});
  EXPECT_EQ(g_calls.infos,
            std::vector<std::string>{"Tessaly instance SHOP has been created successfully."});
  EXPECT_TRUE(g_calls.updates.empty());
}

TEST_F(MessagesTest, HostWithoutErrorCallbackShowsNothing) {
  HostTakesOver();
  pfnError = nullptr;
  pfnInfo = nullptr;
  const std::string shown = StandardErrorOf([] {
    KelShowError(19, "SHOP");
    KelShowMessage(75);
  });
  EXPECT_EQ(shown, "");
  EXPECT_TRUE(g_calls.errors.empty());
  EXPECT_TRUE(g_calls.infos.empty());
}

TEST_F(MessagesTest, WithoutHostTheMessageBoxShowsAndCallbacksAreIgnored) {
  pfnError = RecordError;
  pfnInfo = RecordInfo;
  EXPECT_EQ(StandardErrorOf([] { KelShowError(1, "C:\\x"); }),
            "Error: Cannot create directory C:\\x.\n");
  EXPECT_EQ(StandardErrorOf([] { KelShowMessage(16); }),
            "Tessaly: Tessaly configuration has been completed.\n");
  EXPECT_TRUE(g_calls.errors.empty());
  EXPECT_TRUE(g_calls.infos.empty());
}

TEST_F(MessagesTest, IdsWithoutTextDisplayInternalError) {
  EXPECT_EQ(StandardErrorOf([] { KelShowError(75); }), "Error: Internal Error!\n");
  EXPECT_EQ(StandardErrorOf([] { KelShowMessage(0); }), "Tessaly: Internal Error!\n");
  HostTakesOver();
  KelShowError(104, "a", "b");
  KelShowMessage(75);
  KelUpdateStatus(0);
  EXPECT_EQ(g_calls.errors, std::vector<std::string>{"Internal Error!"});
  EXPECT_EQ(g_calls.infos, std::vector<std::string>{"Internal Error!"});
  EXPECT_EQ(g_calls.updates, std::vector<std::string>{"Internal Error!"});
}

TEST_F(MessagesTest, StatusLinesGoToTheUpdateCallbackWhateverBCgiApp) {
  pfnUpdate = RecordUpdate;
  KelUpdateStatus(11, "SHOP");
  bCgiApp = 1;
  KelUpdateStatus(38, "SHOP");
  EXPECT_EQ(g_calls.updates,
            (std::vector<std::string>{"Creating database SHOP...",
                                      "Preparing database for Tessaly instance SHOP..."}));
  EXPECT_TRUE(g_calls.errors.empty());
}

TEST_F(MessagesTest, StatusLineWithoutUpdateCallbackIsDroppedWithoutABox) {
  pfnError = RecordError;
  pfnInfo = RecordInfo;
  const std::string shown = StandardErrorOf([] {
    KelUpdateStatus(11, "SHOP");
    KelUpdateStatus(75);
  });
  EXPECT_EQ(shown, "");
  EXPECT_TRUE(g_calls.errors.empty());
  EXPECT_TRUE(g_calls.infos.empty());
}

TEST_F(MessagesTest, ProgressWithoutStagesIsCappedButNotScaled) {
  pfnProgress = RecordProgress;
  EXPECT_EQ(ProgressShownFor(150), 100);
  EXPECT_EQ(ProgressShownFor(42), 42);
  EXPECT_EQ(ProgressShownFor(-5), -5);
}

TEST_F(MessagesTest, ProgressIsScaledIntoTheCurrentStage) {
  pfnProgress = RecordProgress;
  KelAddStage(4);
  KelIncCurStage();
  EXPECT_EQ(ProgressShownFor(50), 37);  // 25 + 12
  EXPECT_EQ(ProgressShownFor(0), 25);
  EXPECT_EQ(ProgressShownFor(-50), 13);  // 25 - 12, rounded toward zero

  orvane::ResetStageCounters();
  KelAddStage(3);
  for (int i = 0; i < 3; ++i) KelIncCurStage();
  EXPECT_EQ(ProgressShownFor(100), 132);  // 99 + 33
  EXPECT_EQ(ProgressShownFor(1000), 132);
}

TEST_F(MessagesTest, ExtremePercentagesDoNotOverflow) {
  pfnProgress = RecordProgress;
  KelAddStage(1);
  EXPECT_EQ(ProgressShownFor(INT_MIN), INT_MIN);
  EXPECT_EQ(ProgressShownFor(INT_MAX), 100);
}

TEST_F(MessagesTest, CurrentStageNeverPassesTheStageTotal) {
  pfnProgress = RecordProgress;
  KelIncCurStage();  // no stages yet: stays at 0
  KelIncCurStage();
  KelAddStage(4);
  EXPECT_EQ(ProgressShownFor(0), 0);

  orvane::ResetStageCounters();
  KelAddStage(2);
  for (int i = 0; i < 5; ++i) KelIncCurStage();
  EXPECT_EQ(ProgressShownFor(0), 100);  // stage 2 of 2

  KelAddStage(2);  // totals add up: 4 stages, still at stage 2
  EXPECT_EQ(ProgressShownFor(0), 50);
  KelIncCurStage();
  EXPECT_EQ(ProgressShownFor(0), 75);
}

TEST_F(MessagesTest, ProgressWithoutCallbackIsDropped) {
  HostTakesOver();
  pfnProgress = nullptr;
  KelAddStage(2);
  KelShowProgress(50);
  EXPECT_TRUE(g_calls.progress.empty());
  EXPECT_TRUE(g_calls.updates.empty());
}

}  // namespace
