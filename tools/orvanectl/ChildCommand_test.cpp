// Children started with an argument vector: their input, output and exit codes.
#include "ChildCommand.h"

#include <gtest/gtest.h>

namespace orvanectl {
namespace {

struct ChildCase {
  const char* what;
  std::vector<std::string> arguments;  // for /bin/sh
  std::string input;
  int exitCode;
  std::string output;
};

TEST(ChildCommand, RunsWithoutAShellBetweenAndReportsOutputAndExit) {
  const ChildCase cases[] = {
      {"standard input reaches the child", {"-c", "cat"}, "one\ntwo\n", 0, "one\ntwo\n"},
      {"an argument is one word, spaces and quotes and all",
       {"-c", "printf '%s|' \"$@\"", "sh", "a b", "'c'", "$HOME"}, "", 0, "a b|'c'|$HOME|\n"},
      {"the exit code", {"-c", "exit 7"}, "", 7, ""},
      {"a child killed by a signal", {"-c", "kill -9 $$"}, "", 128 + 9, ""},
      {"a child that does not read its input", {"-c", "echo done"}, std::string(1 << 20, 'x'),
       0, "done\n"},
  };
  for (const ChildCase& c : cases) {
    SCOPED_TRACE(c.what);
    const ChildResult result = RunChild("/bin/sh", c.arguments, c.input);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.output, c.output);
  }
}

TEST(ChildCommand, LinesComeOneAtATimeWithErrorsJoinedWhenAsked) {
  ChildCommand child("/bin/sh", {"-c", "echo first; echo second >&2; printf last"}, "",
                     ChildCommand::Errors::kWithOutput);
  ASSERT_TRUE(child.Started());
  std::vector<std::string> lines;
  for (std::optional<std::string> line; (line = child.NextLine());) lines.push_back(*line);
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "second", "last"}));
  EXPECT_EQ(child.Finish(), 0);

  const ChildResult quiet = RunChild("/bin/sh", {"-c", "echo out; echo err >&2"});
  EXPECT_EQ(quiet.output, "out\n");
}

TEST(ChildCommand, AProgramThatIsNotThereNeverStarts) {
  ChildCommand child("/nonexistent/program", {}, "", ChildCommand::Errors::kDiscard);
  EXPECT_FALSE(child.Started());
  EXPECT_EQ(child.NextLine(), std::nullopt);
  EXPECT_EQ(child.Finish(), -1);
}

}  // namespace
}  // namespace orvanectl
