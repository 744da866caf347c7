// list, show, default, add, set: the instance records of the data file.
#include <orvane/orvane.h>

#include <iomanip>
#include <map>
#include <memory>
#include <sstream>

#include "Commands.h"
#include "Host.h"
#include "InstanceData.h"
#include "InstanceFields.h"
#include "InstanceRecords.h"
#include "InstanceState.h"
#include "SecretInput.h"

namespace orvanectl {

namespace {

// The field options given on one command line, in table order.
struct FieldValues {
  std::map<std::string, std::string> values;
  std::map<std::string, CLI::Option*> options;

  void AddTo(CLI::App& command) {
    for (const InstanceField& field : InstanceFields()) {
      std::string help = std::string(field.description) + " (" + field.rule + ")";
      options[field.option] =
          command.add_option(std::string("--") + field.option, values[field.option], help)
              ->type_name(ValueType(field));
    }
  }
  bool Any() const {
    for (const auto& [name, option] : options) {
      if (option->count() > 0) return true;
    }
    return false;
  }
};

// Hands every given field to the record's setter; on the first refusal says
// which rule the value broke and returns false.
bool ApplyFields(FieldValues& given, MSInfo& record) {
  for (const InstanceField& field : InstanceFields()) {
    if (given.options[field.option]->count() == 0) continue;
    std::string value = given.values[field.option];
    if (field.kind == FieldKind::kSecret && value == "-") {
      std::optional<std::string> secret = ReadSecret(field.description);
      if (!secret) {
        Refuse(field.option, std::string("--") + field.option + ": no line on standard input");
        return false;
      }
      value = *secret;
    }
    if (!ApplyFieldValue(field, value, record, std::string("--") + field.option)) return false;
  }
  return true;
}

void PrintRecord(const MSInfo& record) {
  Host& host = Host::Get();
  for (const InstanceField& field : InstanceFields()) {
    std::ostringstream line;
    line << std::left << std::setw(14) << field.option << ShownText(field.show(record));
    host.Line(line.str());
  }
}

// An instance's line of the list, in the columns of its heading.
std::string ListLine(const MSInfo& record, const InstanceState& state) {
  const int last = record.GetMSPort() + record.GetMSProc() + 2;
  std::ostringstream line;
  line << std::left << std::setw(10) << record.GetName() << std::setw(13)
       << (std::to_string(record.GetMSPort()) + "-" + std::to_string(last)) << std::setw(9)
       << (state.created ? "yes" : "no") << std::setw(11)
       << (state.startType.empty() ? "-" : state.startType) << std::setw(10)
       << (state.database ? "created" : "-") << std::setw(9)
       << (state.running ? "running" : "stopped") << record.GetISHost();
  return line.str();
}

int List(Context& context) {
  InstanceData data;
  const int code = data.Open(context.data, InstanceData::Access::kRead);
  if (data.Path().empty()) return code;
  Host& host = Host::Get();
  MSList& list = data.List();
  nlohmann::json instances = nlohmann::json::array();
  if (list.GetCount() == 0) {
    host.Line("no instances");
  } else {
    std::ostringstream heading;
    heading << std::left << std::setw(10) << "NAME" << std::setw(13) << "PORTS" << std::setw(9)
            << "CREATED" << std::setw(11) << "START" << std::setw(10) << "DATABASE"
            << std::setw(9) << "STATE" << "HOST";
    host.Line(heading.str());
  }
  for (int i = 0; i < list.GetCount(); ++i) {
    MSInfo record;
    list.SetIndex(i);
    list.GetCurrent(record);
    const InstanceState state = QueryInstanceState(record);
    // Each form is made only when it is printed: a list of thousands of
    // instances spends a good part of its time on either.
    if (!host.Json()) {
      host.Line(ListLine(record, state));
      continue;
    }
    nlohmann::json instance = {{"name", record.GetName()},
                               {"port", record.GetMSPort()},
                               {"processes", record.GetMSProc()},
                               {"host", record.GetISHost()}};
    instance.update(StateJson(state));
    instances.push_back(std::move(instance));
  }
  host.Result()["data"] = data.Path();
  host.Result()["instances"] = instances;
  return code;
}

int Show(Context& context, const std::string& name) {
  InstanceData data;
  const int code = data.Open(context.data, InstanceData::Access::kRead);
  if (data.Path().empty()) return code;
  MSInfo record;
  if (!data.Select(name, record)) return kExitUnknownInstance;
  PrintRecord(record);
  Host::Get().Result()["instance"] = RecordJson(record);
  return code;
}

int Default(Context& context, const std::string& name) {
  InstanceData data;
  const int code = data.Open(context.data, InstanceData::Access::kRead);
  if (data.Path().empty()) return code;
  MSInfo record;
  if (!Propose(data.List(), name, record)) return kExitNoInstallation;
  PrintRecord(record);
  Host::Get().Result()["instance"] = RecordJson(record);
  return code;
}

int Add(Context& context, const std::string& name, FieldValues& given) {
  if (given.options["name"]->count() > 0) {
    Host::Get().ErrorText("add: the instance's name is NAME; --name is for set");
    return kExitUsage;
  }
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kChange)) return code;
  MSInfo record;
  if (!Propose(data.List(), name, record)) return kExitNoInstallation;
  Host& host = Host::Get();
  if (!record.SetName(name.c_str())) {
    Refuse("name", "instance name '" + name + "' refused: it must be " + NameRule());
    return kExitRefused;
  }
  if (!ApplyFields(given, record)) return kExitRefused;
  if (Conflicts(data.List().Add(record, 1), data.List(), record, -1)) return kExitRefused;
  if (!data.Store()) return kExitFailed;
  host.Note("instance " + name + " added to " + data.Path());
  host.Result()["instance"] = RecordJson(record);
  return kExitDone;
}

