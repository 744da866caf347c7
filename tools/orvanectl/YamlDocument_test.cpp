#include "YamlDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvanectl {
namespace {

using nlohmann::json;

TEST(YamlDocumentTest, ScalarsTakeTheTypesTheySpellUnlessQuoted) {
  struct Case {
    std::string yaml;
    json expected;
  };
  const std::vector<Case> cases = {
      {"processes: 4", {{"processes", 4}}},
      {"port: -80", {{"port", -80}}},
      {"cache: true\nwebconf: False", {{"cache", true}, {"webconf", false}}},
      {"host: shop1.example", {{"host", "shop1.example"}}},
      {"processes: \"4\"", {{"processes", "4"}}},
      {"cache: 'true'", {{"cache", "true"}}},
      {"a: ~\nb: null\nc:", {{"a", nullptr}, {"b", nullptr}, {"c", nullptr}}},
      {"v: 1.5", {{"v", "1.5"}}},
      {"v: 0x10", {{"v", "0x10"}}},
      {"v: 12345678901234567890", {{"v", "12345678901234567890"}}},
      {"v: yes", {{"v", "yes"}}},  // not a boolean in YAML's core schema
      {"running: [shop1, shop2]", {{"running", {"shop1", "shop2"}}}},
      {"instances:\n  - name: shop1\n    db-password: {env: PW}\n",
       {{"instances", {{{"name", "shop1"}, {"db-password", {{"env", "PW"}}}}}}}},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<json> document = ParseYamlDocument(c.yaml, error);
    ASSERT_TRUE(document.has_value()) << c.yaml << ": " << error;
    EXPECT_EQ(*document, c.expected) << c.yaml;
  }
}

TEST(YamlDocumentTest, RefusesWhatIsNoSingleBoundedDocument) {
  // Nine levels of aliases, each naming the one before nine times: 9^9
  // nodes if expanded.
  std::string laughs = "a0: &a0 [x, x, x, x, x, x, x, x, x]\n";
  for (int level = 1; level <= 9; ++level) {
    const std::string before = "*a" + std::to_string(level - 1);
    laughs += "a" + std::to_string(level) + ": &a" + std::to_string(level) + " [";
    for (int i = 0; i < 9; ++i) laughs += (i == 0 ? "" : ", ") + before;
    laughs += "]\n";
  }
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"instances: [shop1", "not a YAML document"},
      {"a: 1\n---\nb: 2\n", "one YAML document"},
      {"? [a, b]\n: c\n", "keys are plain texts"},
      {std::string(100, '[') + std::string(100, ']'), "beyond"},
      {laughs, "beyond"},
  };
  for (const auto& [yaml, said] : cases) {
    std::string error;
    EXPECT_FALSE(ParseYamlDocument(yaml, error).has_value()) << yaml.substr(0, 40);
    EXPECT_NE(error.find(said), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace orvanectl
