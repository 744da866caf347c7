#include "portset/EditBuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

TEST(EditBufferTest, FindsOnlyWholeWords) {
  // The port number must end the word: 80 is no match inside 8000, and a
  // letter or digit before the directive joins it to a longer word.
  EditBuffer inLongerNumber("Port     8000\r\n");
  EXPECT_EQ(inLongerNumber.FindWholeWord("Port     80"), EditBuffer::kNotFound);

  EditBuffer inLongerName("XPort     80\r\nPort     800\r\n");
  EXPECT_EQ(inLongerName.FindWholeWord("Port     80"), EditBuffer::kNotFound);

  EditBuffer afterSkippedOnes("Port     8000\nXPort     80\n#Port     80;\n");
  EXPECT_EQ(afterSkippedOnes.FindWholeWord("Port     80"), 28u);

  EditBuffer atTheEnds("Port     80");
  EXPECT_EQ(atTheEnds.FindWholeWord("Port     80"), 0u);
}

TEST(EditBufferTest, SpacesMustMatchExactly) {
  EditBuffer fourSpaces("Port    80\r\n");
  EXPECT_EQ(fourSpaces.FindWholeWord("Port     80"), EditBuffer::kNotFound);
  EditBuffer tab("Port\t80\r\n");
  EXPECT_EQ(tab.FindWholeWord("Port     80"), EditBuffer::kNotFound);
}

TEST(EditBufferTest, IgnoresLetterCaseAndWritesTheReplacementAsGiven) {
  EditBuffer buffer("# ports\r\nPORT     80\r\n");
  ASSERT_EQ(buffer.FindWholeWord("Port     80"), 9u);
  buffer.ReplaceSelection("Port     8000");
  EXPECT_EQ(buffer.text(), "# ports\r\nPort     8000\r\n");
}

TEST(EditBufferTest, ReplacesOnlyTheFirstOccurrence) {
  EditBuffer buffer("# Port     80 is the default\r\nPort     80\r\n");
  ASSERT_EQ(buffer.FindWholeWord("port     80"), 2u);
  buffer.ReplaceSelection("Port     8000");
  EXPECT_EQ(buffer.text(), "# Port     8000 is the default\r\nPort     80\r\n");
}

TEST(EditBufferTest, KeepsEveryOtherByte) {
  const std::string before = std::string("\xEF\xBB\xBF", 3) + "a\tb\r\n" + std::string(1, '\0') +
                             "\xE9t\xE9\r\r\nPort     8000\n\x1A";
  EditBuffer buffer(before);
  ASSERT_NE(buffer.FindWholeWord("Port     8000"), EditBuffer::kNotFound);
  buffer.ReplaceSelection("Port     80");
  const std::string expected = std::string("\xEF\xBB\xBF", 3) + "a\tb\r\n" +
                               std::string(1, '\0') + "\xE9t\xE9\r\r\nPort     80\n\x1A";
  EXPECT_EQ(buffer.text(), expected);
}

TEST(EditBufferTest, FindsAMatchFarBeyondSixteenBitPositions) {
  const std::string filler(100000, 'x');
  EditBuffer buffer(filler + "\nPort     80\r\n");
  EXPECT_EQ(buffer.FindWholeWord("Port     80"), 100001u);
  buffer.ReplaceSelection("Port     8000");
  EXPECT_EQ(buffer.text(), filler + "\nPort     8000\r\n");
}

TEST(EditBufferTest, NothingToFindInEmptyOrShortText) {
  EditBuffer empty;
  EXPECT_EQ(empty.FindWholeWord("Port     80"), EditBuffer::kNotFound);
  EditBuffer shorter("Port");
  EXPECT_EQ(shorter.FindWholeWord("Port     80"), EditBuffer::kNotFound);
}

}  // namespace
}  // namespace orvane
