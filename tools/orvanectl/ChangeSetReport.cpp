#include "ChangeSetReport.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <set>
#include <sstream>

#include "MachineChanges.h"
#include "UnifiedDiff.h"

namespace orvanectl {

namespace {

namespace os = orvane::os;
using nlohmann::json;

constexpr char kSet[] = "(set)";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Registry values and data source attributes that hold a password go by
// these names (PWD, DBPASS, Password, ...).
bool NamesSecret(const std::string& name) {
  const std::string lower = Lower(name);
  return lower.find("pass") != std::string::npos || lower.find("pwd") != std::string::npos;
}

// A file the library wrote for its owner alone: its content is not shown.
bool IsPrivate(int mode) { return (mode & 077) == 0; }

std::string Octal(int mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode) & 07777u);
  return text;
}

std::string RootName(os::RegistryRoot root) {
  return root == os::RegistryRoot::kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

// A value as the registry editor writes it: "text", dword:0000000a, hex:...
std::string ValueText(const os::RegistryValue& value) {
  if (value.type == os::ValueType::kString || value.type == os::ValueType::kExpandString) {
    return "\"" + value.AsString() + "\"";
  }
  char text[16];
  if (value.type == os::ValueType::kDword) {
    std::snprintf(text, sizeof text, "dword:%08lx", value.AsDword());
    return text;
  }
  std::string hex = "hex(" + std::to_string(static_cast<unsigned long>(value.type)) + "):";
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    std::snprintf(text, sizeof text, "%s%02x", i == 0 ? "" : ",", value.data[i]);
    hex += text;
  }
  return hex;
}

std::string StartTypeWord(os::StartType type) {
  switch (type) {
    case os::StartType::kBoot: return "boot";
    case os::StartType::kSystem: return "system";
    case os::StartType::kAutomatic: return "automatic";
    case os::StartType::kDemand: return "demand";
    case os::StartType::kDisabled: return "disabled";
  }
  return "unknown";
}

std::string StateWord(os::ServiceState state) {
  switch (state) {
    case os::ServiceState::kStopped: return "stopped";
    case os::ServiceState::kStartPending: return "start pending";
    case os::ServiceState::kStopPending: return "stop pending";
    case os::ServiceState::kRunning: return "running";
    case os::ServiceState::kContinuePending: return "continue pending";
    case os::ServiceState::kPausePending: return "pause pending";
    case os::ServiceState::kPaused: return "paused";
  }
  return "unknown";
}

json ServiceConfigJson(const os::ServiceConfig& config) {
  return {{"start_type", StartTypeWord(config.startType)},
          {"binary_path", config.binaryPath},
          {"display_name", config.displayName},
          {"account", config.account}};
}

bool IsServicesFile(const std::string& path) {
  return Lower(path) == Lower(ServicesFilePath());
}

void AddFile(const os::FileChange& file, bool withDiff, json& entries) {
  json entry = {{"kind", "file"},
                {"path", file.path},
                {"change", !file.before ? "create" : !file.after ? "delete" : "change"}};
  const bool isPrivate = IsPrivate(file.newFileMode);
  if (isPrivate) entry["private"] = true;
  const std::string before = file.before.value_or("");
  const std::string after = file.after.value_or("");
  if (withDiff && !isPrivate) {
    if (IsText(before) && IsText(after)) {
      entry["diff"] = UnifiedDiff(before, after, file.before ? file.path : "/dev/null",
                                  file.after ? file.path : "/dev/null");
    } else {
      entry["binary"] = true;
    }
  }
  entries.push_back(entry);
  if (!IsServicesFile(file.path)) return;
  // The services file's entries are resources of their own: name and port.
  const std::set<std::string> old = ServiceEntryLines(before);
  const std::set<std::string> now = ServiceEntryLines(after);
  const auto addEntries = [&entries](const std::set<std::string>& a, const std::set<std::string>& b,
                                     const char* change) {
    std::vector<std::string> lines;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(lines));
    for (const std::string& line : lines) {
      entries.push_back({{"kind", "tcp-entry"}, {"change", change}, {"line", line}});
    }
  };
  addEntries(old, now, "remove");
  addEntries(now, old, "add");
}

void AddRegistry(const os::RegistryChange& change, json& entries) {
  json entry = {{"kind", "registry"}, {"key", RootName(change.root) + "\\" + change.key}};
  if (!change.value) {
    entry["change"] = change.after ? "create key" : "delete key";
  } else {
    entry["value"] = *change.value;
    entry["change"] = !change.before ? "set" : !change.after ? "delete" : "change";
    const bool secret = NamesSecret(*change.value);
    if (change.before) entry["before"] = secret ? kSet : ValueText(*change.before);
    if (change.after) entry["after"] = secret ? kSet : ValueText(*change.after);
  }
  entries.push_back(entry);
}

void AddService(const os::ServiceChange& change, json& entries) {
  json entry = {{"kind", "service"}, {"name", change.name}};
  entry["change"] = !change.before ? "create" : !change.after ? "delete" : "change";
  if (change.before) entry["before"] = ServiceConfigJson(*change.before);
  if (change.after) entry["after"] = ServiceConfigJson(*change.after);
  entry["state_before"] = StateWord(change.stateBefore);
  entry["state_after"] = StateWord(change.stateAfter);
  entries.push_back(entry);
}

