#include "orvane/os/Process.h"

#include <gtest/gtest.h>

namespace orvane::os {
namespace {

using Arguments = std::vector<std::string>;

TEST(SplitCommandLineTest, BlanksSeparateAndQuotesGroup) {
  EXPECT_EQ(SplitCommandLine("velqcmd /c  /w\t/i x.bat"),
            Arguments({"velqcmd", "/c", "/w", "/i", "x.bat"}));
  EXPECT_EQ(SplitCommandLine("a \"b c\" d\"e f\"g \"\""), Arguments({"a", "b c", "de fg", ""}));
  EXPECT_EQ(SplitCommandLine("a b  "), Arguments({"a", "b"}));
  EXPECT_EQ(SplitCommandLine(""), Arguments());
}

TEST(SplitCommandLineTest, ProgramNameTakesBackslashesLiterallyAndEndsAtItsQuote) {
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\x\\\" y"),
            Arguments({"C:\\Program Files\\x\\", "y"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\a b\\p.exe\"-v w"), Arguments({"C:\\a b\\p.exe", "-v", "w"}));
  EXPECT_EQ(SplitCommandLine("C:\\bin\\p.exe"), Arguments({"C:\\bin\\p.exe"}));
  EXPECT_EQ(SplitCommandLine("\"unterminated name"), Arguments({"unterminated name"}));
}

TEST(SplitCommandLineTest, BackslashesEscapeOnlyBeforeAQuote) {
  EXPECT_EQ(SplitCommandLine("p C:\\dir\\ a\\\\b"), Arguments({"p", "C:\\dir\\", "a\\\\b"}));
  // 2n backslashes: n of them, then the quote opens or closes quoting.
  EXPECT_EQ(SplitCommandLine("p a\\\\\"b c\""), Arguments({"p", "a\\b c"}));
  // 2n+1 backslashes: n of them and a literal quote.
  EXPECT_EQ(SplitCommandLine("p a\\\"b \\\\\\\"c"), Arguments({"p", "a\"b", "\\\"c"}));
  EXPECT_EQ(SplitCommandLine("p \"C:\\dir\\\\\" next"), Arguments({"p", "C:\\dir\\", "next"}));
  EXPECT_EQ(SplitCommandLine("p trailing\\\\"), Arguments({"p", "trailing\\\\"}));
}

TEST(SplitCommandLineTest, DoubledQuoteInsideQuotesIsALiteralQuoteThatEndsQuoting) {
  EXPECT_EQ(SplitCommandLine("p \"a \"\"b\"\" c\""), Arguments({"p", "a \"b", "c"}));
  EXPECT_EQ(SplitCommandLine("p \"\"\"x y\"\"\""), Arguments({"p", "\"x", "y\""}));
}

}  // namespace
}  // namespace orvane::os
