// create, delete, webconf, db create, migrate, personalize, qvbridge: the
// operations that turn records into instances.
#include <orvane/orvane.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "DatabasePurge.h"
#include "Host.h"
#include "InstanceData.h"
#include "InstanceRecords.h"
#include "InstanceState.h"
#include "InstanceSteps.h"
#include "MachineChanges.h"
#include "SecretInput.h"
#include "orvane/config/WebServerLines.h"
#include "orvane/core/AsciiCase.h"
#include "orvane/os/Files.h"
#include "orvane/os/Registry.h"

namespace orvanectl {

namespace {

constexpr unsigned int kMsgWebServerFileRefused = 6;
constexpr unsigned int kMsgBridgeUsage = 86;
// The web server's record.
constexpr char kWebServerKey[] = "SOFTWARE\\Brenlo\\Quenta Go Webserver";
constexpr char kWebServerVersion[] = "4.6";
// The bridge's command line: the program, ten arguments and an optional one.
constexpr std::size_t kBridgeArguments = 10;

// One record, or every record, made current in turn.
struct Selection {
  std::string name;
  bool all = false;
  bool restart = false;  // create: start again what creation stopped
};

// Creation stops a running instance and leaves it stopped: say so, or start
// it again when asked to. False when the restart failed.
bool AfterCreationStopped(MSInfo& record, bool restart) {
  Host& host = Host::Get();
  if (restart) return KelStartTQSvc(record) != 0;
  host.Result()["stopped"].push_back(record.GetName());
  host.Note("instance " + std::string(record.GetName()) +
            " was running: it was stopped to be created and is left stopped "
            "(create --restart starts it again)");
  return true;
}

// Creation may change the record (the packaging flag follows the
// installation), so the record goes back into the list afterwards.
int Create(Context& context, const Selection& selection) {
  Host& host = Host::Get();
  if (selection.all == !selection.name.empty()) {
    host.ErrorText("create: name one instance or --all");
    return kExitUsage;
  }
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kChange)) return code;
  MSList& list = data.List();
  std::vector<std::string> names = RecordNames(list);
  if (!selection.all) names = {selection.name};
  return CreateInstances(data, names, selection.restart);
}

}  // namespace

int CreateInstances(InstanceData& data, const std::vector<std::string>& names, bool restart) {
  Host& host = Host::Get();
  MSList& list = data.List();
  MSInfo record;
  std::vector<std::string> services;
  for (const std::string& name : names) services.push_back(InstanceServiceName(name));
  const MachineChanges changes(services);
  int code = kExitDone;
  nlohmann::json& created = host.Result()["created"];
  if (created.is_null()) created = nlohmann::json::array();
  for (const std::string& name : names) {
    if (!data.Select(name, record)) return kExitUnknownInstance;
    const bool wasRunning = KelIsTQSvcActive(record) != 0;
    if (!KelCreateSingleInst(record)) {
      code = kExitFailed;
      continue;
    }
    if (wasRunning && !KelIsTQSvcActive(record) &&
        !AfterCreationStopped(record, restart)) {
      code = kExitFailed;
    }
    list.MergeCurrent(record);
    created.push_back(record.GetName());
  }
  changes.Report(host.Result());
  if (!data.Store()) return kExitFailed;
  return code;
}

namespace {

// The web server's configuration directory as its record names it: ETCpath
// of the greatest version key that begins with 4.6. "" without a record.
std::string WebServerConfigDirectory() {
  using orvane::os::RegistryAccess;
  const auto base = orvane::os::RegistryKey::Open(orvane::os::RegistryRoot::kLocalMachine,
                                                  kWebServerKey, RegistryAccess::kRead);
  if (!base) return "";
  std::string version = kWebServerVersion;
  for (unsigned long index = 0;; ++index) {
    const auto subkey = base->EnumerateSubkey(index);
    if (!subkey) break;
    if (subkey->rfind(kWebServerVersion, 0) == 0 && *subkey > version) version = *subkey;
  }
  const auto key = base->OpenSubkey(version, RegistryAccess::kRead);
  if (!key) return "";
  const auto value = key->QueryValue("ETCpath");
  std::string directory = value ? value->AsString() : "";
  if (!directory.empty() && directory.back() == '\\') directory.pop_back();
  return directory;
}

// The number of the line that opens a product section the file never
// closes, by the rule the web server configuration drops old sections by;
// 0 when every section is closed (or the file cannot be read).
int UnclosedSectionLine(const std::string& path) {
  std::FILE* file = orvane::os::OpenFile(path, "r");
  if (file == nullptr) return 0;
  orvane::OldSectionFilter sections;
  int number = 0;
  int opened = 0;
  auto take = [&](const std::string& line) {
    ++number;
    const bool wasInside = sections.InsideSection();
    // The configuration reads a line up to a NUL byte in it.
    if (sections.Drops(line.c_str()) && !wasInside) opened = number;
  };
  std::string line;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    take(line);
    line.clear();
  }
  if (!line.empty()) take(line);
  std::fclose(file);
  return sections.InsideSection() ? opened : 0;
}

