// Windows Sockets look-ups: the local names and the machine's own services
// database; no name goes to a resolver outside the machine.
#include <gtest/gtest.h>

#include <algorithm>

#include "orvane/os/Network.h"

namespace orvane::os {
namespace {

TEST(Win32NetworkTest, ResolvesTheLoopbackName) {
  SocketLayerScope socketLayer;
  ASSERT_TRUE(socketLayer.status().ok());
  Expected<HostEntry> host = ResolveHost("localhost");
  ASSERT_TRUE(host.ok()) << host.status().code();
  EXPECT_FALSE(host->officialName.empty());
  EXPECT_NE(std::find(host->addresses.begin(), host->addresses.end(), "127.0.0.1"),
            host->addresses.end());
}

TEST(Win32NetworkTest, LooksUpTheServicesDatabaseByPort) {
  Expected<ServiceEntry> ftp = LookupServiceByPort(21, "tcp");
  ASSERT_TRUE(ftp.ok()) << ftp.status().code();
  EXPECT_EQ(ftp->name, "ftp");
  EXPECT_EQ(ftp->port, 21);
  EXPECT_EQ(ftp->protocol, "tcp");

  Expected<ServiceEntry> http = LookupServiceByPort(80);
  ASSERT_TRUE(http.ok());
  EXPECT_EQ(http->name, "http");

  EXPECT_FALSE(LookupServiceByPort(16569, "tcp").ok());
}

}  // namespace
}  // namespace orvane::os
