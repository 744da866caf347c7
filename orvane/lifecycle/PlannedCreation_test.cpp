// Instance creation under the recording layer: planned, it leaves the
// machine as it was and tells what the real creation then changes.
#include <gtest/gtest.h>

#include "orvane/core/MSInfo.h"
#include "orvane/lifecycle/InstanceCreation.h"
#include "orvane/lifecycle/LifecycleTestMachine.h"
#include "orvane/os/ChangeRecorder.h"
#include "orvane/testing/MachineImage.h"

namespace {

using orvane::os::ChangeRecorder;
using orvane::os::ChangeSet;
using orvane::os::Recording;
using orvane::test::ShownMessages;

class PlannedCreationTest : public orvane::test::LifecycleTest {
 protected:
  // Creates the instance under a recorder; the messages it showed and the
  // changes it made or would make.
  ChangeSet Create(Recording mode, std::vector<std::string>* messages) {
    ShownMessages().clear();
    ChangeRecorder recorder(mode);
    EXPECT_TRUE(recorder.status().ok());
    EXPECT_EQ(KelCreateSingleInst(shop), 1);
    *messages = ShownMessages();
    return recorder.Changes();
  }

  MSInfo shop;
};

TEST_F(PlannedCreationTest, PlanChangesNothingAndEqualsTheRealCreation) {
  LayOut();
  shop = Record("shop", 20000);
  const auto before = orvane::test::MachineImage(machine);

  std::vector<std::string> plannedMessages;
  ChangeSet planned = Create(Recording::kPlan, &plannedMessages);
  EXPECT_TRUE(orvane::test::MachineImage(machine) == before) << "the plan changed the machine";
  ASSERT_FALSE(plannedMessages.empty());
  EXPECT_EQ(plannedMessages.back().rfind("status: ", 0), 0u) << plannedMessages.back();
  EXPECT_GT(planned.files.size(), 10u);
  EXPECT_FALSE(planned.directories.empty());
  ASSERT_EQ(planned.services.size(), 1u);
  EXPECT_EQ(planned.services[0].name, "TQshop");
  EXPECT_FALSE(planned.services[0].before);
  bool servicesFileChanged = false;
  for (const orvane::os::FileChange& file : planned.files) {
    servicesFileChanged =
        servicesFileChanged || file.path == orvane::test::TempMachine::ServicesFile();
  }
  EXPECT_TRUE(servicesFileChanged);

  std::vector<std::string> realMessages;
  ChangeSet real = Create(Recording::kPassThrough, &realMessages);
  EXPECT_EQ(realMessages, plannedMessages);
  EXPECT_TRUE(real == planned);
  EXPECT_EQ(real.files.size(), planned.files.size());
  EXPECT_EQ(real.registry.size(), planned.registry.size());
}

// The second creation reads what the first one wrote (the services file's
// entries, the installation's registry): the plan's reads see its own
// pending writes as the real run sees the machine's.
TEST_F(PlannedCreationTest, SecondInstanceOfAPlanSeesTheFirst) {
  LayOut();
  MSInfo mall = Record("mall", 20010);
  shop = Record("shop", 20000);
  const auto before = orvane::test::MachineImage(machine);
  auto createBoth = [&](Recording mode) {
    ChangeRecorder recorder(mode);
    EXPECT_EQ(KelCreateSingleInst(shop), 1);
    EXPECT_EQ(KelCreateSingleInst(mall), 1);
    return recorder.Changes();
  };

  ChangeSet planned = createBoth(Recording::kPlan);
  EXPECT_TRUE(orvane::test::MachineImage(machine) == before) << "the plan changed the machine";
  EXPECT_EQ(planned.services.size(), 2u);
  EXPECT_TRUE(createBoth(Recording::kPassThrough) == planned);
}

}  // namespace
