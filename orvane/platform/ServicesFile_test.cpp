#include "orvane/platform/ServicesFile.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>

#include <string>

#include "orvane/os/Files.h"
#include "orvane/testing/Emulation.h"
#include "orvane/testing/TempMachine.h"

namespace {

constexpr char kServices[] = "C:\\WINNT\\system32\\drivers\\etc\\services";
constexpr char kBackup[] = "C:\\WINNT\\system32\\drivers\\etc\\services.old";

class ServicesFileTest : public orvane::test::MachineTest {
 protected:
  void SetUp() override { ORVANE_SKIP_WITHOUT_EMULATION("the services file under C:\\WINNT"); }
  void WriteServices(const std::string& text) { machine.WriteFile(kServices, text); }
  std::string Services() { return machine.ReadFile(kServices); }
};

TEST_F(ServicesFileTest, NewEntryIsAppendedWithTabsByNameLength) {
  WriteServices("echo\t\t7/tcp\r\n");
  ASSERT_EQ(KelRegTcpService("tqshop_1", 16570, "Tessaly"), 1);
  ASSERT_EQ(KelRegTcpService("tqshop1", 16571, "xyz"), 1);
  EXPECT_EQ(Services(),
            "echo\t\t7/tcp\r\n"
            "tqshop_1\t16570/tcp\t# Tessaly\r\n"
            "tqshop1\t\t16571/tcp\t# xyz\r\n");
  // The previous content stays beside the file.
  EXPECT_EQ(machine.ReadFile(kBackup), "echo\t\t7/tcp\r\ntqshop_1\t16570/tcp\t# Tessaly\r\n");
}

TEST_F(ServicesFileTest, ExistingEntryIsReplacedInPlace) {
  WriteServices("a\t1/tcp\r\nTQX_1\t\t900/tcp\t# old\r\nz\t2/tcp\r\ntqx_1\t\t901/tcp\r\n");
  ASSERT_EQ(KelRegTcpService("tqx_1", 16570, "new"), 1);
  ASSERT_EQ(KelRegTcpService("tqx_1", 16580, "newer"), 1);
  // Only the first entry is replaced; a later duplicate stays as it was.
  EXPECT_EQ(Services(),
            "a\t1/tcp\r\ntqx_1\t\t16580/tcp\t# newer\r\nz\t2/tcp\r\ntqx_1\t\t901/tcp\r\n");
  EXPECT_EQ(KelGetTcpServicePort("TQX_1"), 16580);
}

TEST_F(ServicesFileTest, OnlyTheFirstWordNamesAnEntry) {
  const std::string original =
      "abc\t\t100/tcp\r\n"
      "# ab\t\t101/tcp is a comment\r\n"
      "other\t\t102/tcp ab\r\n"
      "\r\n";
  WriteServices(original);
  EXPECT_EQ(KelGetTcpServicePort("ab"), -1);
  ASSERT_EQ(KelRegTcpService("ab", 200, "c"), 1);
  EXPECT_EQ(Services(), original + "ab\t\t200/tcp\t# c\r\n");
  EXPECT_EQ(KelGetTcpServicePort("ab"), 200);
  EXPECT_EQ(KelGetTcpServicePort("abc"), 100);
}

TEST_F(ServicesFileTest, UnregisterRemovesEveryEntryOfTheName) {
  WriteServices("tq_1\t\t1/tcp\r\nkeep\t\t2/tcp\r\n\r\nTQ_1 3/udp\r\n# tq_1\r\n");
  EXPECT_EQ(KelUnregTcpService("tq_1"), 1);
  EXPECT_EQ(Services(), "keep\t\t2/tcp\r\n\r\n# tq_1\r\n");

  EXPECT_EQ(KelUnregTcpService("tq_1"), 0);
  EXPECT_EQ(Services(), "keep\t\t2/tcp\r\n\r\n# tq_1\r\n");
}

TEST_F(ServicesFileTest, PortLookUp) {
  WriteServices("tq_a\t \t 16570/tcp # x\r\ntq_b\r\ntq_a\t\t1/tcp\r\n");
  EXPECT_EQ(KelGetTcpServicePort("TQ_A"), 16570);
  EXPECT_EQ(KelGetTcpServicePort("tq_b"), 0);
  EXPECT_EQ(KelGetTcpServicePort("tq_c"), -1);
}

TEST_F(ServicesFileTest, LongLinesAreHandledInPieces) {
  const std::string longComment(1500, 'c');
  const std::string original = "x\t\t5/tcp\t# " + longComment + "\r\n";
  WriteServices(original);
  ASSERT_EQ(KelRegTcpService("y", 6, "z"), 1);
  EXPECT_EQ(Services(), original + "y\t\t6/tcp\t# z\r\n");
}

TEST_F(ServicesFileTest, EntryAfterAnUnendedLastLineStartsItsOwnLine) {
  WriteServices("echo\t\t7/tcp");
  ASSERT_EQ(KelRegTcpService("tq_1", 16570, "c"), 1);
  EXPECT_EQ(Services(), "echo\t\t7/tcp\r\ntq_1\t\t16570/tcp\t# c\r\n");
  EXPECT_EQ(KelGetTcpServicePort("echo"), 7);
  EXPECT_EQ(KelGetTcpServicePort("tq_1"), 16570);
}

TEST_F(ServicesFileTest, MissingFileIsRebuiltFromTheBackup) {
  EXPECT_EQ(KelGetTcpServicePort("any"), 0);
  EXPECT_EQ(KelRegTcpService("a", 1, "c"), 0);
  EXPECT_EQ(KelUnregTcpService("a"), 0);
  EXPECT_FALSE(machine.FileExists(kServices));
  EXPECT_FALSE(machine.FileExists(kBackup));

  machine.WriteFile(kBackup, "old\t\t9/tcp\r\n");
  ASSERT_EQ(KelRegTcpService("a", 1, "c"), 1);
  EXPECT_EQ(Services(), "old\t\t9/tcp\r\na\t\t1/tcp\t# c\r\n");
  EXPECT_EQ(machine.ReadFile(kBackup), "old\t\t9/tcp\r\n");
}

#if !defined(_WIN32)
// A full disk for this process: writes past the limit fail with EFBIG.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_previous);
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_previous;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_previousHandler);
  }

 private:
  rlimit m_previous{};
  void (*m_previousHandler)(int);
};

TEST_F(ServicesFileTest, FailedRewriteLeavesTheFileInPlace) {
  WriteServices("keep\t\t1/tcp\r\n");
  machine.WriteFile(kBackup, "older\r\n");
  {
    FileSizeLimit fullDisk(12);
    EXPECT_EQ(KelRegTcpService("a", 1, "c"), 0);
    EXPECT_EQ(KelUnregTcpService("absent"), 0);
  }
  EXPECT_EQ(Services(), "keep\t\t1/tcp\r\n");
  EXPECT_EQ(machine.ReadFile(kBackup), "older\r\n");
}
#endif

}  // namespace
