// Instances created by the library, read back and created again from what was
// read, must come out byte for byte as they were: the read-back is the memory
// of every setting the instance data file does not hold.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "orvane/config/InstallationLevels.h"
#include "orvane/config/InstalledConfig.h"
#include "orvane/config/InstanceFiles.h"
#include "orvane/config/WebServerConfig.h"
#include "orvane/core/MSList.h"
#include "orvane/lifecycle/InstanceCreation.h"
#include "orvane/lifecycle/LifecycleTestMachine.h"

namespace orvane {
namespace {

constexpr char kHttpdCnf[] = "C:\\WWW\\conf\\httpd.cnf";
constexpr char kSectionEnd[] = "###### End of VXR Tessaly ######";
constexpr const char* kInstanceFiles[] = {"srvrctrl.ini",  "tessaly.ini",   "scheduler.ini", "pay_back.ini",
                                          "pay_cashet.ini", "pay_cyber.ini", "tqei_ece.ini",  "velqwww.ini"};
constexpr const char* kNames[] = {"shop", "mall"};

using Snapshot = std::map<std::string, std::string>;

class ReadBackRoundTripTest : public test::LifecycleTest {
 protected:
  void SetUp() override {
    install.payServer = true;
    LayOut();
    machine.WriteFile(kHttpdCnf, "ServerRoot C:\\WWW\r\nHostname www\r\nPass /* C:\\WWW\\html\\*\r\n");
    machine.WriteFile("C:\\WWW\\conf\\servlet.cnf", "# servlet engine\r\n");
    AddHosts({"shop.example.test", "mall.example.test"}, "10.0.0.7");
  }

  // Creates the sample instances and configures the web server for them.
  void CreateInstances() {
    MSList list;
    int port = 17000;
    for (const char* name : kNames) {
      MSInfo rec = Record(name, port, 3);
      ASSERT_TRUE(rec.SetMerKey("0123456789abcdef") && rec.SetCMSPswd("cms-secret"));
      rec.SetMSOption(MSInfo::kOptCache | MSInfo::kOptPayTrace, MSInfo::kOptCache | MSInfo::kOptPayTrace);
      // Settings of the caller's own, beside the standard ones.
      rec.SetNDEnv("(MY_ENV)", "MYDLL (OUT RETURN_CODE)");
      rec.SetISPass("/own/*", (std::string("C:\\own\\") + name + "\\*").c_str());
      rec.SetISCommonAddType(".xyz", "text/x-xyz 7bit 1.0");
      ASSERT_EQ(list.Add(rec, 0), 0);
      port += 100;
    }
    ASSERT_EQ(list.Store(InstanceDataFile(install.installDir.c_str())), 1);
    Recreate(list);
  }

  // Creates every instance of list again, with the queue bridge's file and
  // its place in the controller's pool, and configures the web server.
  static void Recreate(MSList& list) {
    char in[] = "IN.Q", out[] = "OUT.Q", error[] = "ERR.Q", manager[] = "QM1", user[] = "bridge";
    const QueueSettings queues{in, out, error, manager, user};
    for (int i = 0; i < list.GetCount(); ++i) {
      MSInfo rec;
      list.SetIndex(i);
      list.GetCurrent(rec);
      ASSERT_EQ(KelCreateSingleInst(rec), 1);
      ASSERT_EQ(WriteEceConfig(rec, "C:\\Tessaly", queues), 1);
      ASSERT_EQ(AddControllerPoolServer(rec, "tqei_ece"), 1);
    }
    ASSERT_EQ(KelSetISConf(list), 1) << ::testing::PrintToString(test::ShownMessages());
  }

  static void ReadBackAndRecreate() {
    MSList list;
    ASSERT_EQ(KelGetTQConfig(list, 3), 1);
    ASSERT_EQ(list.GetCount(), 2);
    for (int i = 0; i < list.GetCount(); ++i) {
      // The records hold what their files hold, not just the data file's fields.
      MSInfo rec;
      list.SetIndex(i);
      list.GetCurrent(rec);
      NameValue first;
      ASSERT_TRUE(rec.m_NDEnv.GetFirst(first)) << rec.GetName();
      ASSERT_GE(rec.m_DBRetryLimit, 0) << rec.GetName();
    }
    Recreate(list);
  }

  // Every generated file of both instances, and httpd.cnf.
  Snapshot Files() const {
    Snapshot files;
    for (const char* name : kNames) {
      for (const char* file : kInstanceFiles) {
        const std::string path = std::string("C:\\WWW\\html\\") + name + "\\" + file;
        files[path] = machine.ReadFile(path);
      }
    }
    files[kHttpdCnf] = machine.ReadFile(kHttpdCnf);
    return files;
  }

  static void ExpectSame(const Snapshot& expected, const Snapshot& actual, const std::string& when) {
    for (const auto& file : expected) {
      EXPECT_FALSE(file.second.empty()) << file.first;
      EXPECT_EQ(actual.at(file.first), file.second) << file.first << " " << when;
    }
  }

  // Inserts text in front of the first line of a file that begins with marker.
  void InsertBefore(const std::string& path, const std::string& marker, const std::string& text) {
    std::string bytes = machine.ReadFile(path);
    const size_t at = bytes.find(marker);
    ASSERT_NE(at, std::string::npos) << path;
    bytes.insert(at, text);
    machine.WriteFile(path, bytes);
  }
};

TEST_F(ReadBackRoundTripTest, RecreatedFromTheReadBackTheFilesStayByteForByte) {
  CreateInstances();
  const Snapshot created = Files();
  ReadBackAndRecreate();
  ExpectSame(created, Files(), "after the read-back");
}

TEST_F(ReadBackRoundTripTest, HandAddedDirectivesAndEnvironmentsSurvive) {
  CreateInstances();
  const std::string shop = "C:\\WWW\\html\\shop\\";
  InsertBefore(kHttpdCnf, kSectionEnd,
               "Pass    /extra/*        C:\\extra\\* shop.example.test\r\n"
               "AddType .xyz            text/x-xyz 7bit 1.0\r\n");
  InsertBefore(shop + "velqwww.ini", "MACRO_PATH", "ENVIRONMENT  mine   TZ=CET  X=1\r\n");
  machine.WriteFile(shop + "tessaly.ini", machine.ReadFile(shop + "tessaly.ini") + "MY_OWN_SETTING on\r\n");

  ReadBackAndRecreate();
  const Snapshot regenerated = Files();
  const std::string& httpd = regenerated.at(kHttpdCnf);
  const size_t end = httpd.find(kSectionEnd);
  const size_t extra = httpd.find("Pass    /extra/*        C:\\extra\\* shop.example.test\r\n");
  const size_t addType = httpd.find("AddType .xyz            text/x-xyz 7bit 1.0\r\n");
  EXPECT_LT(extra, end) << httpd;
  EXPECT_LT(addType, end) << httpd;
  EXPECT_NE(regenerated.at(shop + "velqwww.ini").find("ENVIRONMENT mine            TZ=CET  X=1\r\n"),
            std::string::npos)
      << regenerated.at(shop + "velqwww.ini");
  EXPECT_NE(regenerated.at(shop + "tessaly.ini").find("MY_OWN_SETTING on\r\n"), std::string::npos);
  // From then on the files are stable.
  ReadBackAndRecreate();
  ExpectSame(regenerated, Files(), "after a second read-back");
}

}  // namespace
}  // namespace orvane
