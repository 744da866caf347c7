// The console's secrets: their form, and the comparison that guards them.
#include "RandomToken.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace orvanectl {
namespace {

TEST(RandomToken, TokensAreHexOfTheBytesAskedForAndNeverRepeat) {
  std::set<std::string> drawn;
  for (std::size_t bytes : {1u, 16u, 32u}) {
    for (int i = 0; i < 20; ++i) {
      const std::optional<std::string> token = RandomToken(bytes);
      ASSERT_TRUE(token);
      EXPECT_TRUE(std::regex_match(*token, std::regex("[0-9a-f]{" + std::to_string(2 * bytes) + "}")))
          << *token;
      if (bytes >= 16) {
        EXPECT_TRUE(drawn.insert(*token).second) << *token;
      }
    }
  }
  EXPECT_EQ(RandomToken(0), std::nullopt);
}

TEST(RandomToken, ASecretMatchesItselfAlone) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"abc123", "abc123", true}, {"abc123", "abc124", false}, {"abc123", "abc12", false},
      {"", "", true},             {"", "a", false},            {"Abc123", "abc123", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SameSecret(c.a, c.b), c.same) << c.a << " / " << c.b;
  }
}

}  // namespace
}  // namespace orvanectl
