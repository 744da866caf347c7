#include "orvane/os/posix/TextStream.h"

#include <fcntl.h>
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace orvane::os::posix
