// start, stop, restart, status: the instances' Windows services.
#include <orvane/orvane.h>

#include <iomanip>
#include <memory>
#include <sstream>
#include <vector>

#include "Commands.h"
#include "Host.h"
#include "InstanceData.h"
#include "InstanceState.h"
#include "InstanceSteps.h"

namespace orvanectl {

namespace {

constexpr unsigned int kMsgCannotStart = 44;
constexpr unsigned int kMsgCannotStop = 45;

const char* ActionWord(ServiceAction action) {
  switch (action) {
    case ServiceAction::kStart:
      return "start";
    case ServiceAction::kStop:
      return "stop";
    case ServiceAction::kRestart:
      return "restart";
  }
  return "start";
}

struct ServiceRequest {
  std::string name;
  bool all = false;
};

int ControlServices(Context& context, const ServiceRequest& request, ServiceAction action) {
  Host& host = Host::Get();
  if (request.all == !request.name.empty()) {
    host.ErrorText(std::string(ActionWord(action)) + ": name one instance or --all");
    return kExitUsage;
  }
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kRead)) return code;
  nlohmann::json running = nlohmann::json::object();
  MSInfo record;
  int code = kExitDone;
  if (!request.all) {
    if (!data.Select(request.name, record)) return kExitUnknownInstance;
    code = ControlInstance(record, action, running) ? kExitDone : kExitFailed;
  } else {
    MSList& list = data.List();
    for (int i = 0; i < list.GetCount(); ++i) {
      list.SetIndex(i);
      list.GetCurrent(record);
      if (!QueryInstanceState(record).created) {
        host.Note(std::string("instance ") + record.GetName() + " is not created; left alone");
        continue;
      }
      if (!ControlInstance(record, action, running)) code = kExitFailed;
    }
  }
  host.Result()["running"] = running;
  return code;
}

// With NAME the answer is the exit code, as service managers give it: 0
// running, 3 not running, 4 no such instance (or no installation).
int Status(Context& context, const std::string& name) {
  InstanceData data;
  const int code = data.Open(context.data, InstanceData::Access::kRead);
  if (data.Path().empty()) return code;
  Host& host = Host::Get();
  MSList& list = data.List();
  nlohmann::json instances = nlohmann::json::object();
  auto report = [&](MSInfo& record) {
    const bool running = KelIsTQSvcActive(record) != 0;
    std::ostringstream line;
    line << std::left << std::setw(10) << record.GetName() << (running ? "running" : "stopped");
    host.Line(line.str());
    instances[record.GetName()] = running;
    return running;
  };
  MSInfo record;
  if (!name.empty()) {
    if (code != kExitDone) return kExitStatusUnknown;
    if (!data.Select(name, record)) return kExitStatusUnknown;
    const bool running = report(record);
    host.Result()["instances"] = instances;
    return running ? kExitStatusRunning : kExitStatusStopped;
  }
  for (int i = 0; i < list.GetCount(); ++i) {
    list.SetIndex(i);
    list.GetCurrent(record);
    report(record);
  }
  const bool webServer = KelIsSvcActive(kWebServerService) != 0;
  host.Line(std::string("web server ") + (webServer ? "running" : "stopped"));
  host.Result()["instances"] = instances;
  host.Result()["webServer"] = webServer;
  return code;
}

}  // namespace

// The library reports an instance whose service does not exist as started,
// so the host asks first whether there is one, and checks afterwards the
// state it asked for.
bool ControlInstance(MSInfo& record, ServiceAction action, nlohmann::json& changed) {
  Host& host = Host::Get();
  if (!QueryInstanceState(record).created) {
    host.ErrorText(std::string("instance ") + record.GetName() + " is not created: there is no " +
                   "service to " + ActionWord(action) + " (orvanectl create " + record.GetName() +
                   ")");
    return false;
  }
  const bool start = action != ServiceAction::kStop;
  if (action == ServiceAction::kRestart && !KelStopTQSvc(record)) {
    host.Error(kMsgCannotStop, record.GetName());
    return false;
  }
  const int result = start ? KelStartTQSvc(record) : KelStopTQSvc(record);
  const bool running = KelIsTQSvcActive(record) != 0;
  changed[record.GetName()] = running;
  if (result != 0 && running == start) return true;
  host.ErrorText("the service " + InstanceServiceName(record) + " is " +
                 (running ? "still running" : "not running"));
  host.Error(start ? kMsgCannotStart : kMsgCannotStop, record.GetName());
  return false;
}

void AddServiceCommands(CLI::App& app, Context& context) {
  const struct {
    ServiceAction action;
    const char* help;
  } commands[] = {
      {ServiceAction::kStart, "Start an instance's service"},
      {ServiceAction::kStop, "Stop an instance's service"},
      {ServiceAction::kRestart, "Stop and start an instance's service"},
  };
  for (const auto& command : commands) {
    auto request = std::make_shared<ServiceRequest>();
    const ServiceAction action = command.action;
    CLI::App* sub = app.add_subcommand(ActionWord(action), command.help);
    sub->add_option("NAME", request->name, "instance name")->type_name("NAME");
    sub->add_flag("--all", request->all, "every created instance of the data file");
    sub->callback([&context, request, action] {
      context.Choose(ActionWord(action), [&context, request, action] {
        return ControlServices(context, *request, action);
      });
    });
  }
  auto name = std::make_shared<std::string>();
  CLI::App* status = app.add_subcommand(
      "status",
      "Whether the instances and the web server run. With NAME the exit code answers: 0 "
      "running, 3 not running, 4 no such instance");
  status->add_option("NAME", *name, "one instance only")->type_name("NAME");
  status->callback([&context, name] {
    context.Choose("status", [&context, name] { return Status(context, *name); });
  });
}

}  // namespace orvanectl