void AddDataSource(const os::DataSourceChange& change, json& entries) {
  json attributes = json::array();
  for (const std::string& attribute : change.attributes) {
    const std::size_t equals = attribute.find('=');
    const bool secret = equals != std::string::npos && NamesSecret(attribute.substr(0, equals));
    attributes.push_back(secret ? attribute.substr(0, equals + 1) + kSet : attribute);
  }
  entries.push_back({{"kind", "odbc"},
                     {"change", change.request == os::DataSourceRequest::kAddSystem ? "add" : "remove"},
                     {"driver", change.driver},
                     {"attributes", attributes}});
}

void AddProgram(const os::ProgramRun& run, json& entries) {
  entries.push_back({{"kind", "program"},
                     {"command_line", run.commandLine},
                     {"working_directory", run.workingDirectory},
                     {"piped", run.piped}});
}

// What a service entry says changed: "created (automatic, C:\...)", "start
// type demand -> automatic", "running -> stopped".
std::string ServiceLine(const json& entry) {
  const std::string change = entry["change"];
  std::string line = change + " service " + entry["name"].get<std::string>();
  if (change == "create") {
    const json& after = entry["after"];
    return line + " (" + after["start_type"].get<std::string>() + ", " +
           after["binary_path"].get<std::string>() + ")";
  }
  std::vector<std::string> parts;
  if (change == "change") {
    for (const char* field : {"start_type", "binary_path", "display_name", "account"}) {
      if (entry["before"][field] != entry["after"][field]) {
        parts.push_back(std::string(field) + " " + entry["before"][field].get<std::string>() +
                        " -> " + entry["after"][field].get<std::string>());
      }
    }
  }
  if (entry["state_before"] != entry["state_after"]) {
    parts.push_back(entry["state_before"].get<std::string>() + " -> " +
                    entry["state_after"].get<std::string>());
  }
  for (std::size_t i = 0; i < parts.size(); ++i) line += (i == 0 ? ": " : ", ") + parts[i];
  return line;
}

std::string EntryLine(const json& entry) {
  const std::string kind = entry["kind"];
  const std::string change = entry.value("change", "");
  if (kind == "file") {
    return change + " " + entry["path"].get<std::string>() +
           (entry.value("private", false) ? " (private: content not shown)" : "");
  }
  if (kind == "directory") return change + " directory " + entry["path"].get<std::string>();
  if (kind == "mode") return "mode " + entry["mode"].get<std::string>() + " " + entry["path"].get<std::string>();
  if (kind == "registry") {
    std::string line = change + " " + entry["key"].get<std::string>();
    if (entry.contains("value")) line += " \"" + entry["value"].get<std::string>() + "\"";
    if (entry.contains("after")) line += " = " + entry["after"].get<std::string>();
    if (entry.contains("before")) line += " (was " + entry["before"].get<std::string>() + ")";
    return line;
  }
  if (kind == "service") return ServiceLine(entry);
  if (kind == "tcp-entry") return change + " TCP entry \"" + entry["line"].get<std::string>() + "\"";
  if (kind == "odbc") {
    std::string line = change + " data source for " + entry["driver"].get<std::string>() + ":";
    for (const json& attribute : entry["attributes"]) line += " " + attribute.get<std::string>();
    return line;
  }
  if (kind == "program") {
    const std::string folder = entry["working_directory"];
    return "run " + entry["command_line"].get<std::string>() +
           (folder.empty() ? "" : " in " + folder) +
           " (not run: the plan does not know what it would do)";
  }
  return "delete startup item " + entry["name"].get<std::string>();
}

}  // namespace

json ChangeSetEntries(const os::ChangeSet& changes, bool withDiff) {
  json entries = json::array();
  for (const os::FileChange& file : changes.files) AddFile(file, withDiff, entries);
  for (const os::DirectoryChange& directory : changes.directories) {
    entries.push_back({{"kind", "directory"},
                       {"path", directory.path},
                       {"change", directory.created ? "create" : "remove"}});
  }
  for (const os::ModeChange& mode : changes.modes) {
    entries.push_back({{"kind", "mode"}, {"path", mode.path}, {"mode", Octal(mode.mode)}});
  }
  for (const os::RegistryChange& change : changes.registry) AddRegistry(change, entries);
  for (const os::ServiceChange& change : changes.services) AddService(change, entries);
  for (const os::DataSourceChange& change : changes.dataSources) AddDataSource(change, entries);
  for (const os::ProgramRun& run : changes.programs) AddProgram(run, entries);
  for (const os::StartupItemChange& item : changes.startupItems) {
    entries.push_back({{"kind", "startup-item"}, {"change", "delete"}, {"name", item.displayName}});
  }
  return entries;
}

std::vector<std::string> ChangeSetLines(const json& entries) {
  std::vector<std::string> lines;
  for (const json& entry : entries) {
    lines.push_back(EntryLine(entry));
    if (!entry.contains("diff")) continue;
    std::istringstream diff(entry["diff"].get<std::string>());
    for (std::string line; std::getline(diff, line);) lines.push_back(line);
  }
  return lines;
}

}  // namespace orvanectl
