#include "orvane/os/NetworkDatabaseText.h"

#include <gtest/gtest.h>

namespace orvane::os {
namespace {

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
}  // namespace orvane::os
