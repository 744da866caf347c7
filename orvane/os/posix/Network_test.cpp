// The emulated machine's own name, hosts file and services file.
#include "orvane/os/Network.h"

#include <gtest/gtest.h>

#include "orvane/testing/TempMachine.h"

namespace orvane::os {
namespace {

using Addresses = std::vector<std::string>;

constexpr char kServicesFile[] = "C:\\WINNT\\system32\\drivers\\etc\\services";

class EmulatedNetworkTest : public orvane::test::MachineTest {
 protected:
  void SetHostname(const std::string& name) {
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n"
        "\"Hostname\"=\"" + name + "\"\r\n");
  }

  SocketLayerScope m_socketLayer;
};

TEST_F(EmulatedNetworkTest, HostsFileComesFirstWithEveryAddressOfTheHost) {
  machine.AddHost("shop.example.com", {"10.0.0.5", "10.0.0.6"});
  machine.WriteFile("C:\\WINNT\\system32\\drivers\\etc\\hosts",
                    machine.ReadFile("C:\\WINNT\\system32\\drivers\\etc\\hosts") +
                        "# 10.9.9.9 shop\r\n10.0.0.7 shop-b shop  # second line\r\n");

  Expected<HostEntry> entry = ResolveHost("SHOP.example.com");
  ASSERT_TRUE(entry) << entry.status().code();
  EXPECT_EQ(entry->officialName, "shop.example.com");
  EXPECT_EQ(entry->addresses, Addresses({"10.0.0.5", "10.0.0.6"}));

  Expected<HostEntry> alias = ResolveHost("shop");
  ASSERT_TRUE(alias);
  EXPECT_EQ(alias->officialName, "shop-b");
  EXPECT_EQ(alias->addresses, Addresses({"10.0.0.7"}));
}

TEST_F(EmulatedNetworkTest, AnEditOfTheHostsFileIsSeenByTheNextLookUp) {
  const char kHostsFile[] = "C:\\WINNT\\system32\\drivers\\etc\\hosts";
  const struct {
    const char* hosts;
    Addresses addresses;
  } kEdits[] = {
      {"10.0.0.5 shop.example.com\r\n", {"10.0.0.5"}},
      {"10.0.0.9 shop.example.com\r\n", {"10.0.0.9"}},  // same size
      {"10.0.0.9 shop.example.com\r\n10.0.0.1 shop.example.com\r\n", {"10.0.0.9", "10.0.0.1"}},
  };
  for (const auto& edit : kEdits) {
    machine.WriteFile(kHostsFile, edit.hosts);
    Expected<HostEntry> entry = ResolveHost("shop.example.com");
    ASSERT_TRUE(entry) << edit.hosts;
    EXPECT_EQ(entry->addresses, edit.addresses) << edit.hosts;
  }
}

TEST_F(EmulatedNetworkTest, HostnameValueNamesTheMachineAndAlwaysResolves) {
  SetHostname("TQSHOPHOST");
  EXPECT_EQ(*LocalHostName(), "TQSHOPHOST");

  Expected<HostEntry> own = ResolveHost("tqshophost");
  ASSERT_TRUE(own) << own.status().code();
  EXPECT_EQ(own->officialName, "TQSHOPHOST");
  EXPECT_FALSE(own->addresses.empty());

  machine.WriteFile("C:\\WINNT\\system32\\drivers\\etc\\hosts",
                    "192.168.7.1 tqshophost.example.com TQSHOPHOST\r\n");
  Expected<HostEntry> listed = ResolveHost("");
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->officialName, "tqshophost.example.com");
  EXPECT_EQ(listed->addresses, Addresses({"192.168.7.1"}));
}

TEST_F(EmulatedNetworkTest, ServicesFileIsLookedUpByPortAndProtocol) {
  machine.WriteFile(kServicesFile,
                    "# services\r\n"
                    "http\t\t80/tcp\twww\r\n"
                    "tqshop_0\t16570/tcp\t# Tessaly shop\r\n"
                    "tqshop_1\t16571/udp\r\n");
  Expected<ServiceEntry> entry = LookupServiceByPort(16570);
  ASSERT_TRUE(entry) << entry.status().code();
  EXPECT_EQ(entry->name, "tqshop_0");
  EXPECT_EQ(entry->port, 16570);
  EXPECT_EQ(entry->protocol, "tcp");

  EXPECT_TRUE(LookupServiceByPort(16571, "udp"));
  EXPECT_FALSE(LookupServiceByPort(16571, "tcp"));
  EXPECT_FALSE(LookupServiceByPort(16572));
  EXPECT_EQ(LastError(), 11004u) << "WSANO_DATA";
}

TEST_F(EmulatedNetworkTest, MissingServicesFileKnowsNoPort) {
  EXPECT_FALSE(LookupServiceByPort(80));
}

}  // namespace
}  // namespace orvane::os
