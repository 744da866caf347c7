#include "orvane/os/posix/HostFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "orvane/os/Files.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os::posix {
namespace {

constexpr char kFile[] = "C:\\WINNT\\tqconfig.dat";

class HostFileTest : public test::MachineTest {
 protected:
  std::string Host(const std::string& windowsPath = kFile) { return machine.HostPath(windowsPath); }

  // A host file beside the machine's folder, out of the machine.
  std::string Outside(const std::string& name) {
    const std::filesystem::path root = std::filesystem::path(Host("C:\\")).parent_path();
    return root.string() + "-" + name;
  }

  int ModeOf(const std::string& hostPath) {
    struct stat info {};
    EXPECT_EQ(stat(hostPath.c_str(), &info), 0) << hostPath;
    return static_cast<int>(info.st_mode & 07777);
  }

  // The names in the file's folder that start with the file's name and ".~".
  std::vector<std::string> Temporaries(const std::string& hostPath) {
    std::vector<std::string> names;
    const std::filesystem::path path(hostPath);
    const std::string prefix = path.filename().string() + ".~";
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path())) {
      const std::string name = entry.path().filename().string();
      if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
    }
    return names;
  }
};

bool WriteReplacement(const std::string& path, const std::string& text, int newFileMode = 0666) {
  ReplacementFile file(path, "wb", newFileMode);
  return file.stream() != nullptr &&
         std::fwrite(text.data(), 1, text.size(), file.stream()) == text.size() &&
         file.Commit().ok();
}

// Runs body in a child process, which ends with _exit, so that what it
// leaves behind is what a killed writer leaves. Returns the child's id.
pid_t InChild(const std::function<void()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    body();
    _exit(0);
  }
  return child;
}

