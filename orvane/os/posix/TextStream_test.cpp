#include "orvane/os/posix/TextStream.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/os/Files.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::os::posix {
namespace {

using TextStreamTest = test::MachineTest;

TEST(StreamModeTest, ModesMapToOpenFlags) {
  EXPECT_EQ(ParseStreamMode("r")->openFlags, O_RDONLY);
  EXPECT_EQ(ParseStreamMode("rt")->openFlags, O_RDONLY);
  EXPECT_EQ(ParseStreamMode("w")->openFlags, O_WRONLY | O_CREAT | O_TRUNC);
  EXPECT_EQ(ParseStreamMode("wx")->openFlags, O_WRONLY | O_CREAT | O_TRUNC | O_EXCL);
  EXPECT_EQ(ParseStreamMode("a+b")->openFlags, O_RDWR | O_CREAT | O_APPEND);
  EXPECT_TRUE(ParseStreamMode("a+b")->binary);
  EXPECT_FALSE(ParseStreamMode("r+")->binary);
  EXPECT_EQ(ParseStreamMode("rb+")->stdioMode, "r+");
  EXPECT_FALSE(ParseStreamMode("x"));
  EXPECT_FALSE(ParseStreamMode(""));
  EXPECT_FALSE(ParseStreamMode(nullptr));
}

TEST_F(TextStreamTest, AnUpdateStreamReadsAndWritesAtTheFilesPositions) {
  machine.WriteFile("C:\\WINNT\\update.txt", "ab\r\ncd\r\n");
  FILE* stream = OpenFile("C:\\WINNT\\update.txt", "r+");
  ASSERT_NE(stream, nullptr);
  char line[16];
  ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
  EXPECT_STREQ(line, "ab\n");
  ASSERT_EQ(std::fseek(stream, 0, SEEK_CUR), 0);
  std::fputs("XY\n", stream);
  std::fclose(stream);
  EXPECT_EQ(machine.ReadFile("C:\\WINNT\\update.txt"), "ab\r\nXY\r\n");
}

TEST_F(TextStreamTest, ExclusiveCreationAndBadModesFail) {
  machine.WriteFile("C:\\WINNT\\there.txt", "x");
  EXPECT_EQ(OpenFile("C:\\WINNT\\there.txt", "wx"), nullptr);
  EXPECT_EQ(LastError(), kFileExists);
  EXPECT_EQ(OpenFile("C:\\WINNT\\there.txt", "q"), nullptr);
  EXPECT_EQ(LastError(), kInvalidParameter);
  EXPECT_EQ(OpenFile("C:\\WINNT", "r"), nullptr);
  EXPECT_EQ(LastError(), kAccessDenied);
}

TEST_F(TextStreamTest, ATextStreamCannotBeReopenedButFailsCleanly) {
  FILE* stream = OpenFile("C:\\WINNT\\text.log", "w");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(ReopenFile("C:\\WINNT\\other.log", "w", stream), nullptr);
  EXPECT_EQ(LastError(), kInvalidHandle);
  std::fputs("still here\n", stream);
  std::fclose(stream);
  EXPECT_EQ(machine.ReadFile("C:\\WINNT\\text.log"), "still here\r\n");
  EXPECT_FALSE(machine.FileExists("C:\\WINNT\\other.log"));
}

// The file's bytes for text lines: every "\n" stored as CR LF.
std::string Stored(const std::string& text) {
  std::string bytes;
  for (char c : text) {
    if (c == '\n') bytes.push_back('\r');
    bytes.push_back(c);
  }
  return bytes;
}

// Lines long and many enough to cross every buffer, with CRs of their own,
// so that a CR LF falls on the boundary of a read somewhere.
std::string ManyLines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += "line " + std::to_string(i) + std::string(static_cast<size_t>(i % 97), 'x');
    if (i % 13 == 0) text += "\ra lone CR";
    text += "\n";
  }
  return text;
}

TEST_F(TextStreamTest, PositionsAreByteOffsetsWhereverReadingStops) {
  // Each case reads some characters, asks for the position, reads on, seeks
  // back and must read the same again.
  struct Case {
    const char* name;
    int charsBefore;  // characters read with fgetc before ftell
    bool pushBack;    // the last of them is pushed back, as scanf does
  };
  const Case cases[] = {
      {"at the start", 0, false},   {"inside the first line", 3, false},
      {"right before a CR LF", 5, false}, {"right after a CR LF", 6, false},
      {"after a pushed-back line end", 6, true}, {"inside a later line", 15, false},
  };
  machine.WriteFile("C:\\WINNT\\lines.txt", Stored("first\nsecond\nthird\n"));
  const std::string text = "first\nsecond\nthird\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FILE* stream = OpenFile("C:\\WINNT\\lines.txt", "r");
    ASSERT_NE(stream, nullptr);
    int last = 0;
    for (int i = 0; i < c.charsBefore; ++i) last = std::fgetc(stream);
    if (c.pushBack) std::ungetc(last, stream);
    const int consumed = c.charsBefore - (c.pushBack ? 1 : 0);
    const long expected = static_cast<long>(Stored(text.substr(0, consumed)).size());
    const long position = std::ftell(stream);
    EXPECT_EQ(position, expected);
    char rest[64] = {};
    EXPECT_EQ(std::fread(rest, 1, sizeof rest - 1, stream), text.size() - consumed);
    EXPECT_EQ(rest, text.substr(consumed));
    ASSERT_EQ(std::fseek(stream, position, SEEK_SET), 0);
    char again[64] = {};
    std::fread(again, 1, sizeof again - 1, stream);
    EXPECT_STREQ(again, rest);
    std::fclose(stream);
  }
}

