#include "orvane/os/posix/NetworkDatabases.h"

#include <gtest/gtest.h>

namespace orvane::os::posix {
namespace {

using Addresses = std::vector<std::string>;

constexpr char kHosts[] =
    "# Copyright header of the hosts file\r\n"
    "127.0.0.1       localhost\r\n"
    "10.0.0.5\tShop.example.com shop   # the shop's first interface\r\n"
    "fe80::1         shop\r\n"
    "not-an-address  shop\r\n"
    "10.0.0.6 shop-backup SHOP\r\n"
    "10.0.0.5 shop\n"
    "#10.0.0.9 shop\n"
    "192.168.1.1 other # shop\n";

TEST(HostsTextTest, GathersEveryAddressOfEveryLineNamingTheHost) {
  std::optional<HostEntry> entry = HostsDatabase(kHosts).Find("SHOP");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->officialName, "Shop.example.com");
  EXPECT_EQ(entry->addresses, Addresses({"10.0.0.5", "10.0.0.6"}));
}

TEST(HostsTextTest, MatchesOfficialNamesAndAliasesButNotCommentsOrPartialNames) {
  std::optional<HostEntry> official = HostsDatabase(kHosts).Find("shop-backup");
  ASSERT_TRUE(official);
  EXPECT_EQ(official->officialName, "shop-backup");
  EXPECT_EQ(official->addresses, Addresses({"10.0.0.6"}));

  EXPECT_FALSE(HostsDatabase(kHosts).Find("other.example.com"));
  EXPECT_FALSE(HostsDatabase(kHosts).Find("sho"));
  EXPECT_FALSE(HostsDatabase(kHosts).Find("10.0.0.5"));
  EXPECT_FALSE(HostsDatabase("").Find("shop"));
}

TEST(HostsTextTest, LastLineWithoutLineEndCounts) {
  std::optional<HostEntry> entry = HostsDatabase("1.2.3.4 a\n5.6.7.8 b").Find("b");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->addresses, Addresses({"5.6.7.8"}));
}

constexpr char kServices[] =
    "# services file\r\n"
    "echo              7/tcp\r\n"
    "echo              7/udp\r\n"
    "http             80/tcp    www www-http  #World Wide Web\r\n"
    "broken          x80/tcp\r\n"
    "toolarge     65616/tcp\r\n"
    "#commented   16570/tcp\r\n"
    "tqshop_0\t\t16570/tcp\t# Tessaly instance\r\n"
    "tqshop_dg    16570/udp\r\n";

TEST(ServicesTextTest, FindsTheFirstEntryOfAPortOfAnyProtocol) {
  std::optional<ServiceEntry> entry = FindServiceByPortInServicesText(kServices, 16570, "");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "tqshop_0");
  EXPECT_EQ(entry->port, 16570);
  EXPECT_EQ(entry->protocol, "tcp");

  std::optional<ServiceEntry> http = FindServiceByPortInServicesText(kServices, 80, "");
  ASSERT_TRUE(http);
  EXPECT_EQ(http->name, "http");
}

TEST(ServicesTextTest, ProtocolNarrowsTheSearchWithoutRegardToCase) {
  std::optional<ServiceEntry> udp = FindServiceByPortInServicesText(kServices, 16570, "UDP");
  ASSERT_TRUE(udp);
  EXPECT_EQ(udp->name, "tqshop_dg");
  EXPECT_EQ(udp->protocol, "udp");

  std::optional<ServiceEntry> echo = FindServiceByPortInServicesText(kServices, 7, "udp");
  ASSERT_TRUE(echo);
  EXPECT_EQ(echo->protocol, "udp");
}

TEST(ServicesTextTest, SkipsCommentsAndMalformedPorts) {
  EXPECT_FALSE(FindServiceByPortInServicesText(kServices, 80, "udp"));
  EXPECT_FALSE(FindServiceByPortInServicesText("toolarge 65616/tcp\n", 65616, ""));
  EXPECT_FALSE(FindServiceByPortInServicesText("toolarge 65616/tcp\n", 65616 - 65536, ""));
  EXPECT_FALSE(FindServiceByPortInServicesText("a 80\nb /tcp\nc 80/\n", 80, ""));
  EXPECT_FALSE(FindServiceByPortInServicesText(kServices, 0, ""));
}

}  // namespace
}  // namespace orvane::os::posix
