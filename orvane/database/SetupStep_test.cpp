// The machine-wide step of the database set-up: its lock, what it clears of
// a step cut short, and the database a cut-short schema run left behind.
#include "orvane/database/SetupStep.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "orvane/database/DatabaseSetup.h"
#include "orvane/database/DatabaseTestMachine.h"

namespace orvane::test {
namespace {

constexpr char kWaiting[] = "S:Waiting for another database set-up on this machine to finish...";

class SetupStepTest : public DatabaseMachineTest {
 protected:
  void SetUp() override {
    DatabaseMachineTest::SetUp();
    InstallVelq();
  }

  static std::string SchemaScript() { return std::string(kSchemaDir) + "\\schema.cmd"; }
  static std::string Marker() { return std::string(kAdminDir) + "\\SHOPDB.incomplete"; }

  // The database is made with its whole schema and nothing marks it now.
  void ExpectMadeAnew() {
    ReportedLines().clear();
    EXPECT_EQ(DBCreateSingle(info), 1);
    EXPECT_EQ(ReportedLines(), (std::vector<std::string>{Status(38, "shop"), Status(11, "shopdb"),
                                                         Status(20, kLogs)}));
    const std::string database = machine.ReadFile("C:\\VELQ\\DATA\\SHOPDB.db");
    EXPECT_NE(database.find("CREATE TABLE orders"), std::string::npos);
    EXPECT_FALSE(machine.FileExists(Marker()));
    EXPECT_EQ(ServiceStartType(), 2u);
  }
};

// The holder of the lock, released by the status line that says the step waits.
std::optional<os::FileLock>& LockHolder() {
  static std::optional<os::FileLock> holder;
  return holder;
}

void ReleaseWhenWaiting(const char* text) {
  CollectStatus(text);
  if (std::string("S:") + text == kWaiting) LockHolder().reset();
}

TEST_F(SetupStepTest, ASecondSetUpWaitsForTheFirstWithAStatusLine) {
  Velq("create database SHOPDB");
  LockHolder().emplace(std::string(kAdminDir) + "\\dbsetup.lock");
  ASSERT_TRUE(LockHolder()->status().ok());
  pfnUpdate = ReleaseWhenWaiting;
  EXPECT_EQ(DBCreateSingle(info), 1);
  EXPECT_FALSE(LockHolder().has_value()) << "the set-up did not wait for the lock";
  LockHolder().reset();
  EXPECT_EQ(ReportedLines(),
            (std::vector<std::string>{Status(38, "shop"), kWaiting, Status(35, "shopdb")}));
}

TEST_F(SetupStepTest, CommandFilesWithSecretsThatAKilledStepLeftAreRemoved) {
  // Left by a killed run for another instance.
  const std::string hostingCommands = std::string(kAdminDir) + "\\velqconfig.bat";
  const std::string wrapper = std::string(kSchemaDir) + "\\dbmaster.cmd";
  machine.WriteFile(hostingCommands, "@call jqdata.cmd OTHERDB C:\\other\\logs\\jqdata.log "
                                     "velqown clear-password\r\n");
  machine.WriteFile(wrapper, "@call schema.cmd OTHERDB N \"enciphered\" C:\\other\\logs\\o.log\r\n");
  Velq("create database SHOPDB");
  EXPECT_EQ(DBCreateSingle(info), 1);
  EXPECT_FALSE(machine.FileExists(hostingCommands));
  EXPECT_FALSE(machine.FileExists(wrapper));
}

TEST_F(SetupStepTest, ADatabaseAFailedSchemaRunLeftIsMadeAnewByTheNextRun) {
  const std::string shipped = machine.ReadFile(SchemaScript());
  // A run that a full disk stopped: the database is made, its tables are not.
  machine.WriteFile(SchemaScript(),
                    "@velq create database %1 > %4\r\n@echo VELQ1139E The disk is full. >> %4\r\n");
  EXPECT_EQ(DBCreateSingle(info), 0);
  EXPECT_TRUE(machine.FileExists(Marker()));
  EXPECT_TRUE(machine.FileExists("C:\\VELQ\\DATA\\SHOPDB.db"));
  machine.WriteFile(SchemaScript(), shipped);
  ExpectMadeAnew();
}

TEST_F(SetupStepTest, ADatabaseAKilledSchemaRunLeftIsMadeAnewByTheNextRun) {
  // The process was killed during the schema run: the database and the
  // marker are there, the run's verdict never came.
  Velq("create database SHOPDB");
  machine.WriteFile(Marker(), "");
  ExpectMadeAnew();
}

}  // namespace
}  // namespace orvane::test