TEST_F(TextStreamTest, ALargeFileReadsTranslatedWithExactLinePositions) {
  const std::string text = ManyLines(6000);
  const std::string bytes = Stored(text);
  ASSERT_GT(bytes.size(), 3u * 65536);
  machine.WriteFile("C:\\WINNT\\large.txt", bytes);
  FILE* stream = OpenFile("C:\\WINNT\\large.txt", "r");
  ASSERT_NE(stream, nullptr);
  std::string read;
  std::vector<long> positions;
  char line[1100];
  positions.push_back(std::ftell(stream));
  while (std::fgets(line, sizeof line, stream) != nullptr) {
    read += line;
    positions.push_back(std::ftell(stream));
  }
  EXPECT_EQ(read, text);
  // Every position is the offset just after a line's LF in the file.
  size_t offset = 0;
  for (size_t i = 0; i < positions.size(); ++i) {
    EXPECT_EQ(positions[i], static_cast<long>(offset)) << "after line " << i;
    if (positions[i] != static_cast<long>(offset)) break;
    offset = bytes.find('\n', offset) + 1;
  }
  // A seek to any line's position reads that line, wherever it lies in the
  // buffers and whatever was read before.
  for (size_t i = positions.size() - 2; i > 0; i -= std::min<size_t>(i, 401)) {
    ASSERT_EQ(std::fseek(stream, positions[i], SEEK_SET), 0);
    ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
    const size_t textOffset = static_cast<size_t>(positions[i]) - i;  // one CR per line before
    EXPECT_EQ(line, text.substr(textOffset, text.find('\n', textOffset) + 1 - textOffset));
    EXPECT_EQ(std::ftell(stream), positions[i + 1]);
  }
  std::fclose(stream);
}

TEST_F(TextStreamTest, WritingCountsLineEndsAsTwoBytesBeforeAndAfterTheBufferEmpties) {
  struct Case {
    const char* mode;
    const char* before;  // the file's bytes before opening
  };
  const Case cases[] = {{"w", ""}, {"a", "old\r\n"}, {"w+", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    machine.WriteFile("C:\\WINNT\\out.txt", c.before);
    FILE* stream = OpenFile("C:\\WINNT\\out.txt", c.mode);
    ASSERT_NE(stream, nullptr);
    std::fputs("ab\ncd\n", stream);
    const long before = static_cast<long>(std::string(c.before).size());
    EXPECT_EQ(std::ftell(stream), before + 8);
    std::fputc('e', stream);
    EXPECT_EQ(std::ftell(stream), before + 9);
    ASSERT_EQ(std::fflush(stream), 0);
    EXPECT_EQ(std::ftell(stream), before + 9);
    EXPECT_EQ(std::fclose(stream), 0);
    EXPECT_EQ(machine.ReadFile("C:\\WINNT\\out.txt"), std::string(c.before) + "ab\r\ncd\r\ne");
  }
}

TEST_F(TextStreamTest, EveryByteWrittenOneByOneIsInTheFileAtClose) {
  const std::string text = ManyLines(3000);
  FILE* stream = OpenFile("C:\\WINNT\\bytes.txt", "w");
  ASSERT_NE(stream, nullptr);
  for (char c : text) std::fputc(c, stream);
  EXPECT_EQ(std::fclose(stream), 0);
  EXPECT_EQ(machine.ReadFile("C:\\WINNT\\bytes.txt"), Stored(text));
}

TEST(TextStreamErrorTest, AWriteThatFailsIsReportedAtClose) {
  // /dev/full refuses every write with "no space left on device".
  FILE* stream = OpenTextStreamOn(open("/dev/full", O_WRONLY | O_CLOEXEC), "w");
  ASSERT_NE(stream, nullptr);
  EXPECT_GE(std::fputs("buffered, not yet written\n", stream), 0);
  EXPECT_EQ(std::fclose(stream), EOF);
}

}  // namespace
}  // namespace orvane::os::posix
