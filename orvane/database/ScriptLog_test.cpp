#include "orvane/database/ScriptLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/runtime/Messages.h"
#include "orvane/testing/TempMachine.h"

namespace {

using orvane::LogErrors;

constexpr char kLog[] = "C:\\db.log";

std::vector<std::string>& Reports() {
  static std::vector<std::string> reports;
  return reports;
}

class ScriptLogTest : public orvane::test::MachineTest {
 protected:
  ScriptLogTest() {
    Reports().clear();
    pfnUpdate = [](const char* text) { Reports().push_back(text); };
  }
  ~ScriptLogTest() override { pfnUpdate = nullptr; }
};

TEST_F(ScriptLogTest, ReportsAreWholeLinesWithTheirLineEndsAsBlanks) {
  const std::string longLine = std::string(1024, 'x') + " VELQ0001E not a report\r\n";
  const struct {
    std::string log;
    std::vector<std::string> reports;
  } cases[] = {
      {"ok\r\nVELQ1031E failed\r\nwhy\r\n\r\nVELQ2E later\r\n", {"VELQ1031E failed why "}},
      // A NUL byte used to hide the line end: the lines were glued together.
      {std::string("VELQ1E a\0junk\r\nnext\r\n\r\n", 23), {"VELQ1E a next "}},
      // A long line used to be read in pieces, each taken for a line.
      {longLine, {}},
  };
  for (const auto& c : cases) {
    Reports().clear();
    machine.WriteFile(kLog, c.log);
    const orvane::LogVerdict verdict =
        orvane::ReadScriptLog(kLog, LogErrors::kVelqErrorsEndReading, "shop1");
    EXPECT_TRUE(verdict.opened);
    EXPECT_EQ(verdict.errorFound, !c.reports.empty()) << c.log;
    EXPECT_EQ(Reports(), c.reports) << c.log;
  }
}

}  // namespace
