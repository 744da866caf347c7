#include "DesiredState.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvanectl {
namespace {

using nlohmann::json;

class DesiredStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "desired-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  std::string SecretFile(const std::string& bytes) {
    const std::string path = (m_folder / "secret").string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::filesystem::path m_folder;
};

TEST_F(DesiredStateTest, ValuesBecomeTheSettersTexts) {
  const json document = {
      {"instances",
       {{{"name", "shop1"},
         {"processes", 4},
         {"cache", true},
         {"staging", "off"},
         {"web-server", 1},
         {"db-password", {{"file", SecretFile("first line\r\nsecond line\n")}}}}}},
      {"running", {"SHOP1"}}};
  std::string error;
  const std::optional<DesiredState> state = ReadDesiredState(document, error);
  ASSERT_TRUE(state) << error;
  ASSERT_EQ(state->instances.size(), 1u);
  std::map<std::string, std::string> fields;
  for (const auto& [field, text] : state->instances[0].fields) fields[field->option] = text;
  const std::map<std::string, std::string> expected = {{"processes", "4"},
                                                       {"cache", "on"},
                                                       {"staging", "off"},
                                                       {"web-server", "1"},
                                                       {"db-password", "first line"}};
  EXPECT_EQ(fields, expected);
  EXPECT_FALSE(state->webconf);
  EXPECT_FALSE(state->databases);
  ASSERT_TRUE(state->running);
  EXPECT_EQ(*state->running, std::vector<std::string>{"SHOP1"});
}

TEST_F(DesiredStateTest, RefusalsNameWhereAndWhy) {
  const struct {
    json document;
    std::string error;
  } cases[] = {
      {json::array(), "the document is an object with \"instances\""},
      {{{"instance", json::array()}}, "instance: not a key of a desired-state file"},
      {{{"instances", {{{"host", "x"}}}}},
       "instances[0]: an instance is an object with a \"name\""},
      {{{"instances", {{{"name", "a"}, {"port", "1"}, {"port2", 1}}}}},
       "instances[0] (a): port2: no such field"},
      {{{"instances", {{{"name", "a"}, {"processes", 2.5}}}}},
       "instances[0] (a): processes: a value of the wrong type: it must be a number from 2 to 99"},
      {{{"instances", {{{"name", "a"}, {"host", true}}}}},
       "instances[0] (a): host: a value of the wrong type"},
      {{{"instances", {{{"name", "a"}, {"merchant-key", {{"file", "x"}, {"env", "y"}}}}}}},
       "instances[0] (a): merchant-key: a secret reference is {\"file\": PATH} or "
       "{\"env\": VARIABLE}"},
      {{{"instances", {{{"name", "a"}, {"merchant-key", {{"url", "x"}}}}}}},
       "instances[0] (a): merchant-key: a secret reference is"},
      {{{"instances", json::array()}, {"webconf", "yes"}}, "webconf: true or false"},
      {{{"instances", json::array()}, {"running", "a"}}, "running: null is not an instance"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ReadDesiredState(c.document, error)) << c.document.dump();
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.document.dump() << "\n" << error;
  }
}

TEST_F(DesiredStateTest, SecretVariablesAreNamesTheShellAccepts) {
  EXPECT_EQ(SecretVariable("shop1", "db-password"), "ORVANE_SHOP1_DB_PASSWORD");
  EXPECT_EQ(SecretVariable("my.shop", "merchant-key"), "ORVANE_MY_SHOP_MERCHANT_KEY");
  setenv("ORVANE_DESIRED_TEST", "from-env", 1);
  std::string error;
  const auto state = ReadDesiredState(
      {{"instances", {{{"name", "a"}, {"cms-password", {{"env", "ORVANE_DESIRED_TEST"}}}}}}},
      error);
  unsetenv("ORVANE_DESIRED_TEST");
  ASSERT_TRUE(state) << error;
  EXPECT_EQ(state->instances[0].fields[0].second, "from-env");
}

}  // namespace
}  // namespace orvanectl
