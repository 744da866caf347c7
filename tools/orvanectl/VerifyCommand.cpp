// verify: each created instance compared with what its record says it
// should be, as `rpm -V` compares a package with its files. Re-creation and
// the web server's configuration are planned (nothing changes), and every
// change they would make is drift; what a plan cannot see (an instance that
// would not start again with the machine) is checked here.
#include <orvane/orvane.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ChangeSetReport.h"
#include "Commands.h"
#include "Host.h"
#include "InstanceData.h"
#include "InstanceState.h"
#include "orvane/os/ChangeRecorder.h"

namespace orvanectl {

namespace {

namespace os = orvane::os;
using nlohmann::json;

struct Selection {
  std::string name;
  bool all = false;
};

// The finding an entry of a re-creation's plan stands for: "missing",
// "extra", "changed" or "wrong mode"; "" for what is no drift (the programs
// it would run, a service's run state).
std::string FindingOf(const json& entry) {
  const std::string kind = entry["kind"];
  const std::string change = entry.value("change", "");
  if (kind == "program" || kind == "startup-item") return "";
  if (kind == "mode") return "wrong mode";
  if (kind == "service" && change == "change") {
    for (const char* field : {"binary_path", "display_name", "account"}) {
      if (entry["before"][field] != entry["after"][field]) return "changed";
    }
    return "";
  }
  if (change == "create" || change == "add" || change == "set" || change == "create key") {
    return "missing";
  }
  if (change == "delete" || change == "remove" || change == "delete key") return "extra";
  return "changed";
}

// A backup that the planned run would refresh is no drift of its own: its
// new bytes are the old bytes of a file the run changes.
void DropRefreshedBackups(os::ChangeSet& changes) {
  std::set<std::string> replaced;
  for (const os::FileChange& file : changes.files) {
    if (file.before && file.after) replaced.insert(*file.before);
  }
  std::vector<os::FileChange> kept;
  for (os::FileChange& file : changes.files) {
    if (!(file.after && replaced.count(*file.after) != 0)) kept.push_back(std::move(file));
  }
  changes.files = std::move(kept);
}

// The findings of one planned step, each an entry with "finding" and
// "instance" ("" for the web server's shared files) added.
template <class Step>
void Plan(const std::string& instance, bool withDiff, Step step, json& findings) {
  json entries;
  {
    Host::Muted muted;
    os::ChangeRecorder recorder(os::Recording::kPlan);
    step();
    os::ChangeSet changes = recorder.Changes();
    DropRefreshedBackups(changes);
    entries = ChangeSetEntries(changes, withDiff);
  }
  // A missing file or folder is one finding, not also a wrong mode.
  std::set<std::string> missing;
  for (const json& entry : entries) {
    if (entry.contains("path") && FindingOf(entry) == "missing") missing.insert(entry["path"]);
  }
  for (json& entry : entries) {
    const std::string finding = FindingOf(entry);
    if (finding.empty() || (finding == "wrong mode" && missing.count(entry["path"]) != 0)) continue;
    entry["finding"] = finding;
    entry["instance"] = instance;
    findings.push_back(std::move(entry));
  }
}

// Once its database is set up, an instance's service starts with the machine
// (db create makes it so); one set to start on demand by hand would not come
// back after a restart.
void CheckStartType(const std::string& instance, const InstanceState& state, json& findings) {
  if (!state.database || state.startType == "automatic") return;
  findings.push_back({{"finding", "wrong start type"},
                      {"instance", instance},
                      {"kind", "service"},
                      {"name", InstanceServiceName(instance)},
                      {"start_type", state.startType},
                      {"expected", "automatic"}});
}

// A finding's line ("missing C:\...\bin", "changed service TQshop1: ..."),
// followed by its diff's lines when it has one.
std::vector<std::string> FindingLines(const json& finding) {
  const std::string word = finding["finding"];
  const std::string kind = finding["kind"];
  if (kind == "instance") {
    return {"missing instance " + finding["instance"].get<std::string>() + " (never created)"};
  }
  if (word == "wrong start type") {
    return {word + " service " + finding["name"].get<std::string>() + ": " +
            finding["start_type"].get<std::string>() + ", but an instance with a database starts automatic"};
  }
  if (kind == "mode") {
    return {word + " " + finding["path"].get<std::string>() + " (should be " +
            finding["mode"].get<std::string>() + ")"};
  }
  // The entry's own line, its change word replaced by the finding.
  std::vector<std::string> lines = ChangeSetLines(json::array({finding}));
  lines.front() = word + lines.front().substr(lines.front().find(' '));
  return lines;
}

int Verify(Context& context, const Selection& selection) {
  Host& host = Host::Get();
  if (selection.all == !selection.name.empty()) {
    host.ErrorText("verify: name one instance or --all");
    return kExitUsage;
  }
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kRead)) return code;
  MSList& list = data.List();
  // Each record with the name that findings give it: as the data file spells
  // it, or as it was asked for. The list is walked once: a look-up by name
  // for each record would copy half the list each time.
  std::vector<std::pair<std::string, MSInfo>> records;
  if (selection.all) {
    for (int i = 0; i < list.GetCount(); ++i) {
      MSInfo record;
      list.SetIndex(i);
      list.GetCurrent(record);
      records.emplace_back(record.GetName(), record);
    }
  } else {
    MSInfo record;
    if (!data.Select(selection.name, record)) return kExitUnknownInstance;
    records.emplace_back(selection.name, record);
  }
  json findings = json::array();
  json verified = json::array();
  for (auto& [name, record] : records) {
    const InstanceState state = QueryInstanceState(record);
    if (!state.created) {
      if (!selection.all) {
        findings.push_back({{"finding", "missing"}, {"instance", name}, {"kind", "instance"}});
      }
      continue;
    }
    verified.push_back(name);
    MSInfo& created = record;  // a lambda takes no structured binding
    Plan(name, context.diff, [&created] { KelCreateSingleInst(created); }, findings);
    CheckStartType(name, state, findings);
  }
  if (!verified.empty()) {
    Plan("", context.diff, [&list] { KelSetISConf(list); }, findings);
  }
  for (const json& finding : findings) {
    for (const std::string& line : FindingLines(finding)) host.Line(line);
  }
  host.Result()["verified"] = verified;
  host.Result()["findings"] = findings;
  host.Result()["drifted"] = !findings.empty();
  if (findings.empty()) {
    host.Note("no drift: " + std::to_string(verified.size()) +
              " instances are as their records say");
  }
  return findings.empty() ? kExitDone : kExitFailed;
}

}  // namespace

void AddVerifyCommand(CLI::App& app, Context& context) {
  auto selection = std::make_shared<Selection>();
  CLI::App* verify = app.add_subcommand(
      "verify",
      "Compare created instances with what their records say they should be: one line per "
      "finding (missing, changed, extra, wrong mode); exit 1 when something drifted");
  verify->add_option("NAME", selection->name, "instance name")->type_name("NAME");
  verify->add_flag("--all", selection->all, "every instance of the data file");
  verify->callback([&context, selection] {
    context.Choose("verify", [&context, selection] { return Verify(context, *selection); });
  });
}

}  // namespace orvanectl
