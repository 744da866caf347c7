#include "orvane/database/HostingData.h"

#include "orvane/core/CommandValues.h"
#include "orvane/core/MSInfo.h"
#include "orvane/database/ScriptLog.h"
#include "orvane/database/SetupStep.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

constexpr unsigned int kExtendersMissing = 101;
constexpr unsigned int kHostingDataError = 99;

// Paths and the password go in double quotes, the names bare.
void WriteScriptCall(FILE* out, const char* script, const MSInfo& info, const KelString& log,
                     const KelString& password) {
  std::fprintf(out, "@call %s %s %s %s %s\n", script, info.GetDBName(), InQuotes(log).c_str(),
               info.GetDBOwner(), InQuotes(password).c_str());
  std::fprintf(out, "\n");
}

void WriteChangeDirectory(FILE* out, const KelString& directory) {
  std::fprintf(out, "cd %s\n", InQuotes(directory).c_str());
}

// A record from an older file may hold what its rules refuse today; an
// empty owner would move the password into its place.
bool ValuesFit(const MSInfo& info, const KelString& installation) {
  KelString password;
  info.GetDBPswd(password);
  return IsQuotableText(installation) && IsQuotableText(LogDirectory(info)) &&
         IsQuotableText(password) && IsDatabaseWord(info.GetDBName()) &&
         IsDatabaseWord(info.GetDBOwner()) && *info.GetDBOwner() != '\0';
}

}  // namespace

ScriptRun RunHostingDataScripts(const MSInfo& info) {
  KelString installation;
  if (!GetTQInstallPath(installation, kCurrentProductVersion) || !ValuesFit(info, installation)) {
    return ScriptRun::kNotStarted;
  }
  const KelString admin = SetupFolder(installation);
  const KelString schemaDir = SchemaDirectory(installation);
  const KelString logs = LogDirectory(info);
  const KelString migrationFlag = schemaDir ^ "migrate\\migrate.txt";

  const bool migrating = os::PathExists(std::string(migrationFlag));
  // The command file holds the clear password: it is made only for a run.
  if (!migrating && !IsVelqExtendersInstalled()) {
    KelUpdateStatus(kExtendersMissing);
    return ScriptRun::kNotStarted;
  }
  KelString password;
  info.GetDBPswd(password);
  CommandFile commands(admin ^ "velqconfig.bat", true);
  if (commands.stream() == nullptr) return ScriptRun::kNotStarted;
  FILE* out = commands.stream();
  WriteChangeDirectory(out, schemaDir);
  WriteScriptCall(out, migrating ? "jq3122migrate.cmd" : "jqdata.cmd", info, logs ^ "jqdata.log",
                  password);
  if (migrating) {
    // A migration runs once.
    os::DeleteFile(std::string(migrationFlag));
  } else {
    WriteChangeDirectory(out, schemaDir);
    WriteScriptCall(out, "searchext.cmd", info, logs ^ "searchext.log", password);
  }
  const KelString marker = admin ^ (KelString("~") + info.GetDBName() + ".tmp");
  std::fprintf(out, "@mkdir %s\n", InQuotes(marker).c_str());
  std::fprintf(out, "@exit\n");
  if (!commands.Close()) return ScriptRun::kNotStarted;
  return StartAndAwaitMarker(commands.path(), admin, marker, 0);
}

int AddHostingData(const MSInfo& info) {
  KelString installation;
  if (GetTQInstallPath(installation, kCurrentProductVersion) && !ValuesFit(info, installation)) {
    KelShowError(kHostingDataError, info.GetDBName());
    return 0;
  }
  const KelString log = LogDirectory(info) ^ "jqdata.log";
  KelCreateBackup(log, nullptr);
  os::DeleteFile(std::string(log));
  const ScriptRun run = RunHostingDataScripts(info);
  if (run != ScriptRun::kFinished) {
    if (run == ScriptRun::kTimedOut) KelShowError(kHostingDataError, info.GetDBName());
    return 0;
  }
  return ReadScriptLog(log, LogErrors::kVelqAndSqlErrors, info.GetDBName()).errorFound ? 0 : 1;
}

}  // namespace orvane

int KelCreateDB(MSInfo& info) {
  KelString installation;
  if (!orvane::GetTQInstallPath(installation, orvane::kCurrentProductVersion)) return 0;
  const orvane::SetupStep step(installation);
  if (!step.ok()) return 0;
  return orvane::RunHostingDataScripts(info) != orvane::ScriptRun::kNotStarted ? 1 : 0;
}
