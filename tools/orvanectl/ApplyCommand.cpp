// apply -f FILE: makes the machine what a desired-state file describes, in
// the order the product's configuration manager works: deletions (--prune),
// the records (add, set), the creation of each new or changed instance and
// of each one whose record is there but not its instance, the web server's
// configuration, the missing databases, then the services.
//
// Everything is checked before anything changes: a refused value or a
// conflict stops apply with the field named. The data file stays locked for
// the whole run. What is decided is compared with the machine first, so that
// an apply of an unchanged file calls no changing operation at all. A note
// beside the data file keeps the creations and the web server configuration
// that stored records still owe, so that an apply stopped by a failure is
// finished by running it again.
#include <orvane/orvane.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Commands.h"
#include "DesiredState.h"
#include "Host.h"
#include "InstanceData.h"
#include "InstanceFields.h"
#include "InstanceRecords.h"
#include "InstanceState.h"
#include "InstanceSteps.h"
#include "YamlDocument.h"
#include "orvane/core/AsciiCase.h"
#include "orvane/os/Files.h"

namespace orvanectl {

namespace {

using nlohmann::json;

struct ApplyRequest {
  std::string file;
  bool prune = false;
};

// What apply may change of a record: the fields of the table, the secrets
// by their cipher (which has no salt, so the same secret reads the same).
json Fingerprint(const MSInfo& record) {
  json fingerprint = RecordJson(record);
  for (const char* cipher :
       {record.GetDBPswdCipher(), record.GetCMSPswdCipher(), record.GetMerKeyCipher()}) {
    fingerprint["ciphers"].push_back(cipher == nullptr ? "" : cipher);
  }
  return fingerprint;
}

// The place of name among names (letter case ignored), or -1.
int Position(const std::vector<std::string>& names, const std::string& name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (SameName(names[i].c_str(), name)) return static_cast<int>(i);
  }
  return -1;
}


bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return Position(names, name) >= 0;
}

// Creation takes the packaging flag from the installation's administration
// pages: in a created instance the file's value would be overwritten by the
// next creation, and seen as a change by every apply.
bool TakenFromInstallation(const InstanceField& field) {
  return std::string(field.option) == "packaging";
}

// The steps that stored records still owe: "create NAME" and "webconf"
// lines in a note beside the data file.
class PendingSteps {
 public:
  explicit PendingSteps(const InstanceData& data) : m_path(data.Path() + ".apply-pending") {
    std::FILE* file = orvane::os::OpenFile(m_path, "r");
    if (file == nullptr) return;
    char line[128];
    while (std::fgets(line, sizeof line, file) != nullptr) {
      std::string text = line;
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      if (text == "webconf") m_webconf = true;
      if (text.rfind("create ", 0) == 0) m_creations.push_back(text.substr(7));
    }
    std::fclose(file);
  }

  std::vector<std::string>& Creations() { return m_creations; }
  bool& Webconf() { return m_webconf; }

  // Writes the note as it stands; with nothing owed it goes.
  bool Save() const {
    if (m_creations.empty() && !m_webconf) return orvane::os::DeleteFile(m_path).ok() ||
                                                 !orvane::os::PathExists(m_path);
    orvane::os::ReplacementFile note(m_path, "w");
    bool written = note.stream() != nullptr;
    for (const std::string& name : m_creations) {
      written = written && std::fputs(("create " + name + "\n").c_str(), note.stream()) >= 0;
    }
    if (m_webconf) written = written && std::fputs("webconf\n", note.stream()) >= 0;
    return written && note.Commit().ok();
  }

 private:
  std::string m_path;
  std::vector<std::string> m_creations;
  bool m_webconf = false;
};

class ApplyRun {
 public:
  ApplyRun(InstanceData& data, const DesiredState& desired, bool prune, bool check)
      : m_data(data),
        m_desired(desired),
        m_prune(prune),
        m_check(check),
        m_pending(data),
        m_states(desired.instances.size()) {}

