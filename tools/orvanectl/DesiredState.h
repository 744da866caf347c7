// The desired state of a machine, as `orvanectl apply -f FILE` reads it and
// `orvanectl export` writes it:
//
//   {"instances": [{"name": "shop1", "host": "shop1.example", "processes": 4,
//                   "cache": true, "db-password": {"file": "/etc/shop1.pw"}}],
//    "webconf": true, "databases": true, "running": ["shop1"]}
//
// An instance's keys are the option names of the field table; a flag is
// true/false (or "on"/"off"), a number a JSON number (or its text). A secret
// is a reference, never the secret itself: {"file": PATH} (the file's first
// line) or {"env": NAME} (an environment variable), so that the file may be
// committed. Fields a file leaves out are left as the record has them.
#ifndef ORVANECTL_DESIREDSTATE_H_
#define ORVANECTL_DESIREDSTATE_H_

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "InstanceFields.h"

namespace orvanectl {

struct DesiredInstance {
  std::string name;
  // In the file's order, each value as the setter's text (secrets read).
  std::vector<std::pair<const InstanceField*, std::string>> fields;
};

struct DesiredState {
  std::vector<DesiredInstance> instances;
  bool webconf = false;    // configure the web server when an instance changed
  bool databases = false;  // create the databases that are missing
  // The instances of the file that should run (the others are stopped);
  // nothing: services are left as they are.
  std::optional<std::vector<std::string>> running;
};

// Reads a desired-state document and the secrets it refers to. Nothing when
// the document is refused; error then says why, naming the instance and the
// field ("instances[1] (shop2): processes: ...").
std::optional<DesiredState> ReadDesiredState(const nlohmann::json& document, std::string& error);

// The environment variable that export names for a secret of an instance:
// ORVANE_SHOP1_DB_PASSWORD.
std::string SecretVariable(const std::string& instance, const std::string& option);

}  // namespace orvanectl

#endif  // ORVANECTL_DESIREDSTATE_H_
