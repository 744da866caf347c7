// The fields of an instance record that a user may set, as one table: the
// command-line option, the rule the record's setter applies, how a text from
// the command line becomes the setter's argument, and how the field is shown.
//
// Every value goes through the record's own setter; the table only turns
// command-line text into the setter's argument type. Secrets are never shown:
// their value reads "set" or "unset".
#ifndef ORVANECTL_INSTANCEFIELDS_H_
#define ORVANECTL_INSTANCEFIELDS_H_

#include <orvane/orvane.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace orvanectl {

enum class FieldKind { kText, kSecret, kNumber, kChoice, kFlag };

struct InstanceField {
  const char* option;       // the option without its dashes: "db-name"
  const char* description;  // for --help
  const char* rule;         // what the setter accepts, for a refusal and --help
  FieldKind kind;
  // Hands the value to the record's setter; false when it cannot be read as
  // the setter's type or the setter refuses it (the record is then unchanged).
  bool (*apply)(MSInfo& record, const std::string& value);
  nlohmann::json (*show)(const MSInfo& record);
};

const std::vector<InstanceField>& InstanceFields();

// A shown value as text: a flag "on" or "off", a number its digits.
std::string ShownText(const nlohmann::json& shown);

// The table entry of an option name; null when there is none.
const InstanceField* FindField(const std::string& option);

// The value's type for --help: "INT", "PORT", "on|off", "go|netscape|quenta",
// "PATH", "TEXT", "TEXT|-" (a secret may be read from standard input).
std::string ValueType(const InstanceField& field);

// "on"/"off" of a flag field, the text of a choice ("go", "velq").
const char* WebServerName(eISType type);
const char* DatabaseName(eDBType type);

}  // namespace orvanectl

#endif  // ORVANECTL_INSTANCEFIELDS_H_
