#include "orvane/lifecycle/InstanceTcpServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/core/MSInfo.h"
#include "orvane/lifecycle/LifecycleTestMachine.h"

namespace {

using orvane::TcpServiceEntry;
using orvane::TcpServiceGroup;

std::string Describe(const std::vector<TcpServiceEntry>& entries) {
  std::string text;
  for (const TcpServiceEntry& entry : entries) {
    text += entry.name + " " + std::to_string(entry.port) + " " + entry.comment + "\n";
  }
  return text;
}

MSInfo Instance(const char* name, int port, int processes) {
  MSInfo info;
  info.SetName(name);
  // Stored values, below the setters' rules where a case needs it.
  info.m_MSPort = port;
  info.m_MSProc = processes;
  return info;
}

TEST(InstanceTcpServicesTest, EveryGroupHasItsNamesPortsAndComments) {
  const MSInfo shop = Instance("shop", 20000, 2);
  EXPECT_EQ(Describe(InstanceTcpServices(shop, TcpServiceGroup::kController)),
            "tqshop 20000 Tessaly - Server Controller\n");
  EXPECT_EQ(Describe(InstanceTcpServices(shop, TcpServiceGroup::kServers)),
            "tqshop_1 20001 Tessaly - shop\ntqshop_2 20002 Tessaly - shop\n");
  EXPECT_EQ(Describe(InstanceTcpServices(shop, TcpServiceGroup::kPayment)),
            "tqshop_pb_1 20003 Tessaly - pay_back\n"
            "tqshop_pe_1 20004 Tessaly - pay_cashet\n"
            "tqshop_pe_2 20005 Tessaly - Admin port\n"
            "tqshop_pe_3 20006 Tessaly - Pay port\n"
            "tqshop_pe_4 20007 Tessaly - Error port\n"
            "tqshop_pe_5 20008 Tessaly - SET Pay Port\n"
            "tqshop_pe_6 20009 Tessaly - SET Inquiry Port\n");
  std::string helpers = "tqshop_cy_1 40020 Tessaly - pay_cyber\n";
  for (int j = 1; j <= 10; ++j) {
    helpers += "tqshop_sched_" + std::to_string(j) + " " + std::to_string(40020 + j) +
               " Tessaly - scheduler\n";
  }
  EXPECT_EQ(Describe(InstanceTcpServices(shop, TcpServiceGroup::kHelpers, 40020)), helpers);
}

TEST(InstanceTcpServicesTest, PaymentPortsFollowTheServerProcesses) {
  struct Case {
    int port, processes, firstPayment, lastPayment;
  };
  for (const Case& c : {Case{1000, 3, 1004, 1010}, Case{20000, 0, 20001, 20007}}) {
    const MSInfo info = Instance("x", c.port, c.processes);
    const auto payment = InstanceTcpServices(info, TcpServiceGroup::kPayment);
    ASSERT_EQ(payment.size(), 7u);
    EXPECT_EQ(payment.front().port, c.firstPayment) << c.port << "/" << c.processes;
    EXPECT_EQ(payment.back().port, c.lastPayment) << c.port << "/" << c.processes;
    EXPECT_EQ(InstanceTcpServices(info, TcpServiceGroup::kServers).size(),
              static_cast<size_t>(c.processes));
  }
}

TEST(InstanceTcpServicesTest, DamagedRecordsStayWithinPortsAndTheProcessRule) {
  const MSInfo huge = Instance("x", 65530, 2000000000);
  const auto servers = InstanceTcpServices(huge, TcpServiceGroup::kServers);
  ASSERT_EQ(servers.size(), 99u);
  EXPECT_EQ(servers[4].port, 65535);
  EXPECT_EQ(servers[5].port, -1);  // past the highest port
  EXPECT_EQ(InstanceTcpServices(Instance("x", 20000, -5), TcpServiceGroup::kServers).size(), 0u);
  EXPECT_EQ(InstanceTcpServices(MSInfo(), TcpServiceGroup::kController).front().port, -1);
}

class HelperBlockTest : public orvane::test::LifecycleTest {
 protected:
  void Services(const std::string& lines) {
    machine.WriteFile(orvane::test::TempMachine::ServicesFile(), lines);
  }
};

TEST_F(HelperBlockTest, SearchStepsByTenPastTakenPorts) {
  struct Case {
    const char* services;
    int block;
  };
  const Case cases[] = {
      {"", 40000},
      {"other\t\t40005/tcp\r\n", 40010},
      {"other\t\t40010/tcp\r\n", 40020},  // in both the first and the second block
      {"other\t\t40000/tcp\r\nmore\t\t40020/tcp\r\n", 40030},
      {"other\t\t40011/tcp\r\n", 40000},  // the first block ends at 40010
  };
  const MSInfo shop = Instance("shop", 20000, 2);
  for (const Case& c : cases) {
    Services(c.services);
    EXPECT_EQ(orvane::FindHelperPortBlock(shop), c.block) << c.services;
  }
}

TEST_F(HelperBlockTest, OwnHelperEntriesDoNotMoveTheBlock) {
  const MSInfo shop = Instance("shop", 20000, 2);
  Services("TQSHOP_CY_1\t40000/tcp\r\ntqshop_sched_10\t40010/tcp\r\n");
  EXPECT_EQ(orvane::FindHelperPortBlock(shop), 40000);
  // Only the whole name counts: one that an own name starts, or that starts
  // one, is another's.
  Services("tqshop_cy_10\t40000/tcp\r\n");
  EXPECT_EQ(orvane::FindHelperPortBlock(shop), 40010);
  Services("tqshop_sched\t40001/tcp\r\n");
  EXPECT_EQ(orvane::FindHelperPortBlock(shop), 40010);
  // Another instance's entries, and the instance's own server entries, are
  // taken like any other.
  Services("tqmall_cy_1\t40000/tcp\r\ntqshop_1\t\t40010/tcp\r\n");
  EXPECT_EQ(orvane::FindHelperPortBlock(shop), 40020);
  // A port that another program lists too is taken, whichever line comes first.
  Services("tqshop_cy_1\t40000/tcp\r\nother\t\t40000/tcp\r\n");
  EXPECT_EQ(orvane::FindHelperPortBlock(shop), 40010);
}

TEST_F(HelperBlockTest, SearchEndsAtTheHighestPort) {
  // One taken port in every block from 40000 on: no block fits.
  std::string lines;
  for (int port = 40000; port <= 65535; port += 10) {
    lines += "p" + std::to_string(port) + "\t\t" + std::to_string(port) + "/tcp\r\n";
  }
  Services(lines);
  const MSInfo shop = Instance("shop", 20000, 2);
  EXPECT_EQ(orvane::FindHelperPortBlock(shop), -1);
  // The last block that fits is 65520 ... 65530.
  Services(lines.substr(0, lines.find("p65520")));
  EXPECT_EQ(orvane::FindHelperPortBlock(shop), 65520);
}

TEST_F(HelperBlockTest, RegisterAndUnregisterEveryEntry) {
  LayOut();
  const MSInfo shop = Instance("shop", 20000, 2);
  const auto servers = InstanceTcpServices(shop, TcpServiceGroup::kServers);
  EXPECT_EQ(orvane::RegisterTcpServices(servers), 1);
  EXPECT_EQ(ServiceLine("tqshop_2"), "tqshop_2\t20002/tcp\t# Tessaly - shop");
  EXPECT_EQ(orvane::UnregisterTcpServices(servers), 1);
  EXPECT_EQ(ServiceLine("tqshop_1"), "");
  EXPECT_EQ(orvane::UnregisterTcpServices(servers), 0);  // nothing left to remove
  EXPECT_NE(ServiceLine("http"), "");

  // An unset block registers nothing, and says so.
  const std::string before = ServicesFile();
  EXPECT_EQ(orvane::RegisterTcpServices(InstanceTcpServices(MSInfo(), TcpServiceGroup::kServers)),
            1);  // no processes: nothing to do
  EXPECT_EQ(orvane::RegisterTcpServices(InstanceTcpServices(MSInfo(), TcpServiceGroup::kPayment)),
            0);
  EXPECT_EQ(ServicesFile(), before);
}

TEST_F(HelperBlockTest, OneRewriteReplacesInPlaceAndAppendsInOrder) {
  LayOut();
  Services("first\t\t7/tcp\r\nTQSHOP_2\t9/tcp\t# old\r\nlast\t\t11/tcp");  // no line end
  const MSInfo shop = Instance("shop", 20000, 3);
  EXPECT_EQ(orvane::RegisterTcpServices(InstanceTcpServices(shop, TcpServiceGroup::kServers)), 1);
  EXPECT_EQ(ServicesFile(),
            "first\t\t7/tcp\ntqshop_2\t20002/tcp\t# Tessaly - shop\nlast\t\t11/tcp\n"
            "tqshop_1\t20001/tcp\t# Tessaly - shop\ntqshop_3\t20003/tcp\t# Tessaly - shop\n");
  // A name that would make lines of its own is left out, the rest written.
  EXPECT_EQ(orvane::RegisterTcpServiceEntries({{"bad name", 1, "x"}, {"good", 2, "y"}}), 0);
  EXPECT_EQ(ServiceLine("good"), "good\t\t2/tcp\t# y");
  EXPECT_EQ(ServiceLine("bad"), "");
}

}  // namespace
