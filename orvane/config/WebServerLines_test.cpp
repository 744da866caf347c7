#include "orvane/config/WebServerLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(WebServerLinesTest, KeywordAndDefaultPassLines) {
  struct Case {
    const char* line;
    int hostname;
    int defaultPass;
  };
  const Case cases[] = {
      {"Hostname shop\n", 1, 0},
      {"  \tHOSTNAME\r\n", 1, 0},
      {"Hostnames x\n", 0, 0},
      {"# Hostname x\n", 0, 0},
      {"", 0, 0},
      {"Pass /* C:\\html\\*\n", 0, 1},
      {"pass\t/*\r\n", 0, 1},
      {"PASS   /*", 0, 1},
      {"Pass /x/* C:\\x\n", 0, 0},
      {"Pass /*x C:\\x\n", 0, 0},
      {"Pass\n", 0, 0},
      {"Passes /* C:\\x\n", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(orvane::IsKeywordLine(c.line, "Hostname"), c.hostname) << c.line;
    EXPECT_EQ(orvane::IsDefaultPassLine(c.line), c.defaultPass) << c.line;
  }
  EXPECT_EQ(orvane::LineWord(" a\tbb  c\r\n", 2), "c");
  EXPECT_EQ(orvane::LineWord(" a\tbb  c\r\n", 3), "");
}

TEST(WebServerLinesTest, OldSectionsAreDroppedUpToEitherEndMarker) {
  const std::vector<std::string> lines = {
      "keep 1\n",
      "###### VXR Tessaly ###### (x)\n",
      "inside\n",
      "###### END OF TESSALY ######\n",
      "keep 2\n",
      "## VXR Tessaly (Pass) ##\n",
      "## End of VXR Tessaly (Pass) ##\n",
      "End of VXR\n",
      "END OF TESSALY alone is an ordinary line\n",
      "x VXR Tessaly\n",
      "still inside\n",
  };
  orvane::OldSectionFilter filter;
  std::string kept;
  for (const std::string& line : lines) {
    if (!filter.Drops(line)) kept += line;
  }
  EXPECT_EQ(kept, "keep 1\nkeep 2\nEnd of VXR\nEND OF TESSALY alone is an ordinary line\n");
  EXPECT_TRUE(filter.InsideSection());
}

}  // namespace
