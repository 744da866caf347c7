#include "orvane/platform/ServicesDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/os/ChangeRecorder.h"
#include "orvane/platform/ServicesFile.h"
#include "orvane/testing/Emulation.h"
#include "orvane/testing/TempMachine.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace orvane {
namespace {

using Names = std::vector<std::string>;

Names NamesAt(const ServicesDatabase& services, int port) {
  const ServicesDatabase::Names names = services.NamesAt(port);
  return Names(names.begin(), names.end());
}

const std::string kServicesFile = orvane::test::TempMachine::ServicesFile();

constexpr char kSample[] =
    "# services\r\n"
    "echo\t\t7/tcp\r\n"
    "echo\t\t7/udp\r\n"
    "  http  80/tcp www www-http  # World Wide Web\r\n"
    "tq_a\t \t 16570/tcp # x\r\n"
    "tq_b\r\n"
    "TQ_A\t\t1/tcp\r\n"
    "echo-late 7/sctp\r\n"
    "#tq_c 16571/tcp\r\n"
    "tq_d 16572/tcp#glued comment\n"
    "bad 70000/tcp\r\n"
    "odd 16573x/tcp\r\n"
    "last\t16574/tcp";

TEST(ServicesDatabaseTest, PortOfANameIsTakenFromTheFirstLineStartingWithIt) {
  const ServicesDatabase services(kSample);
  struct Case {
    const char* name;
    int port;
  };
  const Case cases[] = {
      {"echo", 7},  {"ECHO", 7},       {"http", 80},  {"www", -1},   // aliases never match
      {"tq_a", 16570}, {"tq_b", 0},    // a name without a port
      {"tq_c", -1}, {"#tq_c", 16571},  // a comment's first word is the whole word
      {"tq_d", 16572}, {"bad", 70000}, {"odd", 16573}, {"last", 16574}, {"tq", -1}, {"", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(services.PortOf(c.name), c.port) << c.name;
}

TEST(ServicesDatabaseTest, NamesAtAPortAreTheEntriesOfEveryProtocolInFileOrder) {
  const ServicesDatabase services(kSample);
  struct Case {
    int port;
    Names names;
  };
  const Case cases[] = {
      {7, {"echo", "echo", "echo-late"}},  // file order, also after a higher port
      {80, {"http"}}, {16570, {"tq_a"}}, {1, {"TQ_A"}},
      {16571, {}},          // commented out
      {16572, {"tq_d"}},    // the comment needs no blank before it
      {70000, {}}, {70000 - 65536, {}}, {16573, {}},  // no port number
      {16574, {"last"}},    // a last line without its line end
      {0, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(NamesAt(services, c.port), c.names) << c.port;
}

TEST(ServicesDatabaseTest, FirstLineOfANameIsItsBytesWithTheirLineEnd) {
  const ServicesDatabase services(kSample);
  struct Case {
    const char* name;
    std::string line;
  };
  const Case cases[] = {
      {"echo", "echo\t\t7/tcp\r\n"},  {"ECHO", "echo\t\t7/tcp\r\n"},
      {"tq_a", "tq_a\t \t 16570/tcp # x\r\n"},  // not the later "TQ_A"
      {"tq_d", "tq_d 16572/tcp#glued comment\n"},   {"tq_b", "tq_b\r\n"},
      {"last", "last\t16574/tcp"},  // no line end
      {"www", ""},  {"tq_c", ""},  {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(services.FirstLineOf(c.name), c.line) << c.name;
}

TEST(ServicesDatabaseTest, EveryLineEndingWithCrLfIsTold) {
  struct Case {
    std::string bytes;
    bool crLf;
  };
  const Case cases[] = {
      {"", true},           {"a 1/tcp\r\n", true},   {"a 1/tcp\r\nb 2/tcp", true},
      {"a\r\r\n", true},    {"a 1/tcp\r", true},      {"\r\n\r\n", true},
      {"\n", false},        {"a\r\nb\nc\r\n", false}, {"a\n\r", false},
      {std::string("a\0\r\nb\n", 6), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ServicesDatabase(c.bytes).EndsEveryLineWithCrLf(), c.crLf) << c.bytes;
  }
}

// The changes are made with the host's own calls and by a child process, as
// other programs make them, on the emulated machine's file.
#if !defined(_WIN32)

class ServicesDatabaseMachineTest : public test::MachineTest {
 protected:
  // Sets the modification time of the services file.
  void SetModified(const timespec& when) {
    const timespec times[2] = {when, when};
    ASSERT_EQ(utimensat(AT_FDCWD, machine.HostPath(kServicesFile).c_str(), times, 0), 0);
  }
  timespec Modified() {
    struct stat info;
    EXPECT_EQ(stat(machine.HostPath(kServicesFile).c_str(), &info), 0);
    return info.st_mtim;
  }
};

TEST_F(ServicesDatabaseMachineTest, AnUnchangedFileIsParsedOnceAndEveryChangeIsSeen) {
  machine.WriteFile(kServicesFile, "a\t\t1/tcp\r\n");
  const auto first = ServicesDatabase::Current();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(ServicesDatabase::Current(), first);
  EXPECT_EQ(KelGetTcpServicePort("a"), 1);

  // Replaced by a file of the same size with the same modification time, as
  // two rewrites within one tick of the clock leave it: the new inode tells.
  const timespec modified = Modified();
  machine.WriteFile(kServicesFile, "b\t\t2/tcp\r\n");
  SetModified(modified);
  EXPECT_EQ(KelGetTcpServicePort("a"), -1);
  EXPECT_EQ(KelGetTcpServicePort("b"), 2);

  // Changed in place: the size tells.
  const int fd = open(machine.HostPath(kServicesFile).c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "c 3/tcp\r\n", 9), 9);
  close(fd);
  EXPECT_EQ(KelGetTcpServicePort("c"), 3);
  EXPECT_EQ(NamesAt(*ServicesDatabase::Current(), 3), Names{"c"});

  // Gone: the look-up cannot open the file.
  ASSERT_EQ(unlink(machine.HostPath(kServicesFile).c_str()), 0);
  EXPECT_EQ(ServicesDatabase::Current(), nullptr);
  EXPECT_EQ(KelGetTcpServicePort("c"), 0);
}

// A verify plans one instance after another: the database parsed in one
// plan serves the next as long as no plan changes the file, and never shows
// a plan's entry outside it.
TEST_F(ServicesDatabaseMachineTest, OneParseServesPlanAfterPlanUntilAPlanWritesTheFile) {
  machine.WriteFile(kServicesFile, "a\t\t1/tcp\t# c\r\n");
  const auto machines = ServicesDatabase::Current();
  ASSERT_NE(machines, nullptr);
  for (int plan = 0; plan < 2; ++plan) {
    os::ChangeRecorder recorder(os::Recording::kPlan);
    EXPECT_EQ(ServicesDatabase::Current(), machines) << plan;
    ASSERT_EQ(KelRegTcpService("a", 1, "c"), 1);  // as it is already
    EXPECT_EQ(ServicesDatabase::Current(), machines) << plan;
  }
  {
    os::ChangeRecorder recorder(os::Recording::kPlan);
    ASSERT_EQ(KelRegTcpService("b", 2, "planned"), 1);
    EXPECT_EQ(KelGetTcpServicePort("b"), 2);
  }
  EXPECT_EQ(KelGetTcpServicePort("b"), -1);
  const auto afterwards = ServicesDatabase::Current();
  {
    os::ChangeRecorder recorder(os::Recording::kPlan);
    EXPECT_EQ(ServicesDatabase::Current(), afterwards);
    machine.WriteFile(kServicesFile, "c\t\t3/tcp\r\n");
    EXPECT_EQ(KelGetTcpServicePort("c"), 3);
  }
  EXPECT_EQ(KelGetTcpServicePort("c"), 3);
}

TEST_F(ServicesDatabaseMachineTest, AnotherProcessesRegistrationIsSeenAtTheNextLookUp) {
  machine.WriteFile(kServicesFile, "echo\t\t7/tcp\r\n");
  for (int round = 1; round <= 3; ++round) {
    const std::string name = "tqshop_" + std::to_string(round);
    ASSERT_EQ(KelGetTcpServicePort(name.c_str()), -1);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(KelRegTcpService(name.c_str(), 20000 + round, "shop") == 1 ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(KelGetTcpServicePort(name.c_str()), 20000 + round);
    EXPECT_EQ(NamesAt(*ServicesDatabase::Current(), 20000 + round), Names{name});
  }
}

#endif  // !defined(_WIN32)

}  // namespace
}  // namespace orvane
