// Host names and the socket layer as every backend offers them.
#include "orvane/os/Network.h"

#include <gtest/gtest.h>

#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

TEST(SocketLayerTest, EveryStartNeedsItsStopAndAStopWithoutStartFails) {
  ASSERT_TRUE(StartSocketLayer());
  ASSERT_TRUE(StartSocketLayer());
  EXPECT_TRUE(StopSocketLayer());
  EXPECT_TRUE(StopSocketLayer());
  Status extra = StopSocketLayer();
  EXPECT_FALSE(extra);
  EXPECT_EQ(LastError(), extra.code());
  {
    SocketLayerScope scope;
    EXPECT_TRUE(scope.status());
  }
  EXPECT_FALSE(StopSocketLayer()) << "the scope stopped what it started";
}

class NetworkTest : public orvane::test::MachineTest {
 protected:
  SocketLayerScope m_socketLayer;
};

TEST_F(NetworkTest, DottedAddressResolvesToItself) {
  Expected<HostEntry> entry = ResolveHost("127.0.0.1");
  ASSERT_TRUE(entry) << entry.status().code();
  EXPECT_EQ(entry->addresses, std::vector<std::string>({"127.0.0.1"}));
}

TEST_F(NetworkTest, LocalHostNameIsNotEmpty) {
  Expected<std::string> name = LocalHostName();
  ASSERT_TRUE(name) << name.status().code();
  EXPECT_FALSE(name->empty());
}

}  // namespace
}  // namespace orvane::os
