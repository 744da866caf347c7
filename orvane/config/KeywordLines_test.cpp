#include "orvane/config/KeywordLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvane/config/InstanceFileTestMachine.h"

namespace {

using orvane::FirstWord;
using orvane::Words;

TEST(KeywordLinesTest, FirstWordAndWords) {
  struct Case {
    const char* line;
    const char* delimiters;
    const char* first;
  };
  const Case cases[] = {
      {"DBNAME x\n", " ", "DBNAME"},
      {"DBNAME\n", " ", "DBNAME"},  // the line end is no part of the word
      {"  \tKEY\tvalue", " \t", "KEY"},
      {"KEY\tvalue", " ", "KEY\tvalue"},
      {" \t \n", " \t", ""},
      {"", " ", ""},
      {"A,B C", " ,", "A"},
  };
  for (const Case& c : cases) EXPECT_EQ(FirstWord(c.line, c.delimiters), c.first) << c.line;
  EXPECT_EQ(Words("CONTROL_POOL_CONFIG a,b ,,c\r\n", " ,"),
            (std::vector<std::string>{"CONTROL_POOL_CONFIG", "a", "b", "c"}));
  EXPECT_TRUE(Words(" , \n", " ,").empty());
}

class KeywordLineFileTest : public orvane::test::InstanceFileTest {};

TEST_F(KeywordLineFileTest, KeyMissing) {
  machine.WriteFile("C:\\x\\a.ini", "DBNAME d\r\n  GL_PORT 9000\r\nPERS_ENABLED\r\nTAB\tX\r\n");
  EXPECT_EQ(orvane::KeyMissing("C:\\x\\a.ini", "DBNAME"), 0);
  EXPECT_EQ(orvane::KeyMissing("C:\\x\\a.ini", "GL_PORT"), 0);
  EXPECT_EQ(orvane::KeyMissing("C:\\x\\a.ini", "PERS_ENABLED"), 0);
  EXPECT_EQ(orvane::KeyMissing("C:\\x\\a.ini", "dbname"), 1);  // keywords compare exactly
  EXPECT_EQ(orvane::KeyMissing("C:\\x\\a.ini", "TAB"), 1);     // split at spaces only
  EXPECT_EQ(orvane::KeyMissing("C:\\x\\a.ini", "d"), 1);
  EXPECT_EQ(orvane::KeyMissing("C:\\x\\missing.ini", "DBNAME"), 0);
}

TEST_F(KeywordLineFileTest, AddIfMissingAppendsOnceAndKeepsEveryLine) {
  const std::string previous = "PATH C:\\100%\\x\r\nGL_PORT 8000\r\nLAST";
  machine.WriteFile("C:\\x\\tessaly.ini", previous);
  ASSERT_EQ(orvane::AddIfMissing("GL_PORT", "C:\\x\\tessaly.ini", " ", "9000"), 1);
  EXPECT_EQ(machine.ReadFile("C:\\x\\tessaly.ini"), previous);
  ASSERT_EQ(orvane::AddIfMissing("GL_HOST", "C:\\x\\tessaly.ini", " ", "h"), 1);
  const std::string added = previous + "\r\nGL_HOST h\r\n";
  EXPECT_EQ(machine.ReadFile("C:\\x\\tessaly.ini"), added);
  EXPECT_EQ(machine.ReadFile("C:\\x\\tessaly.old.ini"), previous);

  EXPECT_EQ(orvane::AddIfMissing("GL_X", "C:\\x\\tessaly.ini", " ", "a\r\nDBPASS b"), 0);
  EXPECT_EQ(machine.ReadFile("C:\\x\\tessaly.ini"), added);
  EXPECT_EQ(orvane::test::ShownErrors(),
            std::vector<std::string>{"Cannot create configuration file C:\\x\\tessaly.ini."});
  EXPECT_EQ(orvane::AddIfMissing("GL_X", "C:\\x\\none.ini", " ", "1"), 0);
  EXPECT_FALSE(machine.FileExists("C:\\x\\none.ini"));
}

}  // namespace
