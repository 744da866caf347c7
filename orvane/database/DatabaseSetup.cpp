#include "orvane/database/DatabaseSetup.h"

#include <string>

#include "orvane/core/CommandValues.h"
#include "orvane/core/MSInfo.h"
#include "orvane/core/MSList.h"
#include "orvane/database/DatabaseQueries.h"
#include "orvane/database/HostingData.h"
#include "orvane/database/ScriptLog.h"
#include "orvane/database/ScriptRunner.h"
#include "orvane/database/SetupStep.h"
#include "orvane/os/Files.h"
#include "orvane/os/Odbc.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/InstanceService.h"
#include "orvane/platform/ServicesFile.h"
#include "orvane/runtime/Cipher.h"
#include "orvane/runtime/Messages.h"

namespace orvane {
namespace {

// Message ids.
constexpr unsigned int kInstallationNotFound = 5;
constexpr unsigned int kDataFileNotLoaded = 8;
constexpr unsigned int kNoInstance = 9;
constexpr unsigned int kBadInstance = 10;
constexpr unsigned int kCreating = 11;
constexpr unsigned int kCannotCreate = 14;
constexpr unsigned int kCreated = 20;
constexpr unsigned int kCannotAccess = 24;
constexpr unsigned int kCannotCreateFile = 26;
constexpr unsigned int kClientNotSetUp = 30;
constexpr unsigned int kOdbcFailed = 31;
constexpr unsigned int kExists = 35;
constexpr unsigned int kRemoteAvailable = 36;
constexpr unsigned int kManualDatabase = 37;
constexpr unsigned int kPreparing = 38;
constexpr unsigned int kClearStatus = 39;

constexpr int kStagingOption = 0x01;
constexpr int kRemoteOption = 0x04;
constexpr int kHostingOption = 0x80;

// The store administrator's initial password, enciphered with the merchant
// key for the schema script.
constexpr char kInitialAdminPassword[] = "qmbtraz";
constexpr int kEncipheredPasswordSize = 33;
// The schema script reports its progress over four minutes.
constexpr int kSchemaProgressSteps = 240;

constexpr char kOdbcDriver[] = "VXR VELQ ODBC DRIVER";
constexpr char kOdbcDescription[] = "Description=VXR Tessaly3";
constexpr std::string::size_type kOdbcAttributeBuffer = 260;
constexpr char kRemoteEntryComment[] = "\t\t\t#Tessaly remote VELQ database\n";

bool HasOption(const MSInfo& info, int option) { return (info.GetMSOption() & option) != 0; }
bool IsVelq(const MSInfo& info) { return info.GetDBType() == 0; }

int RegisterOdbcDataSource(const MSInfo& info) {
  if (!IsVelq(info)) return 1;
  KelString name(info.GetDBName());
  name.ToUpper();
  std::string attributes = "DSN=" + std::string(name) + '\0' + kOdbcDescription + '\0' + '\0';
  if (attributes.size() > kOdbcAttributeBuffer) return 0;
  os::ConfigureDataSource(os::DataSourceRequest::kRemoveSystem, kOdbcDriver, attributes.c_str());
  return os::ConfigureDataSource(os::DataSourceRequest::kAddSystem, kOdbcDriver, attributes.c_str())
             ? 1
             : 0;
}

// Marks the schema run as not complete; a marker a run cut short left stays.
bool MarkSchemaRunIncomplete(const std::string& marker) {
  if (os::PathExists(marker) && !os::IsLink(marker)) return true;
  os::DeleteFile(marker);
  FILE* file = os::OpenFile(marker, "wx");
  return file != nullptr && std::fclose(file) == 0;
}

// Drops a database that a schema run left half-made, so that it is made anew.
bool DropDatabase(const MSInfo& info) {
  const KelString logs = LogDirectory(info);
  CommandFile commands(logs ^ (KelString(info.GetDBName()) + ".cmd"), false);
  if (commands.stream() == nullptr) return false;
  std::fprintf(commands.stream(), "velq drop database %s\n", info.GetDBName());
  if (!commands.Close()) return false;
  return RunVelqScript(commands.path(), info, logs, 0) == ScriptRun::kFinished;
}

int CreateLocalDatabase(MSInfo& info, const KelString& installation, bool halfMade) {
  const KelString logs = LogDirectory(info);
  if (!os::DirectoryExists(std::string(logs))) {
    KelShowError(kCannotAccess, logs);
    return 0;
  }
  const KelString schemaDir = SchemaDirectory(installation);
  const KelString log = logs ^ (KelString(info.GetDBName()) + ".log");
  // A record from an older file may hold what its rules refuse today: it
  // gets no marker and no command file.
  if (!IsDatabaseWord(info.GetDBName()) || !IsQuotableText(schemaDir) || !IsQuotableText(log)) {
    KelShowError(13);
    return 0;
  }
  const std::string marker(IncompleteSchemaMarker(installation, info.GetDBName()));
  if (!MarkSchemaRunIncomplete(marker)) {
    KelShowError(kCannotCreateFile, marker.c_str());
    return 0;
  }
  if (halfMade && !DropDatabase(info)) return 0;
  char adminPassword[kEncipheredPasswordSize] = "";
  KelEncryptWithMerKey(kInitialAdminPassword, adminPassword, sizeof adminPassword,
                       info.GetMerKeyCipher());
  const KelString commandLine = KelString(InQuotes(schemaDir ^ "schema.cmd").c_str()) + " " +
                                info.GetDBName() + " " +
                                (HasOption(info, kStagingOption) ? "S" : "N") + " \"" +
                                adminPassword + "\" " + InQuotes(log).c_str();
  // A log left by an earlier run must not judge this one.
  os::DeleteFile(std::string(log));
  if (RunVelqScript(commandLine, info, schemaDir, kSchemaProgressSteps) != ScriptRun::kFinished) {
    return 0;
  }
  const LogVerdict verdict = ReadScriptLog(log, LogErrors::kVelqErrorsEndReading, info.GetDBName());
  if (!verdict.opened || verdict.errorFound) return 0;
  if (ProbeDatabase(info) != VelqAnswer::kYes) return 0;
  // The schema run is complete.
  if (!os::DeleteFile(marker)) return 0;
  if (!RegisterOdbcDataSource(info)) KelShowError(kOdbcFailed, info.GetDBName());
  return 1;
}

int CatalogRemoteDatabase(const MSInfo& info) {
  const char* service = info.GetDBSvc();
  // A record from an older file may hold what its rules refuse today.
  if (*service == '\0' || !IsDatabaseWord(service) || *info.GetDBHost() == '\0' ||
      !IsHostNameText(info.GetDBHost()) || !IsDatabaseWord(info.GetDBName())) {
    return 0;
  }
  const std::string entry = TcpServiceEntryStart(service, info.GetDBPort()) + kRemoteEntryComment;
  if (!ReplaceTcpServiceEntry(service, entry)) return 0;

  const KelString logs = LogDirectory(info);
  const char* db = info.GetDBName();
  CommandFile commands(logs ^ (KelString(db) + ".cmd"), false);
  if (commands.stream() == nullptr) return 0;
  FILE* out = commands.stream();
  std::fprintf(out, "velq catalog tcpip node %s remote %s server %s\n", db, info.GetDBHost(),
               service);
  std::fprintf(out, "velqstop\nvelqstart\nvelq list node directory\n");
  std::fprintf(out, "velq catalog database %s as %s at node %s\n", db, db, db);
  std::fprintf(out, "velqstop\nvelqstart\nvelq list database directory\n");
  if (!commands.Close()) return 0;
  return RunVelqScript(commands.path(), info, logs, 0) != ScriptRun::kNotStarted ? 1 : 0;
}

enum class VelqOutcome { kFailed, kCreated, kNeedsDataSource };

// Creates, or catalogues, a Velq database that does not exist yet, or
// re-creates a local one whose schema run did not complete; a local
// creation registers its data source itself.
VelqOutcome CreateOrCatalog(MSInfo& info, const KelString& installation, bool exists) {
  const bool remote = HasOption(info, kRemoteOption);
  const bool halfMade =
      exists && !remote &&
      os::PathExists(std::string(IncompleteSchemaMarker(installation, info.GetDBName())));
  if (exists && !halfMade) {
    KelUpdateStatus(kExists, info.GetDBName());
    return VelqOutcome::kNeedsDataSource;
  }
  if (!remote) {
    KelUpdateStatus(kCreating, info.GetDBName());
    if (!CreateLocalDatabase(info, installation, halfMade)) {
      KelShowError(kCannotCreate, info.GetDBName());
      return VelqOutcome::kFailed;
    }
    KelUpdateStatus(kCreated, LogDirectory(info));
    return VelqOutcome::kCreated;
  }
  if (!CatalogRemoteDatabase(info)) {
    KelShowError(kClientNotSetUp);
    return VelqOutcome::kFailed;
  }
  KelUpdateStatus(kRemoteAvailable, info.GetDBName(), info.GetDBHost());
  return VelqOutcome::kNeedsDataSource;
}

int PrepareVelqDatabase(MSInfo& info, const KelString& installation) {
  const SetupStep step(installation);
  if (!step.ok()) return 0;
  const VelqAnswer known = ProbeDatabase(info);
  // A probe that gave no answer (message 32) says nothing about the database.
  if (known == VelqAnswer::kUnknown) return 0;
  const VelqOutcome outcome = CreateOrCatalog(info, installation, known == VelqAnswer::kYes);
  int result = outcome == VelqOutcome::kFailed ? 0 : 1;
  if (outcome == VelqOutcome::kNeedsDataSource && !RegisterOdbcDataSource(info)) {
    KelShowError(kOdbcFailed, info.GetDBName());
    result = 0;
  }
  // The hosting edition's data goes into a local database, whatever the
  // result so far.
  if (HasOption(info, kHostingOption) && !HasOption(info, kRemoteOption)) {
    const VelqAnswer present = ProbeHostingData(info);
    if (present == VelqAnswer::kUnknown || (present == VelqAnswer::kNo && !AddHostingData(info))) {
      result = 0;
    }
  }
  return result;
}

}  // namespace
}  // namespace orvane