// Configures the web server for the list. The library refuses a file with
// an unclosed product section (message 6) without naming it; the user is
// told which line to mend.
bool ConfigureWebServer(MSList& list) {
  if (KelSetISConf(list)) return true;
  Host& host = Host::Get();
  if (!host.Said(kMsgWebServerFileRefused)) return false;
  const std::string directory = WebServerConfigDirectory();
  for (const char* name : {"httpd.cnf", "servlet.cnf"}) {
    const std::string path = directory + "\\" + name;
    if (const int line = UnclosedSectionLine(path)) {
      host.ErrorText(path + " line " + std::to_string(line) +
                     ": the product section that begins here is never closed");
      host.Result()["unclosedSection"] = {{"file", path}, {"line", line}};
    }
  }
  return false;
}

// A deletion that stored the list but has not configured the web server yet
// names its instance in this file beside the data file, so that a deletion
// stopped in between is finished by running it again.
std::string PendingWebServerPath(const InstanceData& data) {
  return data.Path() + ".webconf-pending";
}

bool WritePendingWebServer(const InstanceData& data, const std::string& name) {
  orvane::os::ReplacementFile pending(PendingWebServerPath(data), "w");
  return pending.stream() != nullptr && std::fputs((name + "\n").c_str(), pending.stream()) >= 0 &&
         pending.Commit().ok();
}

// True when an earlier deletion of name stored the list without it and was
// stopped before it configured the web server.
bool WebServerPendingFor(InstanceData& data, const std::string& name) {
  std::FILE* file = orvane::os::OpenFile(PendingWebServerPath(data), "r");
  if (file == nullptr) return false;
  char line[64] = "";
  const bool read = std::fgets(line, sizeof line, file) != nullptr;
  std::fclose(file);
  line[std::strcspn(line, "\n")] = '\0';
  if (!read || !orvane::EqualsIgnoringCase(line, name.c_str())) return false;
  for (int i = 0; i < data.List().GetCount(); ++i) {
    MSInfo record;
    data.List().SetIndex(i);
    data.List().GetCurrent(record);
    if (orvane::EqualsIgnoringCase(record.GetName(), name.c_str())) return false;
  }
  return true;
}

// Configures the web server for the instances left in the list; the pending
// note goes once that is done.
bool ConfigureAfterDeletion(InstanceData& data) {
  if (!ConfigureWebServer(data.List())) return false;
  orvane::os::DeleteFile(PendingWebServerPath(data));
  return true;
}

// What deletion leaves on the machine, said after it.
void SayWhatStays(const MSInfo& record, bool purged) {
  Host& host = Host::Get();
  const std::string database = purged ? "" : std::string("the database ") + record.GetDBName() +
                                                 " and its ODBC data source (--purge drops them), ";
  host.Note("kept: " + database + "the directories in " + record.GetRootPath() +
            ", the configuration files in " + record.GetHtmlPath() + " moved aside");
  host.Result()["kept"] = {{"root", record.GetRootPath()}, {"movedAside", record.GetHtmlPath()}};
  if (!purged) host.Result()["kept"]["database"] = record.GetDBName();
}

// The whole road: unregister, remove the record, store, configure the web
// server for the instances that are left, all under the data file's lock.
// The record goes even when some registration was already gone (message
// 50): nothing else would remove it. An instance that was never created has
// nothing to unregister.
int Delete(Context& context, const Deletion& deletion) {
  Host& host = Host::Get();
  const bool keepRecord = deletion.keepRecord;
  if (deletion.purge && keepRecord) {
    host.ErrorText("delete: --purge removes what --keep-record keeps; give one of them");
    return kExitUsage;
  }
  if (deletion.purge && !deletion.yes && (context.json || !InputIsTerminal())) {
    host.ErrorText("delete --purge drops the database: confirm with --yes when not at a terminal");
    return kExitUsage;
  }
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kChange)) return code;
  return DeleteInstance(data, deletion);
}

}  // namespace