int Set(Context& context, const std::string& name, FieldValues& given) {
  Host& host = Host::Get();
  if (!given.Any()) {
    host.ErrorText("set: name at least one field to change (orvanectl set --help)");
    return kExitUsage;
  }
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kChange)) return code;
  MSInfo record;
  if (!data.Select(name, record)) return kExitUnknownInstance;
  const std::string oldName = record.GetName();
  if (given.options["name"]->count() > 0 && given.values["name"] != oldName &&
      QueryInstanceState(record).created) {
    // Its service, TCP service entries and files carry the old name: a
    // record under the new one would clash with them on every later load.
    host.ErrorText("instance " + oldName +
                   " is created, so it cannot be renamed: delete it (orvanectl delete " + oldName +
                   "), then add and create it as " + given.values["name"]);
    return kExitRefused;
  }
  if (!ApplyFields(given, record)) return kExitRefused;
  MSList& list = data.List();
  if (Conflicts(list.MergeCurrent(record), list, record, list.GetIndex())) return kExitRefused;
  if (!data.Store()) return kExitFailed;
  host.Note("instance " + std::string(record.GetName()) + " changed in " + data.Path());
  host.Result()["instance"] = RecordJson(record);
  return kExitDone;
}

struct RepairRequest {
  std::string drop;
  std::string fix;
  FieldValues fields;
};

// The refused record named name (letter case ignored), or -1.
int FindRefused(const std::vector<InstanceData::RefusedRecord>& refused, const std::string& name) {
  for (std::size_t i = 0; i < refused.size(); ++i) {
    if (SameName(refused[i].record.GetName(), name)) return static_cast<int>(i);
  }
  return -1;
}

// Lists the refused records with what each conflicts with, as lines.
nlohmann::json ListRefused(InstanceData& data) {
  Host& host = Host::Get();
  nlohmann::json listed = nlohmann::json::array();
  for (const InstanceData::RefusedRecord& refused : data.Refused()) {
    const std::string partner = ConflictPartner(data.List(), refused.record, -1);
    const std::string fields = ConflictFields(refused.flags);
    host.Line(std::string("refused: instance ") + refused.record.GetName() + " conflicts with " +
              partner + " on " + fields);
    nlohmann::json messages = nlohmann::json::array();
    for (unsigned int id : ConflictMessages(refused.flags)) {
      KelString text;
      KelLoadMessage(text, id);
      host.Line(std::string("  ") + static_cast<const char*>(text));
      messages.push_back(static_cast<const char*>(text));
    }
    listed.push_back({{"instance", RecordJson(refused.record)},
                      {"conflictsWith", partner},
                      {"fields", fields},
                      {"rules", messages}});
  }
  return listed;
}

