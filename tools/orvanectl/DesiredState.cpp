#include "DesiredState.h"

#include <cctype>
#include <cstdlib>
#include <fstream>

#include "orvane/core/AsciiCase.h"

namespace orvanectl {

namespace {

using nlohmann::json;

// The secret a reference points to; nothing with error set.
std::optional<std::string> ReadSecretReference(const json& reference, std::string& error) {
  if (!reference.is_object()) {
    error = "an inline secret is refused (the file may be committed): give {\"file\": PATH} or "
            "{\"env\": VARIABLE}";
    return std::nullopt;
  }
  if (reference.size() != 1 || !(reference.contains("file") || reference.contains("env")) ||
      !reference.begin()->is_string()) {
    error = "a secret reference is {\"file\": PATH} or {\"env\": VARIABLE}";
    return std::nullopt;
  }
  const std::string where = reference.begin()->get<std::string>();
  if (reference.contains("env")) {
    const char* value = std::getenv(where.c_str());
    if (value == nullptr) {
      error = "the environment variable " + where + " is not set";
      return std::nullopt;
    }
    return std::string(value);
  }
  std::ifstream file(where, std::ios::binary);
  std::string line;
  if (!file || (!std::getline(file, line) && !file.eof())) {
    error = "cannot read the secret file " + where;
    return std::nullopt;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// A field's JSON value as the text its setter reads; nothing with error set.
std::optional<std::string> FieldText(const InstanceField& field, const json& value,
                                     std::string& error) {
  if (field.kind == FieldKind::kSecret) return ReadSecretReference(value, error);
  if (value.is_string()) return value.get<std::string>();
  if (field.kind == FieldKind::kFlag && value.is_boolean()) {
    return std::string(value.get<bool>() ? "on" : "off");
  }
  if ((field.kind == FieldKind::kNumber || field.kind == FieldKind::kChoice) &&
      value.is_number_integer()) {
    return value.dump();
  }
  error = std::string("a value of the wrong type: it must be ") + field.rule;
  return std::nullopt;
}

std::optional<DesiredInstance> ReadInstance(const json& entry, std::string& error) {
  if (!entry.is_object() || !entry.contains("name") || !entry["name"].is_string()) {
    error = "an instance is an object with a \"name\"";
    return std::nullopt;
  }
  DesiredInstance instance{entry["name"].get<std::string>(), {}};
  for (const auto& [key, value] : entry.items()) {
    if (key == "name") continue;
    const InstanceField* field = FindField(key);
    if (field == nullptr) {
      error = key + ": no such field (orvanectl set --help lists them)";
      return std::nullopt;
    }
    std::optional<std::string> text = FieldText(*field, value, error);
    if (!text) {
      error = key + ": " + error;
      return std::nullopt;
    }
    instance.fields.emplace_back(field, *text);
  }
  return instance;
}

bool ReadFlag(const json& document, const char* key, bool& flag, std::string& error) {
  if (!document.contains(key)) return true;
  if (!document[key].is_boolean()) {
    error = std::string(key) + ": true or false";
    return false;
  }
  flag = document[key].get<bool>();
  return true;
}

bool ReadRunning(const json& document, DesiredState& state, std::string& error) {
  if (!document.contains("running")) return true;
  const json& running = document["running"];
  state.running.emplace();
  for (const json& name : running.is_array() ? running : json::array({nullptr})) {
    bool named = false;
    for (const DesiredInstance& instance : state.instances) {
      named = named || (name.is_string() &&
                         orvane::EqualsIgnoringCase(instance.name.c_str(),
                                                    name.get<std::string>().c_str()));
    }
    if (!named) {
      error = "running: " + (name.is_string() ? name.get<std::string>() : name.dump()) +
              " is not an instance of the file";
      return false;
    }
    state.running->push_back(name);
  }
  return true;
}

}  // namespace

std::optional<DesiredState> ReadDesiredState(const json& document, std::string& error) {
  if (!document.is_object()) {
    error = "the document is an object with \"instances\"";
    return std::nullopt;
  }
  for (const auto& [key, value] : document.items()) {
    if (key != "instances" && key != "webconf" && key != "databases" && key != "running") {
      error = key + ": not a key of a desired-state file (instances, webconf, databases, running)";
      return std::nullopt;
    }
  }
  DesiredState state;
  const json instances = document.value("instances", json::array());
  if (!instances.is_array()) {
    error = "instances: a list of instances";
    return std::nullopt;
  }
  for (std::size_t i = 0; i < instances.size(); ++i) {
    const json& entry = instances[i];
    std::string lead = "instances[" + std::to_string(i) + "]";
    if (entry.is_object() && entry.contains("name") && entry["name"].is_string()) {
      lead += " (" + entry["name"].get<std::string>() + ")";
    }
    std::optional<DesiredInstance> instance = ReadInstance(entry, error);
    for (const DesiredInstance& earlier : state.instances) {
      if (instance && orvane::EqualsIgnoringCase(earlier.name.c_str(), instance->name.c_str())) {
        error = "the file names this instance twice";
        instance.reset();
      }
    }
    if (!instance) {
      error = lead + ": " + error;
      return std::nullopt;
    }
    state.instances.push_back(std::move(*instance));
  }
  if (!ReadFlag(document, "webconf", state.webconf, error) ||
      !ReadFlag(document, "databases", state.databases, error) ||
      !ReadRunning(document, state, error)) {
    return std::nullopt;
  }
  return state;
}

std::string SecretVariable(const std::string& instance, const std::string& option) {
  std::string name = "ORVANE_" + instance + "_" + option;
  for (char& c : name) {
    c = std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::toupper(
                                                          static_cast<unsigned char>(c)))
                                                    : '_';
  }
  return name;
}

}  // namespace orvanectl