int WaitFor(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST_F(HostFileTest, ReplacedFileKeepsItsModeAndNewFileGetsTheOneAskedFor) {
  ASSERT_TRUE(WriteReplacement(kFile, "secret", 0600));
  EXPECT_EQ(ModeOf(Host()), 0600);
  ASSERT_EQ(chmod(Host().c_str(), 0640), 0);
  ASSERT_TRUE(WriteReplacement(kFile, "other"));
  EXPECT_EQ(ModeOf(Host()), 0640);
  EXPECT_EQ(machine.ReadFile(kFile), "other");

  // The posix backend's own whole-file writes keep the mode too.
  ASSERT_EQ(chmod(Host().c_str(), 0604), 0);
  ASSERT_TRUE(ReplaceHostFile(Host(), "third").ok());
  EXPECT_EQ(ModeOf(Host()), 0604);
  EXPECT_TRUE(Temporaries(Host()).empty());
}

// A file that changed size between the stat and the read is read whole all the same.
TEST_F(HostFileTest, AStaleSizeFromAStatStillReadsTheWholeFile) {
  const std::string content = "ten bytes!";
  machine.WriteFile(kFile, content);
  for (const off_t size : {off_t{0}, off_t{3}, off_t{9}, off_t{10}, off_t{11}, off_t{4096}}) {
    Expected<std::string> bytes = ReadHostFile(Host(), size);
    ASSERT_TRUE(bytes.ok()) << size;
    EXPECT_EQ(*bytes, content) << size;
  }
}

TEST_F(HostFileTest, UncommittedReplacementLeavesTheFileAndNoTemporary) {
  machine.WriteFile(kFile, "old");
  {
    ReplacementFile file(kFile, "w");
    ASSERT_NE(file.stream(), nullptr);
    std::fputs("new\n", file.stream());
    ASSERT_TRUE(file.Finish().ok());
  }
  EXPECT_EQ(machine.ReadFile(kFile), "old");
  EXPECT_TRUE(Temporaries(Host()).empty());

  ReplacementFile text(kFile, "w");
  std::fputs("a\nb\n", text.stream());
  ASSERT_TRUE(text.Commit().ok());
  EXPECT_EQ(machine.ReadFile(kFile), "a\r\nb\r\n");
}

TEST_F(HostFileTest, TwoWritersAtOnceGetTheirOwnTemporaries) {
  ReplacementFile first(kFile, "wb");
  ReplacementFile second(kFile, "wb");
  ASSERT_NE(first.stream(), nullptr);
  ASSERT_NE(second.stream(), nullptr);
  EXPECT_EQ(Temporaries(Host()).size(), 2u);
  std::fputs("first whole\n", first.stream());
  std::fputs("second\n", second.stream());
  std::fputs("second whole\n", second.stream());
  ASSERT_TRUE(second.Commit().ok());
  ASSERT_TRUE(first.Commit().ok());
  EXPECT_EQ(machine.ReadFile(kFile), "first whole\n");
  EXPECT_TRUE(Temporaries(Host()).empty());
}

TEST_F(HostFileTest, PlantedLinksAtTheTemporaryNamesAreNeverFollowed) {
  machine.WriteFile(kFile, "old");
  const std::string outside = Outside("victim.txt");
  ASSERT_TRUE(ReplaceHostFile(outside, "victim").ok());
  std::string current;
  {
    ReplacementFile probe(kFile, "wb");
    ASSERT_EQ(Temporaries(Host()).size(), 1u);
    current = Temporaries(Host())[0];
  }
  // The next names this process would take, each a link out of the machine.
  const std::string stem = current.substr(0, current.rfind('.') + 1);
  const unsigned next = static_cast<unsigned>(std::stoul(current.substr(stem.size()))) + 1;
  for (unsigned i = next; i < next + 64; ++i) {
    ASSERT_EQ(symlink(outside.c_str(), (Host("C:\\WINNT") + "/" + stem + std::to_string(i)).c_str()), 0);
  }
  ASSERT_TRUE(WriteReplacement(kFile, "new"));
  ASSERT_TRUE(ReplaceHostFile(Host(), "newer").ok());
  EXPECT_EQ(machine.ReadFile(kFile), "newer");
  EXPECT_EQ(*ReadHostFile(outside), "victim");
  std::filesystem::remove(outside);
}

// Wherever a link at the file's name leads, in the machine or out of it, the
// link is replaced and what it led to keeps its content and mode.
TEST_F(HostFileTest, ALinkAtTheNameIsReplacedWhereverItLeads) {
  machine.WriteFile("D:\\conf\\httpd.cnf", "real");
  const std::string outside = Outside("victim.cnf");
  ASSERT_TRUE(ReplaceHostFile(outside, "victim", 0640).ok());
  ASSERT_TRUE(ReplaceHostFile(Host("D:\\conf\\httpd.cnf"), "real", 0640).ok());
  const std::vector<std::pair<std::string, std::string>> links = {
      {"C:\\WINNT\\in.cnf", Host("D:\\conf\\httpd.cnf")}, {"C:\\WINNT\\out.cnf", outside}};
  for (const auto& [link, target] : links) {
    ASSERT_EQ(symlink(target.c_str(), Host(link).c_str()), 0);
    ASSERT_TRUE(WriteReplacement(link, "edited", 0600)) << link;
    ASSERT_EQ(symlink(target.c_str(), Host(link + ".2").c_str()), 0);
    EXPECT_TRUE(ReplaceHostFile(Host(link + ".2"), "edited").ok()) << link;
    for (const std::string& name : {link, link + ".2"}) {
      struct stat info {};
      ASSERT_EQ(lstat(Host(name).c_str(), &info), 0);
      EXPECT_TRUE(S_ISREG(info.st_mode)) << name;
      EXPECT_EQ(machine.ReadFile(name), "edited");
    }
    EXPECT_EQ(ModeOf(Host(link)), 0600) << link;
    EXPECT_EQ(ModeOf(target), 0640) << target;
  }
  EXPECT_EQ(machine.ReadFile("D:\\conf\\httpd.cnf"), "real");
  EXPECT_EQ(*ReadHostFile(outside), "victim");
  std::filesystem::remove(outside);
}

TEST_F(HostFileTest, TemporariesOfKilledWritersGoAndThoseOfLiveOnesStay) {
  machine.WriteFile(kFile, "old");
  // A writer killed halfway: its temporary is left behind.
  WaitFor(InChild([&] {
    ReplacementFile* abandoned = new ReplacementFile(kFile, "wb");
    std::fputs("half", abandoned->stream());
  }));
  const std::vector<std::string> killed = Temporaries(Host());
  ASSERT_EQ(killed.size(), 1u);

  // A live writer in another process, waiting on a pipe; starting, it
  // removes what the killed one left.
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t live = InChild([&] {
    close(gate[1]);
    ReplacementFile* pending = new ReplacementFile(kFile, "wb");
    char byte = pending->stream() != nullptr ? 'y' : 'n';
    ASSERT_EQ(write(ready[1], &byte, 1), 1);
    ASSERT_EQ(read(gate[0], &byte, 1), 0);
  });
  close(gate[0]);
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'y');
  const std::vector<std::string> pending = Temporaries(Host());
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_NE(pending, killed);

  ASSERT_TRUE(WriteReplacement(kFile, "new"));
  EXPECT_EQ(Temporaries(Host()), pending);
  close(gate[1]);
  WaitFor(live);
  ASSERT_TRUE(ReplaceHostFile(Host(), "newer").ok());
  EXPECT_TRUE(Temporaries(Host()).empty());
  close(ready[0]);
  close(ready[1]);
}

TEST_F(HostFileTest, AKillAtAnyMomentLeavesOneWholeContent) {
  const std::string first(300000, 'a');
  const std::string second(200000, 'b');
  ASSERT_TRUE(ReplaceHostFile(Host(), first).ok());
  for (int round = 0; round < 5; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t writer = InChild([&] {
      for (int i = 0;; ++i) {
        ReplaceHostFile(Host(), i % 2 == 0 ? second : first);
        if (i == round) {
          char byte = 'w';
          if (write(ready[1], &byte, 1) != 1) return;
        }
      }
    });
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    kill(writer, SIGKILL);
    WaitFor(writer);
    close(ready[0]);
    close(ready[1]);
    const std::string content = *ReadHostFile(Host());
    EXPECT_TRUE(content == first || content == second) << content.size();
  }
  ASSERT_TRUE(ReplaceHostFile(Host(), "end").ok());
  EXPECT_TRUE(Temporaries(Host()).empty());
}

}  // namespace
}  // namespace orvane::os::posix