  int Run() {
    MSList planned(m_data.List());
    if (const int code = PlanRecords(planned)) return code;
    if (!m_removed.empty() && m_desired.webconf) {
      m_pending.Webconf() = true;
      if (!m_pending.Save()) return Failed(m_removed.front(), "delete");
    }
    for (const std::string& name : m_removed) {
      Deletion deletion;
      deletion.name = name;
      deletion.configureWebServer = !m_desired.webconf;
      if (!Succeeds([&] { return DeleteInstance(m_data, deletion); })) {
        return Failed(name, "delete");
      }
      Step(name, "delete");
    }
    if (const int code = NoteOwed()) return code;
    if (const int code = StoreRecords(planned)) return code;
    if (const int code = CreateOwed()) return code;
    if (m_pending.Webconf()) {
      if (!Succeeds([&] { return ConfigureWebServerFor(m_data); })) return Failed("", "webconf");
      m_pending.Webconf() = false;
      Step("", "webconf");
      if (!m_pending.Save()) return Failed("", "webconf");
    }
    if (!m_desired.databases && !m_desired.running) return Done();
    std::vector<std::pair<MSInfo, InstanceState>> current = Current();
    if (m_desired.databases) {
      if (const int code = CreateDatabases(current)) return code;
    }
    if (m_desired.running) {
      if (const int code = ControlServices(current)) return code;
    }
    return Done();
  }

 private:
  // A step succeeds when it says so and said no error: the library reports
  // some failures only as messages (a creation that could not make a
  // directory says so, and returns success).
  template <class Step>
  static bool Succeeds(Step step) {
    const std::size_t errors = Host::Get().ErrorCount();
    return step() == kExitDone && Host::Get().ErrorCount() == errors;
  }

