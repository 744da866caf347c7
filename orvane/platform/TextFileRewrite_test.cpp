#include "orvane/platform/TextFileRewrite.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/os/Files.h"
#include "orvane/testing/TempMachine.h"

namespace orvane {
namespace {

constexpr char kFile[] = "C:\\WINNT\\shared.cnf";
constexpr char kBackup[] = "C:\\WINNT\\shared.old.cnf";

class TextFileRewriteTest : public test::MachineTest {};

TEST_F(TextFileRewriteTest, ReadLineTakesWholeLinesWithNulBytesAndAnUnendedLast) {
  const std::string longLine(5000, 'x');
  machine.WriteFile(kFile, longLine + "\r\n" + std::string("a\0b\r\n", 5) + "\r\nlast");
  FILE* in = os::OpenFile(kFile, "r");
  ASSERT_NE(in, nullptr);
  std::vector<std::string> lines;
  for (std::string line; ReadLine(in, &line);) lines.push_back(line);
  std::fclose(in);
  EXPECT_EQ(lines, (std::vector<std::string>{longLine + "\n", std::string("a\0b\n", 4), "\n",
                                             "last"}));
}

TEST_F(TextFileRewriteTest, ReadLineKeepsNulBytesWhereverTheyFallInItsPieces) {
  // Lines around the reader's piece size, with NULs at the ends of pieces
  // and of the file.
  const std::vector<std::string> lines = {
      std::string(254, 'p') + std::string("\0\n", 2), std::string(255, 'q') + "\n",
      std::string(256, '\0') + "\n", std::string(511, 'r') + "\n", std::string("end\0", 4)};
  std::string stored;
  for (const std::string& line : lines) {
    stored += line.back() == '\n' ? line.substr(0, line.size() - 1) + "\r\n" : line;
  }
  machine.WriteFile(kFile, stored);
  FILE* in = os::OpenFile(kFile, "r");
  ASSERT_NE(in, nullptr);
  std::vector<std::string> read;
  for (std::string line; ReadLine(in, &line);) read.push_back(line);
  std::fclose(in);
  EXPECT_EQ(read, lines);
}

// The rule that tells a rewrite that would change nothing is the stream's
// own: what a text stream puts in the file, and a file of CR LF lines coming
// through a copy unchanged.
TEST_F(TextFileRewriteTest, TextStreamBytesAreWhatATextStreamWrites) {
  const std::string texts[] = {"", "a\n", "a\r\nb", "\n\n", "a\rb\n", std::string("\0\n", 2)};
  for (const std::string& text : texts) {
    FILE* out = os::OpenFile(kFile, "w");
    ASSERT_NE(out, nullptr);
    std::fwrite(text.data(), 1, text.size(), out);
    ASSERT_EQ(std::fclose(out), 0);
    const std::string written = machine.ReadFile(kFile);
    EXPECT_EQ(TextStreamBytes(text), written) << text;
    ASSERT_EQ(RewriteWithBackup(kFile, kBackup,
                                [](FILE* in, FILE* copy) {
                                  CopyLines(in, copy, [](const char*, FILE*) { return true; });
                                }),
              1);
    EXPECT_EQ(machine.ReadFile(kFile), written) << text;
  }
}

TEST_F(TextFileRewriteTest, RewriteCopiesWhatTheRuleKeepsAndKeepsOneBackup) {
  const std::string original = std::string(3000, 'k') + "\r\ndrop me\r\n" +
                               std::string("nul\0kept\r\n", 10) + "tail";
  machine.WriteFile(kFile, original);
  machine.WriteFile(kBackup, "older");
  std::vector<std::string> seen;
  ASSERT_EQ(RewriteWithBackup(kFile, kBackup,
                              [&](FILE* in, FILE* out) {
                                CopyLines(in, out, [&](const char* line, FILE* to) {
                                  seen.push_back(line);
                                  if (std::string(line) != "drop me\n") return true;
                                  std::fputs("new\n", to);
                                  return false;
                                });
                              }),
            1);
  EXPECT_EQ(seen, (std::vector<std::string>{std::string(3000, 'k') + "\n", "drop me\n", "nul",
                                            "tail"}));
  EXPECT_EQ(machine.ReadFile(kFile), std::string(3000, 'k') + "\r\nnew\r\n" +
                                         std::string("nul\0kept\r\n", 10) + "tail");
  EXPECT_EQ(machine.ReadFile(kBackup), original);
}

TEST_F(TextFileRewriteTest, ReplacementIsInvisibleUntilCommitted) {
  machine.WriteFile(kFile, "before");
  {
    FileReplacement replacement(kFile);
    ASSERT_NE(replacement.stream(), nullptr);
    std::fputs("after\n", replacement.stream());
    EXPECT_EQ(machine.ReadFile(kFile), "before");
    ASSERT_TRUE(replacement.Close());
  }
  EXPECT_EQ(machine.ReadFile(kFile), "before");

  FileReplacement replacement(kFile);
  std::fputs("after\n", replacement.stream());
  ASSERT_TRUE(replacement.Commit());
  EXPECT_EQ(machine.ReadFile(kFile), "after\r\n");
  auto left = os::ListDirectory("C:\\WINNT", "shared.cnf.~*");
  EXPECT_FALSE(left.ok()) << "a temporary file was left beside the file";
}

TEST_F(TextFileRewriteTest, StaleTemporaryOfAWriterThatIsGoneIsRemoved) {
  // The name a killed writer of process 99999990 leaves behind.
  const std::string stale = std::string(kFile) + ".~99999990.0";
  machine.WriteFile(stale, "half");
  machine.WriteFile(kFile, "x");
  const auto copyAll = [](FILE* in, FILE* out) {
    CopyLines(in, out, [](const char*, FILE*) { return true; });
  };
  ASSERT_EQ(RewriteWithBackup(kFile, kBackup, copyAll), 1);
  EXPECT_FALSE(machine.FileExists(stale));
  EXPECT_EQ(machine.ReadFile(kFile), "x");
}

}  // namespace
}  // namespace orvane
