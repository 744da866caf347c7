#include "ConsoleRequests.h"

#include <map>

#include "InstanceFields.h"

namespace orvanectl {

namespace {

using nlohmann::json;

struct ConsoleCommand {
  const char* name;
  std::vector<std::string> words;  // the command line's command words
  bool takesName;
  bool takesFields;
};

const std::vector<ConsoleCommand>& ConsoleCommands() {
  static const std::vector<ConsoleCommand> commands = {
      {"add", {"add"}, true, true},         {"set", {"set"}, true, true},
      {"create", {"create"}, true, false},  {"delete", {"delete"}, true, false},
      {"db create", {"db", "create"}, true, false},
      {"start", {"start"}, true, false},    {"stop", {"stop"}, true, false},
      {"webconf", {"webconf"}, false, false},
  };
  return commands;
}

const char* KindName(FieldKind kind) {
  switch (kind) {
    case FieldKind::kText:
      return "text";
    case FieldKind::kSecret:
      return "secret";
    case FieldKind::kNumber:
      return "number";
    case FieldKind::kChoice:
      return "choice";
    case FieldKind::kFlag:
      return "flag";
  }
  return "text";
}

// Appends the field options of fields to request; false with the refusal
// when one is not a field of the table or not a text.
bool AddFields(const json& fields, CommandRequest& request) {
  std::map<std::string, std::string> given;
  for (const auto& [option, value] : fields.items()) {
    if (!value.is_string()) {
      request.refusal = "field " + option + ": the value must be a text";
      return false;
    }
    given[option] = value.get<std::string>();
  }
  for (const InstanceField& field : InstanceFields()) {
    const auto value = given.find(field.option);
    if (value == given.end()) continue;
    // "--option=value": a value that begins with a dash stays a value.
    const std::string option = std::string("--") + field.option + "=";
    if (field.kind == FieldKind::kSecret) {
      if (value->second.find_first_of("\r\n") != std::string::npos) {
        request.refusal = std::string("field ") + field.option + ": it must hold no line end";
        return false;
      }
      request.arguments.push_back(option + "-");
      request.input += value->second + "\n";
    } else {
      request.arguments.push_back(option + value->second);
    }
    given.erase(value);
  }
  if (!given.empty()) {
    request.refusal = "no field is named " + given.begin()->first;
    return false;
  }
  return true;
}

}  // namespace

CommandRequest CommandFor(const json& request) {
  CommandRequest made;
  if (!request.is_object() || !request.contains("command") || !request["command"].is_string()) {
    made.refusal = "the request names no command";
    return made;
  }
  const std::string name = request["command"].get<std::string>();
  const ConsoleCommand* command = nullptr;
  for (const ConsoleCommand& candidate : ConsoleCommands()) {
    if (name == candidate.name) command = &candidate;
  }
  if (command == nullptr) {
    made.refusal = "the console does not run " + name;
    return made;
  }
  made.arguments = command->words;
  const json& instance = request.contains("name") ? request["name"] : json();
  if (command->takesName && (!instance.is_string() || instance.get<std::string>().empty())) {
    made.refusal = name + " needs the instance's name";
    return made;
  }
  if (request.contains("fields")) {
    if (!command->takesFields || !request["fields"].is_object()) {
      made.refusal = name + " takes no fields";
      return made;
    }
    if (!AddFields(request["fields"], made)) return made;
  }
  // After "--" the name is the name, whatever it begins with.
  if (command->takesName) {
    made.arguments.push_back("--");
    made.arguments.push_back(instance.get<std::string>());
  }
  return made;
}

json FieldTable() {
  json table = json::array();
  for (const InstanceField& field : InstanceFields()) {
    table.push_back({{"option", field.option},
                     {"description", field.description},
                     {"rule", field.rule},
                     {"kind", KindName(field.kind)},
                     {"type", ValueType(field)}});
  }
  return table;
}

}  // namespace orvanectl