// Like a file system check: lists what the load refused, and changes the
// file only when told to drop or mend one record. The other refused records
// are stored as they were.
int Repair(Context& context, RepairRequest& request) {
  Host& host = Host::Get();
  if (!request.drop.empty() && !request.fix.empty()) {
    host.ErrorText("repair: --drop or --fix, not both");
    return kExitUsage;
  }
  if (request.fix.empty() && request.fields.Any()) {
    host.ErrorText("repair: field options go with --fix NAME");
    return kExitUsage;
  }
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kRepair)) {
    if (!data.Readable()) {
      host.ErrorText("repair cannot mend a file that is not read to its end; " + data.Path() +
                     ".bak holds the previous generation when a repair or change made one");
    }
    return code;
  }
  host.Result()["data"] = data.Path();
  host.Result()["refused"] = ListRefused(data);
  const std::string name = request.drop.empty() ? request.fix : request.drop;
  if (name.empty()) {
    if (data.Refused().empty()) host.Note("the instance data file " + data.Path() + " loads completely");
    return data.Refused().empty() ? kExitDone : kExitNoInstallation;
  }
  const int chosen = FindRefused(data.Refused(), name);
  if (chosen < 0) {
    host.ErrorText("no refused record is named " + name + " (orvanectl repair lists them)");
    return kExitUnknownInstance;
  }
  std::vector<MSInfo> kept;
  for (int i = 0; i < static_cast<int>(data.Refused().size()); ++i) {
    if (i != chosen) kept.push_back(data.Refused()[i].record);
  }
  MSInfo record = data.Refused()[chosen].record;
  if (!request.fix.empty()) {
    if (!request.fields.Any()) {
      host.ErrorText("repair --fix " + name + ": name at least one field to change");
      return kExitUsage;
    }
    if (!ApplyFields(request.fields, record)) return kExitRefused;
    if (Conflicts(data.List().Add(record, 1), data.List(), record, -1)) return kExitRefused;
  }
  if (!data.StoreRepaired(kept)) return kExitFailed;
  host.Note(std::string("instance ") + record.GetName() + (request.fix.empty() ? " dropped from " : " mended in ") +
            data.Path() + "; the previous file is " + data.Path() + ".bak");
  host.Result()[request.fix.empty() ? "dropped" : "fixed"] = record.GetName();
  host.Result()["backup"] = data.Path() + ".bak";
  host.Result()["stillRefused"] = kept.size();
  return kExitDone;
}

}  // namespace

void AddInstanceCommands(CLI::App& app, Context& context) {
  CLI::App* list = app.add_subcommand("list", "List the instances with their ports and state");
  list->callback([&context] { context.Choose("list", [&context] { return List(context); }); });

  auto showName = std::make_shared<std::string>();
  CLI::App* show = app.add_subcommand("show", "Show every field of an instance");
  show->add_option("NAME", *showName, "instance name")->required()->type_name("NAME");
  show->callback([&context, showName] {
    context.Choose("show", [&context, showName] { return Show(context, *showName); });
  });

  auto defaultName = std::make_shared<std::string>();
  CLI::App* proposal = app.add_subcommand("default", "Show the proposal for a new instance");
  proposal->add_option("NAME", *defaultName, "the new instance's name")->type_name("NAME");
  proposal->callback([&context, defaultName] {
    context.Choose("default", [&context, defaultName] { return Default(context, *defaultName); });
  });

  auto addName = std::make_shared<std::string>();
  auto addFields = std::make_shared<FieldValues>();
  CLI::App* add = app.add_subcommand("add", "Define a new instance from the proposal and fields");
  add->add_option("NAME", *addName, "instance name")->required()->type_name("NAME");
  addFields->AddTo(*add);
  add->callback([&context, addName, addFields] {
    context.Choose("add", [&context, addName, addFields] {
      return Add(context, *addName, *addFields);
    });
  });

  auto setName = std::make_shared<std::string>();
  auto setFields = std::make_shared<FieldValues>();
  CLI::App* set = app.add_subcommand("set", "Change fields of an instance");
  set->add_option("NAME", *setName, "instance name")->required()->type_name("NAME");
  setFields->AddTo(*set);
  set->callback([&context, setName, setFields] {
    context.Choose("set", [&context, setName, setFields] {
      return Set(context, *setName, *setFields);
    });
  });

  auto repairRequest = std::make_shared<RepairRequest>();
  CLI::App* repair = app.add_subcommand(
      "repair", "List the records the instance data file holds but the list refuses; drop or "
                "mend one (the file is kept as .bak first)");
  repair->add_option("--drop", repairRequest->drop, "leave the refused record NAME out")
      ->type_name("NAME");
  repair->add_option("--fix", repairRequest->fix,
                     "mend the refused record NAME with the field options")
      ->type_name("NAME");
  repairRequest->fields.AddTo(*repair);
  repair->callback([&context, repairRequest] {
    context.Choose("repair", [&context, repairRequest] { return Repair(context, *repairRequest); });
  });
}

}  // namespace orvanectl
