#include "PlannedRun.h"

#include <set>
#include <string>

#include "ChangeSetReport.h"
#include "Host.h"
#include "orvane/os/ChangeRecorder.h"

namespace orvanectl {

bool ChangesMachine(const std::string& commandName) {
  static const std::set<std::string> kChanging = {
      "add",     "set",         "create",    "delete",   "webconf", "db create", "migrate",
      "personalize", "qvbridge", "ssl",      "portset",  "start",   "stop",      "restart",
      "repair"};
  return kChanging.count(commandName) != 0;
}

int RunRecorded(Context& context) {
  namespace os = orvane::os;
  Host& host = Host::Get();
  os::ChangeRecorder recorder(context.check ? os::Recording::kPlan : os::Recording::kPassThrough);
  if (!recorder.status().ok()) {
    host.ErrorText("cannot record the command's changes (error " +
                   std::to_string(recorder.status().code()) + ")");
    return kExitFailed;
  }
  const int code = context.command();
  const nlohmann::json entries = ChangeSetEntries(recorder.Changes(), context.diff);
  host.Result()["check"] = context.check;
  host.Result()["changed"] = !entries.empty();
  host.Result()["change_set"] = entries;
  if (context.check) {
    host.Line(entries.empty() ? "no change: the machine is as the command would leave it"
                              : "the command would make these changes (none made):");
  }
  for (const std::string& line : ChangeSetLines(entries)) host.Line(line);
  return code;
}

}  // namespace orvanectl
