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

}  // namespace
}  // namespace orvane::os::posix
