#include "InstanceFields.h"

#include <gtest/gtest.h>

#include <string>

namespace orvanectl {
namespace {

const InstanceField& Field(const std::string& option) {
  for (const InstanceField& field : InstanceFields()) {
    if (field.option == option) return field;
  }
  ADD_FAILURE() << "no field " << option;
  return InstanceFields().front();
}

TEST(InstanceFieldsTest, ValuesReachTheSetterAndShowBack) {
  struct Case {
    const char* option;
    const char* value;
    nlohmann::json shown;
  };
  const Case cases[] = {
      {"name", "shop1", "shop1"},
      {"html-path", "C:\\www\\html\\", "C:\\www\\html"},  // the setter drops one backslash
      {"root", "C:\\inst\\", "C:\\inst\\"},
      {"ip", "10..1.2", "10..1.2"},
      {"processes", "99", 99},
      {"port", "65535", 65535},
      {"db-port", "-1", -1},
      {"web-server", "Netscape", "netscape"},
      {"web-server", "2", "quenta"},
      {"db-type", "oracle", "oracle"},
      {"pay-timeout", "60", 60},
      {"cache", "on", true},
      {"hosting", "yes", true},
      {"db-password", "sixteen-chars-pw", "set"},
      {"db-password", "", "unset"},
      {"merchant-key", "0123456789abcdef", "set"},
  };
  for (const Case& c : cases) {
    MSInfo record;
    const InstanceField& field = Field(c.option);
    EXPECT_TRUE(field.apply(record, c.value)) << c.option << " " << c.value;
    EXPECT_EQ(field.show(record), c.shown) << c.option << " " << c.value;
  }
}

TEST(InstanceFieldsTest, RefusedValuesLeaveTheRecordAsItWas) {
  struct Case {
    const char* option;
    const char* value;
  };
  const Case cases[] = {
      {"name", ""},           {"name", "ninechars"},   {"processes", "100"},
      {"processes", "3x"},    {"processes", ""},       {"processes", "99999999999"},
      {"port", "16560"},      {"port", "1023"},        {"ip", "1.2.3.256"},
      {"ip", "1.2.3"},        {"web-server", "3"},     {"web-server", "apache"},
      {"db-type", "2"},       {"pay-cycle", "0"},      {"pay-timeout", "59"},
      {"cache", "maybe"},     {"db-password", "seventeen-chars-x"},
      {"merchant-key", "short"},
  };
  for (const Case& c : cases) {
    MSInfo record;
    const InstanceField& field = Field(c.option);
    const nlohmann::json before = field.show(record);
    EXPECT_FALSE(field.apply(record, c.value)) << c.option << " " << c.value;
    EXPECT_EQ(field.show(record), before) << c.option << " " << c.value;
  }
}

TEST(InstanceFieldsTest, EveryOptionIsUniqueAndNamesItsRule) {
  for (std::size_t i = 0; i < InstanceFields().size(); ++i) {
    const InstanceField& field = InstanceFields()[i];
    EXPECT_NE(std::string(field.rule), "") << field.option;
    for (std::size_t j = i + 1; j < InstanceFields().size(); ++j) {
      EXPECT_NE(std::string(field.option), InstanceFields()[j].option);
    }
  }
}

}  // namespace
}  // namespace orvanectl