  // Decides every record on a copy of the list and checks it there: the
  // machine is not touched before the whole file is found good.
  int PlanRecords(MSList& planned) {
    const std::vector<std::string> wanted = Wanted();
    std::vector<std::string> names = RecordNames(planned);
    for (std::size_t i = 0; i < names.size();) {
      if (Contains(wanted, names[i])) {
        ++i;
        continue;
      }
      if (!m_prune) {
        m_left.push_back(names[i++]);
        continue;
      }
      m_removed.push_back(names[i]);
      planned.SetIndex(static_cast<int>(i));
      planned.Delete();
      names.erase(names.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (std::size_t place = 0; place < m_desired.instances.size(); ++place) {
      const DesiredInstance& instance = m_desired.instances[place];
      const int index = Position(names, instance.name);
      MSInfo record;
      if (index >= 0) {
        planned.SetIndex(index);
        planned.GetCurrent(record);
        m_states[place] = QueryInstanceState(record);
      } else if (!Propose(planned, instance.name, record)) {
        return kExitNoInstallation;
      } else if (!record.SetName(instance.name.c_str())) {
        Host::Get().ErrorText("instance name '" + instance.name + "' refused: it must be " +
                              NameRule());
        return kExitRefused;
      }
      const json before = index >= 0 ? Fingerprint(record) : json();
      for (const auto& [field, value] : instance.fields) {
        // A value the record has already is not set again: setters consult
        // the machine (accounts, TCP services), which an unchanged file
        // need not cost.
        if (field->kind != FieldKind::kSecret && ShownText(field->show(record)) == value) continue;
        if (index >= 0 && m_states[place]->created && TakenFromInstallation(*field)) {
          Host::Get().Note(instance.name + ": " + field->option + " stays " +
                           ShownText(field->show(record)) + ", as creation took it from the "
                           "installation; the file's " + value + " is not kept");
          continue;
        }
        if (!ApplyFieldValue(*field, value, record, instance.name + ": " + field->option)) {
          return kExitRefused;
        }
      }
      const bool changed = index < 0 || Fingerprint(record) != before;
      if (changed || !m_states[place]->created) m_owed.push_back(record.GetName());
      if (!changed) continue;
      if (index >= 0) planned.SetIndex(index);
      const int flags = index >= 0 ? planned.MergeCurrent(record) : planned.Add(record, 1);
      if (Conflicts(flags, planned, record, index)) return kExitRefused;
      if (index < 0) names.push_back(record.GetName());
      m_changedRecords.push_back({record.GetName(), index >= 0 ? "set" : "add"});
    }
    return kExitDone;
  }

  // Before a record goes in, the note says what it owes: a creation, and
  // the web server's configuration when the file asks for it.
  int NoteOwed() {
    if (m_owed.empty()) return kExitDone;
    for (const std::string& name : m_owed) {
      if (!Contains(m_pending.Creations(), name)) m_pending.Creations().push_back(name);
    }
    m_pending.Webconf() = m_pending.Webconf() || m_desired.webconf;
    return m_pending.Save() ? kExitDone : Failed(m_owed.front(), "store");
  }

  // The records go in with one store.
  int StoreRecords(MSList& planned) {
    if (m_changedRecords.empty()) return kExitDone;
    m_data.List() = planned;
    if (!m_data.Store()) return Failed(m_changedRecords.front().first, "store");
    for (const auto& [name, step] : m_changedRecords) Step(name, step);
    return kExitDone;
  }

  // One instance at a time, so that a failure names its instance and the
  // note keeps the ones not done yet.
  int CreateOwed() {
    std::vector<std::string>& owed = m_pending.Creations();
    while (!owed.empty()) {
      const std::string name = owed.front();
      if (Position(RecordNames(m_data.List()), name) >= 0) {
        // Without a running list, a running instance is started again.
        if (!Succeeds([&] { return CreateInstances(m_data, {name}, !m_desired.running); })) {
          return Failed(name, "create");
        }
        Step(name, "create");
        const int place = Position(Wanted(), name);
        if (place >= 0) m_states[static_cast<std::size_t>(place)].reset();
      }
      owed.erase(owed.begin());
      if (!m_pending.Save()) return Failed(name, "create");
    }
    return kExitDone;
  }

  // The desired instances' records with what the machine says of them, in
  // the file's order: what was seen while planning, looked at again for
  // the instances this run created.
  std::vector<std::pair<MSInfo, InstanceState>> Current() {
    std::vector<std::pair<MSInfo, InstanceState>> current(m_desired.instances.size());
    MSList& list = m_data.List();
    const std::vector<std::string> wanted = Wanted();
    for (int i = 0; i < list.GetCount(); ++i) {
      list.SetIndex(i);
      MSInfo record;
      list.GetCurrent(record);
      const int place = Position(wanted, record.GetName());
      if (place < 0) continue;
      const std::optional<InstanceState>& seen = m_states[static_cast<std::size_t>(place)];
      current[place] = {record, seen ? *seen : QueryInstanceState(record)};
    }
    return current;
  }

  int CreateDatabases(std::vector<std::pair<MSInfo, InstanceState>>& current) {
    for (auto& [record, state] : current) {
      if (!state.created || state.database) continue;
      MSInfo& instance = record;  // a lambda may not take a structured binding
      // Its set-up is the database's own programs, which a plan does not
      // run: their results are not known, so the plan names the step only.
      if (!m_check && !Succeeds([&] { return CreateDatabaseOf(instance); })) {
        return Failed(record.GetName(), "db create");
      }
      Step(record.GetName(), "db create");
    }
    return kExitDone;
  }

  int ControlServices(std::vector<std::pair<MSInfo, InstanceState>>& current) {
    json running = json::object();
    for (auto& [record, state] : current) {
      const bool wanted = Contains(*m_desired.running, record.GetName());
      if (state.running == wanted) continue;
      const char* step = wanted ? "start" : "stop";
      const ServiceAction action = wanted ? ServiceAction::kStart : ServiceAction::kStop;
      MSInfo& instance = record;  // a lambda may not take a structured binding
      const auto control = [&] {
        return ControlInstance(instance, action, running) ? kExitDone : kExitFailed;
      };
      if (!Succeeds(control)) {
        return Failed(record.GetName(), step);
      }
      Step(record.GetName(), step);
    }
    return kExitDone;
  }

  std::vector<std::string> Wanted() const {
    std::vector<std::string> names;
    for (const DesiredInstance& instance : m_desired.instances) names.push_back(instance.name);
    return names;
  }

  void Step(const std::string& instance, const std::string& step) {
    m_steps.push_back({{"instance", instance}, {"step", step}});
    const std::string what = instance.empty() ? step : instance + ": " + step;
    if (m_check) {
      Host::Get().Line("would " + what);
    } else {
      Host::Get().Note("applied " + what);
    }
  }

  int Failed(const std::string& instance, const std::string& step) {
    Host& host = Host::Get();
    host.ErrorText("apply stopped at " + (instance.empty() ? "" : "instance " + instance + ", ") +
                   "step " + step + "; the steps before it are done, and applying the file again "
                   "continues from here");
    host.Result()["failed"] = {{"instance", instance}, {"step", step}};
    Report();
    return kExitFailed;
  }

  void Report() {
    Host& host = Host::Get();
    host.Result()["steps"] = m_steps;
    host.Result()["left"] = m_left;
    host.Result()["changed"] = !m_steps.empty();
  }

  int Done() {
    Report();
    Host& host = Host::Get();
    for (const std::string& name : m_left) {
      host.Note("instance " + name + " is not in the file: left as it is (--prune deletes it)");
    }
    if (m_steps.empty()) host.Note("no change: the machine is as the file describes it");
    return kExitDone;
  }

  InstanceData& m_data;
  const DesiredState& m_desired;
  bool m_prune;
  bool m_check;
  PendingSteps m_pending;
  std::vector<std::string> m_removed;
  std::vector<std::string> m_left;
  std::vector<std::pair<std::string, std::string>> m_changedRecords;  // name, "add" or "set"
  std::vector<std::string> m_owed;  // the instances to create, in the file's order
  // What the machine says of each desired instance, in the file's order,
  // while this run has not created it; nothing for a new one.
  std::vector<std::optional<InstanceState>> m_states;
  json m_steps = json::array();
};

// The file's document: YAML when its name ends .yaml or .yml, else JSON.
std::optional<json> ReadDocument(const std::string& path) {
  Host& host = Host::Get();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    host.ErrorText("apply: cannot read " + path);
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();  // an empty file is read as empty, and refused below
  const std::string extension = std::filesystem::path(path).extension().string();
  if (orvane::EqualsIgnoringCase(extension.c_str(), ".yaml") ||
      orvane::EqualsIgnoringCase(extension.c_str(), ".yml")) {
    std::string error;
    std::optional<json> document = ParseYamlDocument(text.str(), error);
    if (!document) host.ErrorText("apply: " + path + ": " + error);
    return document;
  }
  json document = json::parse(text.str(), nullptr, false);
  if (!document.is_discarded()) return document;
  host.ErrorText("apply: " + path + " is not a JSON document");
  return std::nullopt;
}

int Apply(Context& context, const ApplyRequest& request) {
  Host& host = Host::Get();
  const std::optional<json> document = ReadDocument(request.file);
  if (!document) return kExitUsage;
  std::string error;
  const std::optional<DesiredState> desired = ReadDesiredState(*document, error);
  if (!desired) {
    host.ErrorText(request.file + ": " + error);
    return kExitRefused;
  }
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kChange)) return code;
  return ApplyRun(data, *desired, request.prune, context.check).Run();
}

}  // namespace

void AddApplyCommand(CLI::App& app, Context& context) {
  auto request = std::make_shared<ApplyRequest>();
  CLI::App* apply = app.add_subcommand(
      "apply", "Make the machine what a desired-state file (JSON; YAML when named .yaml or .yml) "
               "describes: add, set and create instances, configure the web server, create "
               "databases, start and stop services");
  apply->add_option("-f,--file", request->file, "the desired-state file")
      ->required()
      ->type_name("FILE");
  apply->add_flag("--prune", request->prune, "also delete the instances the file does not name");
  apply->callback([&context, request] {
    context.Choose("apply", [&context, request] { return Apply(context, *request); });
  });
}

}  // namespace orvanectl
