#include "YamlDocument.h"

#if defined(ORVANECTL_HAVE_YAML)
#include <yaml-cpp/yaml.h>

#include <regex>
#include <vector>
#endif

namespace orvanectl {

#if defined(ORVANECTL_HAVE_YAML)

namespace {

using nlohmann::json;

// Aliases let a short text name the same node many times over: a bound on
// the nodes converted keeps such a text from taking all memory.
constexpr std::size_t kNodeLimit = 100000;
constexpr int kDepthLimit = 64;

json PlainScalar(const std::string& text) {
  static const std::regex null("~|null|Null|NULL|");
  static const std::regex truth("true|True|TRUE");
  static const std::regex falsity("false|False|FALSE");
  static const std::regex integer("[-+]?[0-9]{1,18}");
  if (std::regex_match(text, null)) return nullptr;
  if (std::regex_match(text, truth)) return true;
  if (std::regex_match(text, falsity)) return false;
  if (std::regex_match(text, integer)) return std::stoll(text);
  return text;
}

class Converter {
 public:
  std::optional<json> Convert(const YAML::Node& node, int depth, std::string& error) {
    if (++m_nodes > kNodeLimit || depth > kDepthLimit) {
      error = "the YAML document is nested or repeated beyond any desired state's size";
      return std::nullopt;
    }
    switch (node.Type()) {
      case YAML::NodeType::Null:
      case YAML::NodeType::Undefined:
        return json(nullptr);
      case YAML::NodeType::Scalar:
        // A quoted scalar's tag is "!": its text is a string whatever it spells.
        return node.Tag() == "!" ? json(node.Scalar()) : PlainScalar(node.Scalar());
      case YAML::NodeType::Sequence: {
        json array = json::array();
        for (const YAML::Node& item : node) {
          std::optional<json> value = Convert(item, depth + 1, error);
          if (!value) return std::nullopt;
          array.push_back(std::move(*value));
        }
        return array;
      }
      case YAML::NodeType::Map: {
        json object = json::object();
        for (const auto& pair : node) {
          if (!pair.first.IsScalar()) {
            error = "a YAML mapping's keys are plain texts here";
            return std::nullopt;
          }
          std::optional<json> value = Convert(pair.second, depth + 1, error);
          if (!value) return std::nullopt;
          object[pair.first.Scalar()] = std::move(*value);
        }
        return object;
      }
    }
    return json(nullptr);
  }

 private:
  std::size_t m_nodes = 0;
};

}  // namespace

std::optional<nlohmann::json> ParseYamlDocument(const std::string& text, std::string& error) {
  std::vector<YAML::Node> documents;
  try {
    documents = YAML::LoadAll(text);
  } catch (const YAML::Exception& failure) {
    error = "not a YAML document: " + failure.msg + " (line " +
            std::to_string(failure.mark.line + 1) + ")";
    return std::nullopt;
  }
  if (documents.size() != 1) {
    error = "a desired-state file holds one YAML document";
    return std::nullopt;
  }
  return Converter().Convert(documents.front(), 0, error);
}

#else

std::optional<nlohmann::json> ParseYamlDocument(const std::string&, std::string& error) {
  error = "this build of orvanectl reads JSON only (it was built without yaml-cpp)";
  return std::nullopt;
}

#endif

}  // namespace orvanectl
