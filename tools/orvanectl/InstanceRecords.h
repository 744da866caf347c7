// What every front that defines instances does with a record: the list's
// proposal for a new one, one field's value through the record's setter
// (with the refusal said), the record as JSON, and a conflict's report.
// `add`, `set`, `repair` and `apply` share these, so a rule or a refusal's
// wording lives in one place.
#ifndef ORVANECTL_INSTANCERECORDS_H_
#define ORVANECTL_INSTANCERECORDS_H_

#include <orvane/orvane.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "InstanceFields.h"

namespace orvanectl {

// The rule of the instance name, as the field table gives it.
std::string NameRule();

// The list's proposal for a new instance, made its own by the name: its
// root, HTML directory and database are the name's. False (with message 5)
// without an installation.
bool Propose(MSList& list, const std::string& name, MSInfo& record);

// Says that a value of the field named by option was refused, and lists the
// refusal under "refused" in the JSON result, so that a form can show the
// text beside its field.
void Refuse(const std::string& option, const std::string& text);

// Hands value to the field's setter; on a refusal says which rule the value
// broke (a secret's value is never echoed) and returns false. lead names the
// field in the refusal ("--db-port", "shop1: db-port").
bool ApplyFieldValue(const InstanceField& field, const std::string& value, MSInfo& record,
                     const std::string& lead);

// The names of the list's records, in its order (the list's current index
// moves).
std::vector<std::string> RecordNames(MSList& list);

// Every field of the table by its option name; secrets read "set" or "unset".
nlohmann::json RecordJson(const MSInfo& record);

// Reports the conflict flags of an Add or a merge; true when there were any.
bool Conflicts(int flags, MSList& list, const MSInfo& record, int ownIndex);

}  // namespace orvanectl

#endif  // ORVANECTL_INSTANCERECORDS_H_