int DeleteInstance(InstanceData& data, const Deletion& deletion) {
  Host& host = Host::Get();
  const bool keepRecord = deletion.keepRecord;
  host.Result()["recordKept"] = keepRecord;
  if (!keepRecord && WebServerPendingFor(data, deletion.name)) {
    host.Note("instance " + deletion.name + " was removed from " + data.Path() +
              " already; configuring the web server for the instances left");
    return ConfigureAfterDeletion(data) ? kExitDone : kExitFailed;
  }
  MSInfo record;
  if (!data.Select(deletion.name, record)) return kExitUnknownInstance;
  if (deletion.purge && !deletion.yes &&
      !Confirm(std::string("Delete instance ") + record.GetName() + ", drop its database " +
               record.GetDBName() + " and remove its ODBC data source?")) {
    host.Note("nothing deleted");
    return kExitFailed;
  }
  const bool created = QueryInstanceState(record).created;
  const MachineChanges changes({InstanceServiceName(record)});
  const bool unregistered = !created || KelDeleteSingleInst(record) != 0;
  changes.Report(host.Result());
  host.Result()["unregistered"] = created;
  const bool purged = !deletion.purge || PurgeDatabase(record);
  if (created) SayWhatStays(record, deletion.purge);
  if (keepRecord) {
    if (!created) host.Note("instance " + std::string(record.GetName()) + " is not created: nothing to unregister");
    return unregistered ? kExitDone : kExitFailed;
  }
  data.List().Delete();
  if (!WritePendingWebServer(data, record.GetName()) || !data.Store()) return kExitFailed;
  host.Note("instance " + std::string(record.GetName()) + (created ? "" : ", never created,") +
            " removed from " + data.Path());
  const bool configured = !deletion.configureWebServer || ConfigureAfterDeletion(data);
  return unregistered && configured && purged ? kExitDone : kExitFailed;
}

namespace {

// Under the data file's lock: a deletion must not store its list between
// this run's reading and its writing of the web server's files.
int WebConfiguration(Context& context) {
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kChange)) return code;
  return ConfigureWebServerFor(data);
}

}  // namespace

int ConfigureWebServerFor(InstanceData& data) {
  if (!ConfigureAfterDeletion(data)) return kExitFailed;
  Host& host = Host::Get();
  nlohmann::json configured = nlohmann::json::array();
  MSList& list = data.List();
  std::string names;
  for (int i = 0; i < list.GetCount(); ++i) {
    MSInfo record;
    list.SetIndex(i);
    list.GetCurrent(record);
    configured.push_back(record.GetName());
    names += std::string(names.empty() ? ": " : ", ") + record.GetName();
  }
  const bool running = KelIsSvcActive(kWebServerService) != 0;
  host.Note("web server configured for " + std::to_string(list.GetCount()) + " instances" + names +
            "; the web server is " + (running ? "running" : "not running"));
  host.Result()["configured"] = configured;
  host.Result()["webServerRunning"] = running;
  return kExitDone;
}

namespace {

int Personalize(Context& context, const std::string& name) {
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kRead)) return code;
  MSInfo record;
  if (!data.Select(name, record)) return kExitUnknownInstance;
  if (!KelNetPerceptionConfig(record)) return kExitUnknownInstance;
  Host::Get().Note("personalization set up for instance " + std::string(record.GetName()));
  return kExitDone;
}

// The migration creates the instances again but leaves the data file alone;
// when the data file had none, the instances of the older installation
// (the newest level that holds any) are read back and stored, so that the
// commands after it (db create first) know them.
int Migrate(Context& context) {
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kChange)) return code;
  if (!KelMigrate()) return kExitFailed;
  Host& host = Host::Get();
  if (data.List().GetCount() == 0) {
    for (int level : {2, 1}) {
      KelGetTQConfig(data.List(), level);
      if (data.List().GetCount() > 0) {
        host.Result()["level"] = level;
        break;
      }
    }
    if (!data.Store()) return kExitFailed;
  }
  host.Note("migrated " + std::to_string(data.List().GetCount()) + " instances into " + data.Path());
  host.Result()["instances"] = data.List().GetCount();
  return kExitDone;
}

int CreateDatabase(Context& context, const Selection& selection) {
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kRead)) return code;
  MSInfo record;
  Host& host = Host::Get();
  if (!selection.name.empty() && selection.all) {
    host.ErrorText("db create: name one instance or --all");
    return kExitUsage;
  }
  if (selection.name.empty()) return DBCreateDatabase(data.List()) ? kExitDone : kExitFailed;
  if (!data.Select(selection.name, record)) return kExitUnknownInstance;
  return CreateDatabaseOf(record);
}

}  // namespace