int DBCreateSingle(MSInfo& info) {
  using namespace orvane;
  KelUpdateStatus(kPreparing, info.GetName());
  KelString installation;
  if (!GetTQInstallPath(installation, kCurrentProductVersion)) {
    KelShowError(kInstallationNotFound);
    return 0;
  }
  int result = 1;
  if (IsVelq(info)) {
    result = PrepareVelqDatabase(info, installation);
  } else {
    KelUpdateStatus(kManualDatabase, info.GetDBName());
  }
  // The service may start on its own once its database is ready.
  if (result == 1) SetInstanceServiceAuto(info);
  return result;
}

int DBCreateDatabase(MSList& list) {
  using namespace orvane;
  const int count = list.GetCount();
  if (count == 0) {
    KelShowError(kNoInstance);
    return 0;
  }
  KelAddStage(count);
  for (int i = 0; i < count; ++i) {
    MSInfo info;
    list.SetIndex(i);
    if (!list.GetCurrent(info)) {
      KelShowError(kBadInstance);
      return 0;
    }
    DBCreateSingle(info);
    KelShowProgress(100);
    KelIncCurStage();
    KelUpdateStatus(kClearStatus);
  }
  return 1;
}

int KelCreateDatabase(const char* dataFile) {
  MSList list;
  if (dataFile == nullptr || !list.Load(dataFile)) {
    KelShowError(orvane::kDataFileNotLoaded);
    return 0;
  }
  return DBCreateDatabase(list);
}
