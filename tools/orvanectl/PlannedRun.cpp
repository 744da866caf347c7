#include "PlannedRun.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#undef SetEnvironmentVariable  // the seam's, not the API's ANSI macro
#else
#include <unistd.h>
#endif

#include "ChangeSetReport.h"
#include "Host.h"
#include "orvane/os/ChangeRecorder.h"
#include "orvane/os/Process.h"

namespace orvanectl {

namespace {

namespace os = orvane::os;

// The running recorded command's mode, and what its programs recorded.
std::optional<os::Recording> g_recording;
os::ChangeSet g_programChanges;

template <class T>
void Append(std::vector<T>& into, std::vector<T>& from) {
  for (T& item : from) into.push_back(std::move(item));
}

void Append(os::ChangeSet& into, os::ChangeSet from) {
  Append(into.files, from.files);
  Append(into.directories, from.directories);
  Append(into.modes, from.modes);
  Append(into.registry, from.registry);
  Append(into.services, from.services);
  Append(into.dataSources, from.dataSources);
  Append(into.programs, from.programs);
  Append(into.startupItems, from.startupItems);
}

// A new empty file of the host's own that only this user can open.
std::string PrivateTemporaryFile() {
#if defined(_WIN32)
  char folder[MAX_PATH + 1] = {};
  char file[MAX_PATH + 1] = {};
  if (GetTempPathA(MAX_PATH, folder) == 0 || GetTempFileNameA(folder, "orv", 0, file) == 0) return "";
  return file;
#else
  const char* folder = std::getenv("TMPDIR");
  std::string pattern = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
                        "/orvanectl-changes-XXXXXX";
  const int descriptor = mkstemp(pattern.data());
  if (descriptor < 0) return "";
  close(descriptor);
  return pattern;
#endif
}

}  // namespace

ProgramRecording::ProgramRecording() {
  if (!g_recording) return;
  m_file = PrivateTemporaryFile();
  if (m_file.empty()) return;
  const std::string mode = *g_recording == os::Recording::kPlan ? "plan:" : "";
  os::SetEnvironmentVariable(os::kRecordingVariable, mode + m_file);
}

ProgramRecording::~ProgramRecording() {
  if (m_file.empty()) return;
  os::SetEnvironmentVariable(os::kRecordingVariable, "");
  std::FILE* file = std::fopen(m_file.c_str(), "rb");
  std::optional<os::ChangeSet> changes;
  if (file != nullptr) {
    changes = os::LoadChangeSet(file);
    std::fclose(file);
  }
  std::remove(m_file.c_str());
  if (changes) {
    Append(g_programChanges, std::move(*changes));
  } else {
    Host::Get().ErrorText("the program did not hand over what it changed");
  }
}

bool ChangesMachine(const std::string& commandName) {
  static const std::set<std::string> kChanging = {
      "add",     "set",         "create",    "delete",   "webconf", "db create", "migrate",
      "personalize", "qvbridge", "ssl",      "portset",  "start",   "stop",      "restart",
      "repair", "apply"};
  return kChanging.count(commandName) != 0;
}

int RunRecorded(Context& context) {
  Host& host = Host::Get();
  const os::Recording mode = context.check ? os::Recording::kPlan : os::Recording::kPassThrough;
  os::ChangeRecorder recorder(mode);
  if (!recorder.status().ok()) {
    host.ErrorText("cannot record the command's changes (error " +
                   std::to_string(recorder.status().code()) + ")");
    return kExitFailed;
  }
  g_recording = mode;
  int code = context.command();
  g_recording.reset();
  os::ChangeSet changes = recorder.Changes();
  Append(changes, std::move(g_programChanges));
  const nlohmann::json entries = ChangeSetEntries(changes, context.diff);
  host.Result()["check"] = context.check;
  // A command may know of changes the recorder cannot see (steps that a
  // plan names without running them) and say so itself.
  host.Result()["changed"] = !entries.empty() || host.Result().value("changed", false);
  host.Result()["change_set"] = entries;
  // The lines people read, for fronts that show them as they are (Ansible's diff).
  const std::vector<std::string> lines = ChangeSetLines(entries);
  host.Result()["change_lines"] = lines;
  if (context.check) {
    host.Line(entries.empty() ? "no change: the machine is as the command would leave it"
                              : "the command would make these changes (none made):");
  }
  for (const std::string& line : lines) host.Line(line);
  if (!context.check) return code;
  host.Result()["plan_complete"] = changes.programs.empty();
  if (!changes.programs.empty() && (code == kExitDone || code == kExitFailed)) {
    // The programs were not run, so the library saw no results of theirs.
    host.PlanStoppedAtProgram();
    host.Line("the plan stops at the programs it lists: what the command does after them "
              "depends on their results");
    code = kExitDone;
  }
  return code;
}

}  // namespace orvanectl