int CreateDatabaseOf(MSInfo& record) {
  const MachineChanges changes({InstanceServiceName(record)});
  const int created = DBCreateSingle(record);
  changes.Report(Host::Get().Result());
  return created ? kExitDone : kExitFailed;
}

namespace {

int QueueBridge(Context& context, const std::vector<std::string>& arguments) {
  Host& host = Host::Get();
  if (arguments.size() != kBridgeArguments && arguments.size() != kBridgeArguments + 1) {
    KelString usage;
    KelLoadMessage(usage, kMsgBridgeUsage);
    host.ErrorText(static_cast<const char*>(usage));
    return kExitUsage;
  }
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kRead)) return code;
  MSInfo record;
  if (!data.Select(arguments[0], record)) return kExitUnknownInstance;
  std::vector<std::string> line = {"tqqvbridge"};
  line.insert(line.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : line) argv.push_back(word.data());
  const MachineChanges changes({});
  const int bridged = KelCreateFixpackQVInit(record, argv.data(), static_cast<int>(argv.size()));
  changes.Report(host.Result());
  if (!bridged) return kExitFailed;
  host.Note(std::string("queue bridge set up for instance ") + record.GetName());
  host.Result()["instance"] = record.GetName();
  return kExitDone;
}

}  // namespace

void AddLifecycleCommands(CLI::App& app, Context& context) {
  auto creation = std::make_shared<Selection>();
  CLI::App* create = app.add_subcommand(
      "create", "Create an instance: directories, configuration files, services");
  create->add_option("NAME", creation->name, "instance name")->type_name("NAME");
  create->add_flag("--all", creation->all, "every instance of the data file");
  create->add_flag("--restart", creation->restart,
                   "start a running instance again once it has been created");
  create->callback([&context, creation] {
    context.Choose("create", [&context, creation] { return Create(context, *creation); });
  });

  auto deletion = std::make_shared<Deletion>();
  CLI::App* remove = app.add_subcommand(
      "delete",
      "Delete an instance: unregister it, remove its record, reconfigure the web server. Its "
      "database, data source, directories and moved-aside files stay");
  remove->add_option("NAME", deletion->name, "instance name")->required()->type_name("NAME");
  remove->add_flag("--keep-record", deletion->keepRecord, "unregister only; keep the record");
  remove->add_flag("--purge", deletion->purge,
                   "also drop the database and remove its ODBC data source (asks on a terminal)");
  remove->add_flag("--yes", deletion->yes, "confirm --purge without asking");
  remove->callback([&context, deletion] {
    context.Choose("delete", [&context, deletion] { return Delete(context, *deletion); });
  });

  CLI::App* webconf = app.add_subcommand(
      "webconf", "Configure the web server for every instance and restart it");
  webconf->callback([&context] {
    context.Choose("webconf", [&context] { return WebConfiguration(context); });
  });

  CLI::App* migrate = app.add_subcommand(
      "migrate", "Bring the instances of an earlier installation into the current one");
  migrate->callback([&context] { context.Choose("migrate", [&context] { return Migrate(context); }); });

  auto personalized = std::make_shared<std::string>();
  CLI::App* personalize =
      app.add_subcommand("personalize", "Set up the personalization add-on for an instance");
  personalize->add_option("NAME", *personalized, "instance name")->required()->type_name("NAME");
  personalize->callback([&context, personalized] {
    context.Choose("personalize", [&context, personalized] {
      return Personalize(context, *personalized);
    });
  });

  auto database = std::make_shared<Selection>();
  CLI::App* db = app.add_subcommand("db", "Instance databases");
  db->require_subcommand(1);
  CLI::App* dbCreate = db->add_subcommand(
      "create", "Create (or catalogue) an instance's database and register its data source");
  dbCreate->add_option("NAME", database->name, "instance name (default: every instance)")
      ->type_name("NAME");
  dbCreate->add_flag("--all", database->all, "every instance of the data file");
  dbCreate->callback([&context, database] {
    context.Choose("db create", [&context, database] { return CreateDatabase(context, *database); });
  });

  auto bridge = std::make_shared<std::vector<std::string>>();
  CLI::App* qvbridge = app.add_subcommand(
      "qvbridge",
      "Set up the queue bridge: NAME PORT SERVER INBOUND OUTBOUND ERROR MANAGER USER "
      "client|server CHANNEL [SERVER-PORT]");
  qvbridge->add_option("ARGUMENTS", *bridge, "the bridge's arguments, in the order above")
      ->type_name("WORD");
  qvbridge->callback([&context, bridge] {
    context.Choose("qvbridge", [&context, bridge] { return QueueBridge(context, *bridge); });
  });
}

}  // namespace orvanectl
