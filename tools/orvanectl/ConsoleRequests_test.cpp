// The console's requests as the command lines that carry them out.
#include "ConsoleRequests.h"

#include <gtest/gtest.h>

#include <set>

namespace orvanectl {
namespace {

using nlohmann::json;

struct RequestCase {
  const char* what;
  const char* request;
  std::vector<std::string> arguments;
  std::string input;
  std::string refusal;  // a part of the refusal's text; "" when taken
};

TEST(ConsoleRequests, RequestsBecomeTheCommandLinesThatCarryThemOut) {
  const RequestCase cases[] = {
      {"fields in table order, whatever the request's", R"({"command": "add", "name": "shop2",
          "fields": {"port": "16600", "host": "shop2.example"}})",
       {"add", "--host=shop2.example", "--port=16600", "--", "shop2"}, "", ""},
      {"a secret goes to standard input, not the command line",
       R"({"command": "set", "name": "shop1", "fields": {"db-password": "s3cret",
          "cms-password": "other"}})",
       {"set", "--db-password=-", "--cms-password=-", "--", "shop1"}, "s3cret\nother\n", ""},
      {"a value that begins with a dash stays a value",
       R"({"command": "add", "name": "-shop", "fields": {"root": "--machine"}})",
       {"add", "--root=--machine", "--", "-shop"}, "", ""},
      {"a command of two words", R"({"command": "db create", "name": "shop1"})",
       {"db", "create", "--", "shop1"}, "", ""},
      {"webconf takes no name", R"({"command": "webconf"})", {"webconf"}, "", ""},
      {"an unknown command", R"({"command": "machine init"})", {}, "", "does not run machine init"},
      {"no command", R"({"name": "shop1"})", {}, "", "names no command"},
      {"not an object", R"([1, 2])", {}, "", "names no command"},
      {"a name is needed", R"({"command": "create"})", {}, "", "needs the instance's name"},
      {"an empty name", R"({"command": "delete", "name": ""})", {}, "", "needs the instance's name"},
      {"a field that is not in the table",
       R"({"command": "add", "name": "a", "fields": {"machine": "/tmp"}})", {}, "",
       "no field is named machine"},
      {"fields on a command that takes none",
       R"({"command": "create", "name": "a", "fields": {"port": "1"}})", {}, "", "takes no fields"},
      {"a value that is not a text",
       R"({"command": "add", "name": "a", "fields": {"port": 16600}})", {}, "", "must be a text"},
      {"a secret with a line end would be read as two",
       R"({"command": "add", "name": "a", "fields": {"db-password": "a\nb"}})", {}, "",
       "no line end"},
  };
  for (const RequestCase& c : cases) {
    SCOPED_TRACE(c.what);
    const CommandRequest made = CommandFor(json::parse(c.request));
    if (c.refusal.empty()) {
      EXPECT_EQ(made.refusal, "");
      EXPECT_EQ(made.arguments, c.arguments);
      EXPECT_EQ(made.input, c.input);
    } else {
      EXPECT_NE(made.refusal.find(c.refusal), std::string::npos) << made.refusal;
    }
  }
}

TEST(ConsoleRequests, TheFieldTableNamesEachFieldOnceWithItsRuleAndKind) {
  const json table = FieldTable();
  ASSERT_TRUE(table.is_array());
  std::set<std::string> options;
  const std::set<std::string> kinds = {"text", "secret", "number", "choice", "flag"};
  for (const json& field : table) {
    EXPECT_TRUE(options.insert(field["option"].get<std::string>()).second) << field;
    EXPECT_EQ(kinds.count(field["kind"].get<std::string>()), 1u) << field;
    EXPECT_FALSE(field["rule"].get<std::string>().empty()) << field;
  }
  for (const char* option : {"name", "port", "db-password", "web-server", "staging"}) {
    EXPECT_EQ(options.count(option), 1u) << option;
  }
  const auto kindOf = [&](const std::string& option) {
    for (const json& field : table) {
      if (field["option"] == option) return field["kind"].get<std::string>();
    }
    return std::string();
  };
  EXPECT_EQ(kindOf("db-password"), "secret");
  EXPECT_EQ(kindOf("web-server"), "choice");
}

}  // namespace
}  // namespace orvanectl
