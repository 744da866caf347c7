// A change set as orvanectl reports it: the JSON document's "change_set"
// entries, and the lines people read, made from those entries so that the
// two never disagree.
//
// Each entry has a "kind": "file", "directory", "mode", "registry",
// "service", "tcp-entry" (a line of the services file), "odbc", "program" or
// "startup-item", and what changed. Secrets never appear: a private file
// (one written for its owner alone, such as a command file that holds a
// password) is named without its content, a registry value or data source
// attribute that holds a password is shown as "(set)".
#ifndef ORVANECTL_CHANGESETREPORT_H_
#define ORVANECTL_CHANGESETREPORT_H_

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "orvane/os/ChangeRecorder.h"

namespace orvanectl {

// The entries of a change set; withDiff adds a unified "diff" to each
// changed text file that may be shown.
nlohmann::json ChangeSetEntries(const orvane::os::ChangeSet& changes, bool withDiff);

// One line per entry ("create C:\...\tessaly.ini"), each followed by its
// diff's lines when the entry has one.
std::vector<std::string> ChangeSetLines(const nlohmann::json& entries);

}  // namespace orvanectl

#endif  // ORVANECTL_CHANGESETREPORT_H_
