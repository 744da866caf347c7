// The seven per-process files, each a table of directives written in order
// over the record's directive writers.
#include "orvane/config/InstanceFiles.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "orvane/config/ConfigFile.h"
#include "orvane/config/DirectiveLine.h"
#include "orvane/config/KeywordLines.h"
#include "orvane/core/Keywords.h"
#include "orvane/os/Files.h"
#include "orvane/platform/FileUtils.h"
#include "orvane/platform/InstallRegistry.h"
#include "orvane/platform/TextFileRewrite.h"

namespace orvane {
namespace {

namespace kw = keyword;

constexpr int kDirectoryMode = 0755;
// The queue bridge's process; its configuration file is its name + ".ini".
constexpr char kBridgeServer[] = "tqei_ece";

// What the directives of one file draw on.
struct FileContext {
  MSInfo& info;
  KelString install;        // installation directory
  KelString root;           // the record's root directory
  KelString servicePrefix;  // "tq" + name + the file's suffix
  KelString exec;           // install\bin\<program>
  const QueueSettings* queues;
};

using Directive = void (*)(FILE* out, FileContext& c);

// One line (or one step) of a file; written only while the record's option
// word has every bit of onlyWith.
struct Row {
  Row(Directive always) : onlyWith(0), write(always) {}  // NOLINT: tables list directives
  Row(int options, Directive conditional) : onlyWith(options), write(conditional) {}
  int onlyWith;
  Directive write;
};

struct FileLayout {
  const char* stem;
  const char* prefixSuffix;  // appended to "tq" + name
  const char* program;       // in install\bin
  std::vector<Row> rows;
};

KelString Join(const KelString& a, const char* b) { return a ^ b; }

std::string FilePath(const MSInfo& info, const char* stem) {
  return std::string(KelString(info.GetHtmlPath()) ^ (std::string(stem) + ".ini").c_str());
}

// --- Directives shared by several files --------------------------------------

void Prefix(FILE* f, FileContext& c) { c.info.WriteSvcPfx(f, c.servicePrefix); }
void Exec(FILE* f, FileContext& c) { c.info.WriteExecPath(f, c.exec); }
void Host(FILE* f, FileContext& c) { c.info.WriteISHost(f); }
void DbName(FILE* f, FileContext& c) { c.info.WriteDBName(f); }
void DbInst(FILE* f, FileContext& c) { c.info.WriteDBUser(f); }
void DbOwner(FILE* f, FileContext& c) { c.info.WriteDBOwner(f); }
void DbPass(FILE* f, FileContext& c) { c.info.WriteDBPswd(f); }
void ServerProcesses(FILE* f, FileContext& c) { c.info.WriteMSProc(f); }
void OneProcess(FILE* f, FileContext& c) { c.info.WriteZKProc(f); }
void BackEndProcesses(FILE* f, FileContext& c) { c.info.WritePBProc(f, 1); }
void MerchantKey(FILE* f, FileContext& c) { c.info.WriteMerKey(f); }
void RetryLimit(FILE* f, FileContext& c) { c.info.WriteDBRetryLimit(f, 15); }
void RetryInterval(FILE* f, FileContext& c) { c.info.WriteDBRetryIntvl(f, 20); }
void LogPath(FILE* f, FileContext& c) { c.info.WriteLogPath(f, Join(c.root, "logs")); }
void LogLevel(FILE* f, FileContext& c) { c.info.WriteLogLevel(f, 2); }
void TransCount(FILE* f, FileContext& c) { c.info.WriteTransCnt(f, 250); }
void HtmlMax(FILE* f, FileContext& c) { c.info.WriteHtmlMax(f, 1000000); }
void MacroPath(FILE* f, FileContext& c) { c.info.WriteMacroPath(f); }
void HtmlPath(FILE* f, FileContext& c) { c.info.WriteHtmlPath(f); }
void CgiPath(FILE* f, FileContext& c) { c.info.WriteCgiPath(f); }
void WizardPath(FILE* f, FileContext& c) { c.info.WriteSGPath(f, Join(c.install, "Wayfinder")); }
void Lang(FILE* f, FileContext& c) { c.info.WriteTQLang(f, "en_US"); }
void WebServer(FILE* f, FileContext& c) { c.info.WriteISType(f); }
void Dbms(FILE* f, FileContext& c) { c.info.WriteDBType(f); }
void PayHost(FILE* f, FileContext& c) { c.info.WriteZKHost(f, c.info.GetISHost()); }
void PayTimeout(FILE* f, FileContext& c) { c.info.WriteZKTmout(f); }
void PayAdminPort(FILE* f, FileContext& c) { c.info.WriteZKAdminPort(f); }
void PayPort(FILE* f, FileContext& c) { c.info.WriteZKPayPort(f); }
void PaysysControllerOff(FILE* f, FileContext&) { WriteNumberLine(f, kw::kPaysysController, 0); }
void PdiEncryptOff(FILE* f, FileContext& c) { c.info.WritePDIEncrypt(f, "OFF"); }
void BackgroundCycle(FILE* f, FileContext& c) { c.info.WriteBckCycleTime(f, 30); }
void BackgroundInterJob(FILE* f, FileContext& c) { c.info.WriteBckInterJobTime(f, 30); }
void TemplatePath(FILE* f, FileContext& c) {
  c.info.WriteTemplatePath(f, Join(c.install, "templates") ^ "en_US");
}
void MerchantSource(FILE* f, FileContext& c) {
  c.info.WriteMerchantSource(f, Join(c.install, "JQ") ^ "source");
}
void JrePath(FILE* f, FileContext& c) {
  KelString jre;
  KelGetJREPath(jre);
  c.info.WriteJREPath(f, jre ^ "bin");
}
void ClassPath(FILE* f, FileContext& c) { c.info.WriteTQClsPath(f, ClassPathValue()); }
void Jdbc(FILE* f, FileContext& c) {
  const JdbcSettings jdbc = JdbcRules(c.info);
  c.info.WriteCAJAppDrv(f, jdbc.driver);
  c.info.WriteCAJNetDrv(f, jdbc.netDriver);
  c.info.WriteCAJUrl(f, jdbc.url);
  c.info.WriteCAJNetUrl(f, jdbc.netUrl);
}
// Nothing is written: the payment ports that follow count the processes anew.
void RefreshTotalProcesses(FILE*, FileContext& c) {
  c.info.SetTotalProcesses(c.info.GetTotalProcesses());
}

// The template-editor list gains the editor's directory and, unless the
// packaging flag is set, its catalog-editor directory, each at the head
// unless present; the two files add them in opposite orders.
void AddCatalogEditorPath(FileContext& c) {
  if (c.info.GetMSOption() & MSInfo::kOptPackaging) return;
  KelString catalog = Join(c.root, "teditor") ^ "ca_html";
  c.info.InsertTEditorPath(catalog);
}
void AddEditorPath(FileContext& c) {
  KelString editor = Join(c.root, "teditor");
  c.info.InsertTEditorPath(editor);
}
void ServerEditorPaths(FILE* f, FileContext& c) {
  AddCatalogEditorPath(c);
  AddEditorPath(c);
  c.info.WriteTEditorPath(f);
}
void SchedulerEditorPaths(FILE* f, FileContext& c) {
  AddEditorPath(c);
  AddCatalogEditorPath(c);
  c.info.WriteTEditorPath(f);
}

// --- Server controller -------------------------------------------------------

void ControlDbName(FILE* f, FileContext& c) {
  WriteTextLine(f, kw::kControlDbName, c.info.GetDBName());
}
void ControlDbInst(FILE* f, FileContext& c) {
  WriteTextLine(f, kw::kControlDbInst, c.info.GetDBUser());
}
void ControlDbPass(FILE* f, FileContext& c) {
  WriteTextLine(f, kw::kControlDbPass, c.info.GetDBPswdCipher());
}
void ControlRetryLimit(FILE* f, FileContext&) { WriteNumberLine(f, kw::kControlDbRetryLimit, 15); }
void ControlRetryInterval(FILE* f, FileContext&) {
  WriteNumberLine(f, kw::kControlDbRetryInterval, 20);
}
void ControlErrTolerance(FILE* f, FileContext&) { WriteNumberLine(f, kw::kControlErrTolerance, 1); }
void ControlService(FILE* f, FileContext& c) {
  WriteTextLine(f, kw::kControlService, "tq" + KelString(c.info.GetName()));
}
// The servers the controller runs: always the commerce server, the payment
// servers when that product is installed, the card-payment server and the
// scheduler with the hosting edition, and the queue bridge of an instance
// that has one (its configuration file is there), which writing the file
// again must not drop.
void ControlPool(FILE* f, FileContext& c) {
  const KelString instance = c.info.GetHtmlPath();
  KelString pool = instance ^ "tessaly";
  if (IsPayServerInstalled())
    pool += "," + (instance ^ "pay_back") + "," + (instance ^ "pay_cashet");
  if (IsJQInstalled()) pool += "," + (instance ^ "pay_cyber") + "," + (instance ^ "scheduler");
  if (os::PathExists(FilePath(c.info, kBridgeServer))) pool += "," + (instance ^ kBridgeServer);
  WriteTextLine(f, kw::kControlPoolConfig, pool);
}
void CurrencyMerchants(FILE* f, FileContext&) {
  if (IsJQInstalled()) WriteNumberLine(f, kw::kCurrencyMerchants, -1);
}

// --- Commerce server ---------------------------------------------------------

void CacheFilePath(FILE* f, FileContext& c) { c.info.WriteCacheFilePath(f, c.root); }
void CacheEnabled(FILE* f, FileContext& c) { c.info.WriteCacheEnabled(f, "ON"); }
void MaxCachedFiles(FILE* f, FileContext& c) { c.info.WriteMaxCachedFiles(f, 100); }
void OutboundPath(FILE* f, FileContext& c) {
  c.info.WriteOutboundPath(f, Join(c.install, "outbound") ^ "en_US");
}
void MpgPath(FILE* f, FileContext& c) {
  c.info.WriteMpgPath(f, Join(c.install, "JQ") ^ "mpg_templates");
}
void MToolBase(FILE* f, FileContext& c) { c.info.WriteMToolBase(f, Join(c.install, "JQ")); }
void MToolAffiliate(FILE* f, FileContext& c) { c.info.WriteMToolAffiliate(f, "JQ"); }
void MToolErrorLog(FILE* f, FileContext& c) {
  c.info.WriteMToolErrorLog(f, Join(c.install, "JQ") ^ "jqlog.log");
}
void MToolNumCon(FILE* f, FileContext& c) { c.info.WriteMToolNumCon(f, 5); }
void MToolMaxWait(FILE* f, FileContext& c) { c.info.WriteMToolMaxWait(f, 10); }
void ErrNotificationOn(FILE* f, FileContext& c) { c.info.WriteErrNotification(f, "ON"); }
void OrderNotificationOn(FILE* f, FileContext& c) { c.info.WriteOrderNotification(f, "ON"); }
void OrderNotificationOff(FILE* f, FileContext& c) { c.info.WriteOrderNotification(f, "OFF"); }
void AdminErrMsgTemplate(FILE* f, FileContext& c) {
  c.info.WriteAdminErrMsgTemplate(f, "errmsgadmin.tpl");
}
void UserTrafficLog(FILE* f, FileContext& c) {
  c.info.WriteUserTrafficLog(f, (c.info.GetMSOption() & MSInfo::kOptHosting) ? 1 : 0);
}
void DmnCache(FILE* f, FileContext& c) { c.info.WriteTQDmnCache(f, 1); }
void DmnSynch(FILE* f, FileContext& c) { c.info.WriteTQDmnSynch(f, 1); }
void DmnSleep(FILE* f, FileContext& c) { c.info.WriteTQDmnSleep(f, 15); }
void Staging(FILE* f, FileContext& c) { c.info.WriteStaging(f); }
void PageCache(FILE* f, FileContext& c) { c.info.WriteTQCache(f); }
void PaysysController(FILE* f, FileContext& c) { c.info.WriteZKCtrl(f); }
void SecureNvps(FILE* f, FileContext&) {
  WriteTextLine(f, kw::kSecureNvps,
                "password, shlpswd, shlpswdver, ccnum, ccxyear, ccxmonth, name, shlogid, sanick");
}

// --- Scheduler and payment ---------------------------------------------------

void SchedulerInterJob(FILE* f, FileContext& c) { c.info.WriteSchedInterJobTime(f); }
void PayCycle(FILE* f, FileContext& c) { c.info.WriteZKCycle(f); }
void PayInterval(FILE* f, FileContext& c) { c.info.WriteZKIntvl(f); }
void ExitHost(FILE* f, FileContext& c) { c.info.WriteZKExitHost(f, c.info.GetISHost()); }
void CmsPass(FILE* f, FileContext& c) { c.info.WriteCMSPswd(f); }
void ExitPrefix(FILE* f, FileContext& c) {
  c.info.WriteZKExitSvcPfx(f, "tq" + KelString(c.info.GetName()));
}
// The short form of the path where the platform has one; the long path
// otherwise.
void CashetExec(FILE* f, FileContext& c) {
  KelString program = Join(c.root, "bin") ^ "cashet.cmd";
  ToShortPath(program);
  c.info.WriteZKExec(f, program);
}
void PayErrorPort(FILE* f, FileContext& c) { c.info.WriteZKErrorPort(f); }
void PaySetPort(FILE* f, FileContext& c) { c.info.WriteZKSetPort(f); }
void PayInquiryPort(FILE* f, FileContext& c) { c.info.WriteZKInqPort(f); }
void PayLogPath(FILE* f, FileContext& c) { c.info.WriteZKLogPath(f, Join(c.root, "logs")); }
void PayCertPath(FILE* f, FileContext& c) { c.info.WriteZKCertPath(f, Join(c.root, "data")); }
void PayTrace(FILE* f, FileContext& c) { c.info.WriteZKTrace(f); }

// --- Message-queue integration server ----------------------------------------

void QueueInbound(FILE* f, FileContext& c) { c.info.WriteQVInBound(f, c.queues->inbound); }
void QueueOutbound(FILE* f, FileContext& c) { c.info.WriteQVOutBound(f, c.queues->outbound); }
void QueueError(FILE* f, FileContext& c) { c.info.WriteQVError(f, c.queues->error); }
void QueueManager(FILE* f, FileContext& c) { c.info.WriteQVManager(f, c.queues->manager); }
void QueueBridgeUser(FILE* f, FileContext& c) { c.info.WriteQVBridgeID(f, c.queues->bridgeUser); }
void DefaultMsgSize(FILE* f, FileContext& c) { c.info.WriteDefMSGSize(f); }
void MaxMsgSize(FILE* f, FileContext& c) { c.info.WriteMaxMSGSize(f); }

constexpr int kHosting = MSInfo::kOptHosting;
constexpr int kCache = MSInfo::kOptCache;

// The files, line by line in the order the processes expect them.
// clang-format off
const FileLayout kControllerFile = {"srvrctrl", nullptr, nullptr, {
    Host, ControlDbName, ControlDbInst, ControlDbPass, ControlRetryLimit, ControlRetryInterval,
    MerchantKey, ControlErrTolerance, ControlService, ControlPool, CurrencyMerchants,
    LogPath, LogLevel}};

const FileLayout kServerFile = {"tessaly", "", "server.exe", {
    Prefix, Exec, Host, DbName, DbInst, DbOwner, DbPass, ServerProcesses, MerchantKey,
    PdiEncryptOff,
    {kHosting, CacheFilePath}, {kHosting, CacheEnabled}, {kHosting, MaxCachedFiles},
    {kHosting, TemplatePath}, {kHosting, OutboundPath}, {kHosting, MpgPath},
    {kHosting, MToolBase}, {kHosting, MToolAffiliate}, {kHosting, MerchantSource},
    {kHosting, MToolErrorLog}, {kHosting, MToolNumCon}, {kHosting, MToolMaxWait},
    {kHosting, ErrNotificationOn}, {kHosting, OrderNotificationOn},
    {kHosting, AdminErrMsgTemplate}, {kHosting, JrePath}, {kHosting, ClassPath},
    UserTrafficLog, TransCount, HtmlMax, LogPath, LogLevel, RetryLimit, RetryInterval,
    {kCache, DmnCache}, {kCache, DmnSynch}, {kCache, DmnSleep},
    MacroPath, HtmlPath, CgiPath, WizardPath, ServerEditorPaths, Lang,
    WebServer, Staging, PageCache, Dbms,
    PayHost, PayTimeout, PaysysController, RefreshTotalProcesses, PayAdminPort, PayPort,
    SecureNvps, Jdbc}};

const FileLayout kSchedulerFile = {"scheduler", "_sched", "scheduler.exe", {
    Prefix, Exec, Host, DbName, DbInst, DbOwner, DbPass, OneProcess, MerchantKey,
    SchedulerInterJob, TransCount, HtmlMax, LogPath, LogLevel, RetryLimit, RetryInterval,
    MerchantSource, JrePath, ClassPath,
    MacroPath, HtmlPath, CgiPath, WizardPath, SchedulerEditorPaths, Lang, WebServer, Dbms,
    Jdbc, TemplatePath}};

const FileLayout kPayBackFile = {"pay_back", "_pb", "back_server.exe", {
    Prefix, Exec, DbName, DbInst, DbPass, BackEndProcesses, MerchantKey, Host,
    RetryLimit, RetryInterval,
    PayHost, PayCycle, PayTimeout, RefreshTotalProcesses, PayAdminPort, PayPort, PayInterval,
    LogPath, LogLevel, PaysysControllerOff}};

const FileLayout kPayCashetFile = {"pay_cashet", "_pe", "server.exe", {
    Prefix, Exec, DbName, DbInst, DbPass, OneProcess, MerchantKey, Host,
    RetryLimit, RetryInterval,
    ExitHost, CmsPass, ExitPrefix, PayHost, CashetExec, RefreshTotalProcesses,
    PayAdminPort, PayPort, PayErrorPort, PaySetPort, PayInquiryPort,
    PayLogPath, PayCertPath, PayTrace, LogPath, LogLevel, PaysysControllerOff}};

const FileLayout kPayCyberFile = {"pay_cyber", "_cy", "back_server.exe", {
    Prefix, Exec, DbName, DbInst, DbPass, OneProcess, MerchantKey, Host,
    RetryLimit, RetryInterval,
    PayHost, OrderNotificationOff, PdiEncryptOff, TemplatePath,
    BackgroundCycle, BackgroundInterJob, LogPath, LogLevel}};

const FileLayout kEceFile = {kBridgeServer, "_ece", "back_server.exe", {
    Prefix, Exec, Host, DbName, DbInst, DbOwner, DbPass, RetryLimit, RetryInterval,
    OneProcess, MerchantKey, Lang, BackgroundCycle, BackgroundInterJob, LogPath, LogLevel,
    QueueInbound, QueueOutbound, QueueError, QueueManager, QueueBridgeUser,
    DefaultMsgSize, MaxMsgSize, HtmlPath}};
// clang-format on

// --- Writing -----------------------------------------------------------------

FileContext ContextFor(MSInfo& info, const FileLayout& layout, const char* installDir,
                       const QueueSettings* queues) {
  const KelString install = installDir != nullptr ? installDir : "";
  FileContext context{info, install, info.GetRootPath(), "", "", queues};
  if (layout.prefixSuffix != nullptr) {
    context.servicePrefix = "tq" + KelString(info.GetName()) + layout.prefixSuffix;
  }
  if (layout.program != nullptr) context.exec = Join(install, "bin") ^ layout.program;
  return context;
}

// The mode of a layout's file: the owner's only when a row writes a cipher
// (anyone with the library deciphers it).
int ModeOf(const FileLayout& layout) {
  for (const Row& row : layout.rows) {
    for (Directive secret : {DbPass, ControlDbPass, MerchantKey, CmsPass}) {
      if (row.write == secret) return kSecretFileMode;
    }
  }
  return kInstanceFileMode;
}

void WriteRows(FILE* out, FileContext& context, const FileLayout& layout) {
  for (const Row& row : layout.rows) {
    if ((context.info.GetMSOption() & row.onlyWith) == row.onlyWith) row.write(out, context);
  }
}

int WriteProcessFile(MSInfo& info, const FileLayout& layout, const char* installDir,
                     const QueueSettings* queues = nullptr) {
  FileContext context = ContextFor(info, layout, installDir, queues);
  return WriteInstanceFile(FilePath(info, layout.stem), info.GetDBOwner(),
                           PreviousContent::kIgnored,
                           [&](FILE* out, FILE*) {
                             WriteRows(out, context, layout);
                             return true;
                           },
                           ModeOf(layout));
}

// Carries every line of the previous file whose first word (split at blanks
// and tabs) no generated line began with; a line holding no word at all is
// carried as well. Lines are taken whole and written exactly as read.
void CarryOverHandAddedLines(FILE* previous, FILE* out, const LineWatch& generated) {
  CopyLines(previous, out, [&generated](const char* line, FILE*) {
    const std::string word = FirstWord(line, " \t");
    return word.empty() || !generated.WroteFirstWord(word);
  });
}

// Whether a line is srvrctrl.ini's CONTROL_POOL_CONFIG line without entry
// among its words.
bool LacksPoolEntry(const std::string& line, const std::string& entry) {
  const std::vector<std::string> words = Words(line, " ,");
  return !words.empty() && words.front() == kw::kControlPoolConfig &&
         std::find(words.begin() + 1, words.end(), entry) == words.end();
}

}  // namespace

int WriteControllerConfig(MSInfo& info) {
  if (!MakeDirectoryPath(info.GetHtmlPath(), kDirectoryMode, info.GetDBOwner())) return 0;
  return WriteProcessFile(info, kControllerFile, nullptr);
}

int WriteServerConfig(MSInfo& info, const char* installDir) {
  FileContext context = ContextFor(info, kServerFile, installDir, nullptr);
  return WriteInstanceFile(FilePath(info, kServerFile.stem), info.GetDBOwner(),
                           PreviousContent::kRead, [&](FILE* out, FILE* previous) {
                             const LineWatch generated;
                             WriteRows(out, context, kServerFile);
                             if (previous != nullptr) {
                               CarryOverHandAddedLines(previous, out, generated);
                             }
                             return true;
                           },
                           ModeOf(kServerFile));
}

int WriteSchedulerConfig(MSInfo& info, const char* installDir) {
  return WriteProcessFile(info, kSchedulerFile, installDir);
}

int WritePayBackConfig(MSInfo& info, const char* installDir) {
  return WriteProcessFile(info, kPayBackFile, installDir);
}

int WritePayCashetConfig(MSInfo& info, const char* installDir) {
  return WriteProcessFile(info, kPayCashetFile, installDir);
}

int WritePayCyberConfig(MSInfo& info, const char* installDir) {
  if (!WriteProcessFile(info, kPayCyberFile, installDir)) return 0;
  const KelString install = installDir != nullptr ? installDir : "";
  const KelString source = Join(install, "adt") ^ "tqcyber" ^ "merchant_conf";
  const KelString target = KelString(info.GetHtmlPath()) ^ "merchant_conf";
  if (CopyWithBackup(std::string(source), std::string(target), std::string(target + ".old"))) {
    SetFileOwner(target, info.GetDBOwner());
    SetFileMode(target, kInstanceFileMode);
  }
  return 1;
}

int WriteEceConfig(MSInfo& info, const char* installDir, const QueueSettings& queues) {
  return WriteProcessFile(info, kEceFile, installDir, &queues);
}

int AddControllerPoolServer(MSInfo& info, const char* server) {
  const std::string path = FilePath(info, kControllerFile.stem);
  const std::string entry(KelString(info.GetHtmlPath()) ^ (server != nullptr ? server : ""));
  if (HasLineEnd(entry.c_str())) return 0;
  if (!os::PathExists(path)) return 0;
  const bool replaced =
      ReplaceConfigFile(path, PreviousContent::kRead, [&entry](FILE* out, FILE* previous) {
        if (previous == nullptr) return false;
        CopyLines(previous, out, [&entry](const char* line, FILE* to) {
          const std::string text = line;
          if (!LacksPoolEntry(text, entry)) return true;
          WriteLine(to, text.substr(0, text.find_last_not_of("\r\n") + 1) + "," + entry);
          return false;
        });
        return true;
      });
  return replaced ? 1 : 0;
}

KelString ClassPathValue() {
  KelString jre, velq, hosting;
  KelGetJREPath(jre);
  KelGetDBVXRPath(velq);
  KelGetCSPInstPath(hosting);
  return (jre ^ "lib" ^ "classes.zip") + ";" + (velq ^ "java" ^ "velqjava.zip") + ";" +
         (hosting ^ "JQ" ^ "JQ.jar") + ";" + (hosting ^ "JQ" ^ "Tq_jq.jar");
}

JdbcSettings JdbcRules(const MSInfo& info) {
  const KelString host = info.GetISHost();
  const KelString database = info.GetDBName();
  if (info.GetDBType() == eDBOracle) {
    const KelString driver = "oracle.jdbc.driver.OracleDriver";
    const KelString url = "jdbc:oracle:thin:@" + host + ":1521:" + database;
    return {driver, driver, url, url};
  }
  const KelString appDriver = "COM.vxr.velq.jdbc.app.VELQDriver";
  const KelString netDriver = "COM.vxr.velq.jdbc.net.VELQDriver";
  const KelString appUrl = "jdbc:velq:" + database;
  const KelString netUrl = "jdbc:velq://" + host + ":16560/" + database;
  // A Netscape server without the hosting edition reaches Velq only over the
  // network driver.
  const bool networkOnly =
      info.GetISType() == eISNetscape && !(info.GetMSOption() & MSInfo::kOptHosting);
  if (networkOnly) return {netDriver, netDriver, netUrl, netUrl};
  return {appDriver, netDriver, appUrl, netUrl};
}

}  // namespace orvane
