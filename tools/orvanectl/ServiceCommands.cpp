// start, stop, status: the instances' Windows services.
#include <orvane/orvane.h>

#include <iomanip>
#include <memory>
#include <sstream>

#include "Commands.h"
#include "Host.h"
#include "InstanceData.h"

namespace orvanectl {

namespace {

constexpr char kWebServerService[] = "BrenloQuentaGoWebserver";
constexpr unsigned int kMsgCannotStart = 44;
constexpr unsigned int kMsgCannotStop = 45;

// The library reports an instance whose service does not exist as started;
// the host checks the state it asked for.
int StartOrStop(Context& context, const std::string& name, bool start) {
  InstanceData data;
  if (const int code = data.Open(context.data, InstanceData::Access::kRead)) return code;
  MSInfo record;
  if (!data.Select(name, record)) return kExitUnknownInstance;
  const int result = start ? KelStartTQSvc(record) : KelStopTQSvc(record);
  const bool running = KelIsTQSvcActive(record) != 0;
  Host& host = Host::Get();
  host.Result()["running"] = running;
  if (result != 0 && running != start) {
    host.ErrorText(std::string("the service TQ") + record.GetName() + " is " +
                   (running ? "still running" : "not running") + (start ? "; is the instance created?" : ""));
    host.Error(start ? kMsgCannotStart : kMsgCannotStop, record.GetName());
  }
  return result != 0 && running == start ? kExitDone : kExitFailed;
}

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
  };
  MSInfo record;
  if (!name.empty()) {
    if (!data.Select(name, record)) return kExitUnknownInstance;
    report(record);
  } else {
    for (int i = 0; i < list.GetCount(); ++i) {
      list.SetIndex(i);
      list.GetCurrent(record);
      report(record);
    }
  }
  const bool webServer = KelIsSvcActive(kWebServerService) != 0;
  host.Line(std::string("web server ") + (webServer ? "running" : "stopped"));
  host.Result()["instances"] = instances;
  host.Result()["webServer"] = webServer;
  return code;
}

}  // namespace

void AddServiceCommands(CLI::App& app, Context& context) {
  for (bool start : {true, false}) {
    auto name = std::make_shared<std::string>();
    const char* word = start ? "start" : "stop";
    CLI::App* command = app.add_subcommand(
        word, start ? "Start an instance's service" : "Stop an instance's service");
    command->add_option("NAME", *name, "instance name")->required();
    command->callback([&context, name, start, word] {
      context.Choose(word, [&context, name, start] { return StartOrStop(context, *name, start); });
    });
  }
  auto name = std::make_shared<std::string>();
  CLI::App* status = app.add_subcommand("status", "Whether the instances and the web server run");
  status->add_option("NAME", *name, "one instance only");
  status->callback([&context, name] {
    context.Choose("status", [&context, name] { return Status(context, *name); });
  });
}

}  // namespace orvanectl
