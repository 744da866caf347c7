#include "orvane/platform/ServicesFile.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>

#include <string>
#include <vector>

#include "orvane/os/Files.h"
#include "orvane/testing/Emulation.h"
#include "orvane/testing/FileSizeLimit.h"
#include "orvane/testing/TempMachine.h"

namespace {

const std::string kServices = orvane::test::TempMachine::ServicesFile();
const std::string kBackup = kServices + ".old";

class ServicesFileTest : public orvane::test::MachineTest {
 protected:
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

TEST_F(ServicesFileTest, LinesAreCopiedWholeAndByteForByte) {
  // A piece of a long comment beyond 1024 characters looks like an entry;
  // a NUL byte sits inside an entry; the last line has no line end.
  const std::string longComment = "# " + std::string(1022, 'c') + "ab\t\t99/tcp\r\n";
  const std::string nul = std::string("nul\t\t7/tcp\t# a\0b\r\n", 18);
  const std::string original = longComment + nul + "ab2\t\t5/tcp";
  WriteServices(original);
  EXPECT_EQ(KelGetTcpServicePort("ab"), -1);
  EXPECT_EQ(KelUnregTcpService("ab"), 0);
  EXPECT_EQ(Services(), original);
  EXPECT_EQ(KelGetTcpServicePort("nul"), 7);

  ASSERT_EQ(KelRegTcpService("ab", 6, "z"), 1);
  EXPECT_EQ(Services(), original + "\r\nab\t\t6/tcp\t# z\r\n");
  EXPECT_EQ(KelGetTcpServicePort("ab"), 6);
  ASSERT_EQ(KelUnregTcpService("ab"), 1);
  EXPECT_EQ(Services(), original + "\r\n");
}

// A NUL byte in the last line hides nothing of its line end: new entries
// follow it directly, without a blank line each.
TEST_F(ServicesFileTest, ANulInTheLastLineAddsNoBlankLines) {
  const char bytes[] = "keep\t\t1/tcp\t# a\0b\r\n";
  const std::string original(bytes, sizeof bytes - 1);
  WriteServices(original);
  ASSERT_EQ(KelRegTcpService("one", 2, "c"), 1);
  ASSERT_EQ(KelRegTcpService("two", 3, "c"), 1);
  EXPECT_EQ(Services(), original + "one\t\t2/tcp\t# c\r\ntwo\t\t3/tcp\t# c\r\n");
}

TEST_F(ServicesFileTest, NamesAndCommentsThatWouldMakeOtherLinesAreRefused) {
  const std::string original = "keep\t\t1/tcp\r\n";
  WriteServices(original);
  struct Case {
    const char* name;
    const char* comment;
  };
  const Case refused[] = {
      {"", "c"},           {"a b", "c"},     {"a\tb", "c"},   {"a\nz", "c"},
      {"#a", "c"},         {"a#", "c"},      {"a\x7f", "c"},  {"a\x01", "c"},
      {"tq", "c\r\nz 9/tcp"}, {"tq", "c\nz"}, {"tq", "c\rz"}, {"tq", "a\x1b[2J"},
  };
  for (const Case& c : refused) {
    EXPECT_EQ(KelRegTcpService(c.name, 9, c.comment), 0) << c.name << " / " << c.comment;
  }
  EXPECT_EQ(KelRegTcpService(nullptr, 9, "c"), 0);
  EXPECT_EQ(KelUnregTcpService("keep now"), 0);
  EXPECT_EQ(Services(), original);
  EXPECT_FALSE(machine.FileExists(kBackup));
  EXPECT_EQ(KelGetTcpServicePort("z"), -1);

  // Printable names of the ANSI code page and tabs in a comment are fine.
  ASSERT_EQ(KelRegTcpService("caf\xe9-1.x", 9, "a\tb # c"), 1);
  ASSERT_EQ(KelRegTcpService("tq", 10, nullptr), 1);
  EXPECT_EQ(Services(), original + "caf\xe9-1.x\t9/tcp\t# a\tb # c\r\ntq\t\t10/tcp\t# \r\n");
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
TEST_F(ServicesFileTest, TwoProcessesRegisteringAtOnceKeepEveryEntryAndLine) {
  std::string unrelated;
  for (int i = 0; i < 50; ++i) unrelated += "other" + std::to_string(i) + "\t\t" + std::to_string(i) + "/tcp\r\n";
  WriteServices(unrelated);
  const pid_t child = fork();
  if (child == 0) {
    int failures = 0;
    for (int i = 0; i < 100; ++i) {
      failures += KelRegTcpService(("theirs" + std::to_string(i)).c_str(), 30000 + i, "t") == 0;
    }
    _exit(failures);
  }
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(KelRegTcpService(("mine" + std::to_string(i)).c_str(), 20000 + i, "m"), 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string services = Services();
  EXPECT_EQ(services.compare(0, unrelated.size(), unrelated), 0);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(KelGetTcpServicePort(("mine" + std::to_string(i)).c_str()), 20000 + i);
    EXPECT_EQ(KelGetTcpServicePort(("theirs" + std::to_string(i)).c_str()), 30000 + i);
  }
  EXPECT_EQ(std::count(services.begin(), services.end(), '\n'), 250);
}

// Registering what the file holds already writes nothing, not even on a full
// disk; anything that a rewrite would change in the file is still written.
TEST_F(ServicesFileTest, OnlyARegistrationThatChangesTheFileWritesIt) {
  const std::vector<orvane::TcpServiceEntry> entries = {{"tq", 1, "c"}, {"tq_1", 2, "c"}};
  const std::string tq = "tq\t\t1/tcp\t# c\r\n";
  const std::string tq1 = "tq_1\t\t2/tcp\t# c\r\n";
  struct Case {
    const char* what;
    std::string services;
    std::string registered;  // "" when the file stays as it is
  };
  const Case cases[] = {
      {"both there", "a\t3/tcp\r\n" + tq1 + "b\t4/tcp\r\n" + tq, ""},
      {"an unended last line", tq + tq1 + "z\t5/tcp", ""},
      {"a later duplicate", tq + tq1 + "TQ\t9/tcp\r\n", ""},
      {"one missing", tq, tq + tq1},
      {"another port", tq + "tq_1\t\t3/tcp\t# c\r\n", tq + tq1},
      {"another comment", tq + "tq_1\t\t2/tcp\t# d\r\n", tq + tq1},
      {"another spelling", tq + "TQ_1\t\t2/tcp\t# c\r\n", tq + tq1},
      {"an earlier entry of the name", "tq_1 7/udp\r\n" + tq + tq1, tq1 + tq + tq1},
      {"an entry unended", tq + "tq_1\t\t2/tcp\t# c", tq + tq1},
      {"an entry with LF", tq + "tq_1\t\t2/tcp\t# c\n", tq + tq1},
      {"an other line with LF", tq + tq1 + "z\t5/tcp\n", tq + tq1 + "z\t5/tcp\r\n"},
  };
  for (const Case& c : cases) {
    WriteServices(c.services);
    machine.WriteFile(kBackup, "older\r\n");
    {
      orvane::test::FileSizeLimit fullDisk(0);
      EXPECT_EQ(orvane::RegisterTcpServiceEntries(entries), c.registered.empty() ? 1 : 0) << c.what;
    }
    EXPECT_EQ(Services(), c.services) << c.what;
    EXPECT_EQ(machine.ReadFile(kBackup), "older\r\n") << c.what;
    if (c.registered.empty()) continue;
    ASSERT_EQ(orvane::RegisterTcpServiceEntries(entries), 1) << c.what;
    EXPECT_EQ(Services(), c.registered) << c.what;
    EXPECT_EQ(machine.ReadFile(kBackup), c.services) << c.what;
  }
}

// A link planted in the file's place is replaced by a file of its own, even
// when what it leads to holds the entries already.
TEST_F(ServicesFileTest, ALinkInTheFilesPlaceIsReplacedByAFile) {
  const std::string held = "tq\t\t1/tcp\t# c\r\n";
  machine.WriteFile("C:\\elsewhere.txt", held);
  WriteServices("");
  const std::string link = machine.HostPath(kServices);
  ASSERT_EQ(unlink(link.c_str()), 0);
  ASSERT_EQ(symlink(machine.HostPath("C:\\elsewhere.txt").c_str(), link.c_str()), 0);
  ASSERT_EQ(KelRegTcpService("tq", 1, "c"), 1);
  struct stat info;
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(Services(), held);
}

TEST_F(ServicesFileTest, FailedRewriteLeavesTheFileInPlace) {
  WriteServices("keep\t\t1/tcp\r\n");
  machine.WriteFile(kBackup, "older\r\n");
  {
    orvane::test::FileSizeLimit fullDisk(12);
    EXPECT_EQ(KelRegTcpService("a", 1, "c"), 0);
    EXPECT_EQ(KelUnregTcpService("absent"), 0);
  }
  EXPECT_EQ(Services(), "keep\t\t1/tcp\r\n");
  EXPECT_EQ(machine.ReadFile(kBackup), "older\r\n");
}
#endif

}  // namespace
