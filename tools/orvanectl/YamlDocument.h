// A YAML document read as the JSON document it spells, so that a
// desired-state file may be written in either: mappings become objects,
// sequences arrays, and a plain scalar a JSON null, boolean or integer when
// it spells one (YAML's core schema), else a string. A quoted scalar is
// always a string.
#ifndef ORVANECTL_YAMLDOCUMENT_H_
#define ORVANECTL_YAMLDOCUMENT_H_

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace orvanectl {

// The document of text; nothing, with error set, when text is no YAML,
// holds more than one document, or would expand (through aliases) beyond a
// bound no desired-state file comes near. The Windows cross build has no
// YAML library and refuses every text.
std::optional<nlohmann::json> ParseYamlDocument(const std::string& text, std::string& error);

}  // namespace orvanectl

#endif  // ORVANECTL_YAMLDOCUMENT_H_
