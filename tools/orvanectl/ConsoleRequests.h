// What the console's page (or a script) asks for, as the orvanectl command
// line that does it: the console adds nothing of its own to a command, it
// only turns a JSON request into the same arguments a person would type.
//
//   {"command": "add", "name": "shop2", "fields": {"port": "16600", "db-password": "pw"}}
//
// becomes `add --port=16600 --db-password=- -- shop2`, with "pw" on standard
// input: a secret never reaches a command line, where other users of the
// machine could read it.
#ifndef ORVANECTL_CONSOLEREQUESTS_H_
#define ORVANECTL_CONSOLEREQUESTS_H_

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace orvanectl {

struct CommandRequest {
  std::vector<std::string> arguments;  // the command and its own arguments
  std::string input;                   // the secrets, one a line, in table order
  std::string refusal;                 // why the request was not taken; "" when it was
};

// The commands the console runs: add and set take fields; the others take
// an instance name, but webconf, which takes none.
CommandRequest CommandFor(const nlohmann::json& request);

// The field table for the page's form: option, description, rule, kind
// ("text", "secret", "number", "choice", "flag") and value type, in order.
nlohmann::json FieldTable();

}  // namespace orvanectl

#endif  // ORVANECTL_CONSOLEREQUESTS_H_
