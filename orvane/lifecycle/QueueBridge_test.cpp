#include "orvane/lifecycle/QueueBridge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/config/InstanceFiles.h"
#include "orvane/core/MSInfo.h"
#include "orvane/lifecycle/InstanceCreation.h"
#include "orvane/lifecycle/InstanceDeletion.h"
#include "orvane/lifecycle/LifecycleTestMachine.h"

namespace {

using orvane::test::ReadTextFile;

constexpr char kEnvironmentKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char kCommonLibrary[] = "C:\\Tessaly\\bin\\tq3_ececommon.dll";

class QueueBridgeTest : public orvane::test::LifecycleTest {
 protected:
  void SetUp() override {
    LayOut();
    shop = install.Record("shop", 20000);
    ASSERT_EQ(orvane::WriteControllerConfig(shop), 1);
  }
  static std::string PoolLine() {
    const std::string text = ReadTextFile("C:\\WWW\\html\\shop\\srvrctrl.ini");
    const size_t start = text.find("CONTROL_POOL_CONFIG");
    return start == std::string::npos ? "" : text.substr(start, text.find('\n', start) - start);
  }
  // The bridge's command line with the mode and, when given, the server port.
  int Run(const std::string& mode, const std::string& port = "30500",
          const char* serverPort = nullptr) {
    std::vector<std::string> words = {"tqqvbridge", "shop", port,     "qhost", "IN.Q", "OUT.Q",
                                      "ERR.Q",      "QM1",  "bridge", mode,    "CHAN1"};
    if (serverPort != nullptr) words.push_back(serverPort);
    std::vector<char*> args;
    for (std::string& word : words) args.push_back(word.data());
    return KelCreateFixpackQVInit(shop, args.data(), static_cast<int>(args.size()));
  }

  MSInfo shop;
};

TEST_F(QueueBridgeTest, ClientInstallsItsLibraryAndPointsAtTheServer) {
  ASSERT_EQ(Run("client", "30500", "1414"), 1);
  EXPECT_EQ(ReadTextFile(kCommonLibrary), "queue bridge library, client\n");
  EXPECT_EQ(RegistryString(kEnvironmentKey, "QVSERVER"), "CHAN1/TCP/qhost(1414)");
  EXPECT_EQ(ServiceLine("tqshop_ece_1"), "tqshop_ece_1\t30500/tcp\t# ECE service");
  const std::string ece = ReadTextFile("C:\\WWW\\html\\shop\\tqei_ece.ini");
  for (const char* line : {"SERVICE_NAME_PREFIX tqshop_ece\n", "TQ_QV_INBOUND IN.Q\n",
                           "TQ_QV_OUTBOUND OUT.Q\n", "TQ_QV_INERROR ERR.Q\n",
                           "TQ_QV_QMANAGER QM1\n", "TQ_QV_BRIDGE_USERID bridge\n"}) {
    EXPECT_NE(ece.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(PoolLine().substr(PoolLine().size() - 26), ",C:\\WWW\\html\\shop\\tqei_ece");
}

TEST_F(QueueBridgeTest, AnyOtherModeInstallsTheServerVariant) {
  for (const char* mode : {"server", "Client"}) {
    ASSERT_EQ(Run(mode), 1);
    EXPECT_EQ(ReadTextFile(kCommonLibrary), "queue bridge library, server\n") << mode;
    EXPECT_EQ(RegistryString(kEnvironmentKey, "QVSERVER"), "<no key>") << mode;
  }
}

TEST_F(QueueBridgeTest, RunningTwiceLeavesOneEntry) {
  ASSERT_EQ(Run("server", "30500"), 1);
  ASSERT_EQ(Run("server", "30600"), 1);
  const std::string services = ServicesFile();
  EXPECT_EQ(services.find("tqshop_ece_1"), services.rfind("tqshop_ece_1"));
  EXPECT_EQ(ServiceLine("tqshop_ece_1"), "tqshop_ece_1\t30600/tcp\t# ECE service");
  const std::string pool = PoolLine();
  EXPECT_EQ(pool.find("tqei_ece"), pool.rfind("tqei_ece")) << pool;
}

// The bridge is part of the instance: creating it again keeps it in the
// controller's pool, and deleting it frees the bridge's port too.
TEST_F(QueueBridgeTest, TheBridgeOutlivesRecreationAndGoesWithDeletion) {
  shop = Record("shop", 20000);
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  ASSERT_EQ(Run("server"), 1);
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  const std::string pool = PoolLine();
  EXPECT_NE(pool.find(",C:\\WWW\\html\\shop\\tqei_ece"), std::string::npos) << pool;
  EXPECT_EQ(pool.find("tqei_ece"), pool.rfind("tqei_ece")) << pool;

  const std::string bridgeFile = "C:\\WWW\\html\\shop\\tqei_ece.ini";
  const std::string bridgeConfig = ReadTextFile(bridgeFile);
  orvane::test::ShownMessages().clear();
  EXPECT_EQ(KelDeleteSingleInst(shop), 1);
  EXPECT_EQ(ServiceLine("tqshop_ece_1"), "");
  EXPECT_EQ(ServiceValue("TQshop", "ImagePath"), "<no key>");
  EXPECT_EQ(PoolLine(), "");  // srvrctrl.ini moved aside
  EXPECT_FALSE(machine.FileExists(bridgeFile));
  EXPECT_EQ(ReadTextFile("C:\\WWW\\html\\shop\\tqei_ece.old.ini"), bridgeConfig);

  // Without its bridge the instance is created without one.
  ASSERT_EQ(KelCreateSingleInst(shop), 1);
  EXPECT_EQ(PoolLine().find("tqei_ece"), std::string::npos);
}

TEST_F(QueueBridgeTest, PortsThatAreNoPortsRegisterNothing) {
  for (const char* port : {"", "abc", "0", "65536", "12ab", "999999"}) {
    ASSERT_EQ(Run("server", port), 1) << port;
    EXPECT_EQ(ServiceLine("tqshop_ece_1"), "") << port;
  }
  EXPECT_EQ(orvane::ParseBridgePort("65535"), 65535);
  EXPECT_EQ(orvane::ParseBridgePort("1"), 1);
}

TEST_F(QueueBridgeTest, ShortCommandLineIsSafe) {
  char program[] = "tqqvbridge";
  char* args[] = {program};
  EXPECT_EQ(KelCreateFixpackQVInit(shop, args, 1), 1);
  EXPECT_EQ(ServiceLine("tqshop_ece_1"), "");
  EXPECT_EQ(ReadTextFile(kCommonLibrary), "queue bridge library, server\n");
}

TEST_F(QueueBridgeTest, MissingInstallationReports5) {
  ASSERT_TRUE(orvane::os::DeleteRegistryKey(orvane::os::RegistryRoot::kLocalMachine,
                                            "SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths")
                  .ok());
  EXPECT_EQ(Run("client"), 0);
  EXPECT_EQ(orvane::test::ShownMessages(),
            std::vector<std::string>{"error: Cannot find Tessaly installation parameters."});
  EXPECT_EQ(ReadTextFile(kCommonLibrary), "program tq3_ececommon.dll\n");
}

}  // namespace
