// The instance record's configuration directives: one line per writer, in
// the line forms of DirectiveLine.
#include <string>

#include "orvane/config/DirectiveLine.h"
#include "orvane/core/Keywords.h"
#include "orvane/core/MSInfo.h"
#include "orvane/platform/InstallRegistry.h"

namespace kw = orvane::keyword;
using orvane::WriteLine;
using orvane::WriteNumberLine;
using orvane::WriteTextLine;

namespace {

// The record's preserved value while it is set, else the caller's default.
int Preserved(int value, int d) { return value < 0 ? d : value; }
const char* Preserved(const KelString& value, const char* d) {
  return value.IsEmpty() ? d : static_cast<const char*>(value);
}

int OptionBit(int options, int bit) { return (options & bit) != 0 ? 1 : 0; }

// Puts the default into the record before it is written, so that the record
// and the file agree afterwards.
int& Settled(int& value, int d) {
  if (value < 0) value = d;
  return value;
}

// Spaces that pad text to width, at least one.
std::string PaddingAfter(const char* text, size_t width) {
  const size_t length = std::char_traits<char>::length(text);
  return std::string(length < width ? width - length : 1, ' ');
}

}  // namespace

// --- Server and database ----------------------------------------------------

void MSInfo::WriteSvcPfx(FILE* file, const char* prefix) {
  WriteTextLine(file, kw::kServiceNamePrefix, prefix);
}
void MSInfo::WriteExecPath(FILE* file, const char* path) { WriteTextLine(file, kw::kExec, path); }
void MSInfo::WriteISHost(FILE* file) { WriteTextLine(file, kw::kMsHostname, m_ISHost); }
void MSInfo::WriteDBName(FILE* file) { WriteTextLine(file, kw::kDbName, m_DBName); }
void MSInfo::WriteDBUser(FILE* file) { WriteTextLine(file, kw::kDbInst, m_DBUser); }
void MSInfo::WriteDBOwner(FILE* file) { WriteTextLine(file, kw::kDbOwner, m_DBOwner); }
void MSInfo::WriteDBPswd(FILE* file) { WriteTextLine(file, kw::kDbPass, m_DBPswd); }
void MSInfo::WriteMSProc(FILE* file) { WriteNumberLine(file, kw::kProcesses, m_MSProc); }
void MSInfo::WriteZKProc(FILE* file) { WriteNumberLine(file, kw::kProcesses, 1); }
void MSInfo::WritePBProc(FILE* file, int d) {
  WriteNumberLine(file, kw::kProcesses, Preserved(m_PBProc, d));
}
void MSInfo::WriteMerKey(FILE* file) { WriteTextLine(file, kw::kMerchantKey, m_MerKey); }
void MSInfo::WriteCMSPswd(FILE* file) { WriteTextLine(file, kw::kCmsPass, m_CMSPswd); }
void MSInfo::WriteMacroPath(FILE* file) { WriteTextLine(file, kw::kMacroPath, m_MacroPath); }
void MSInfo::WriteHtmlPath(FILE* file) { WriteTextLine(file, kw::kHtmlPath, m_HtmlPath); }
void MSInfo::WriteCgiPath(FILE* file) { WriteTextLine(file, kw::kMsCgibinPath, m_CgiPath); }

void MSInfo::WriteISType(FILE* file) {
  const char* name = m_ISType == eISNetscape ? "Netscape" : m_ISType == eISQuenta ? "Quenta" : "Go";
  WriteTextLine(file, kw::kTqWebserver, name);
}
void MSInfo::WriteDBType(FILE* file) {
  WriteTextLine(file, kw::kKelDbms, m_DBType == eDBOracle ? "Oracle" : "VELQ");
}

void MSInfo::WriteStaging(FILE* file) {
  WriteNumberLine(file, kw::kTqEnableStaging, OptionBit(m_MSOption, kOptStaging));
}
void MSInfo::WriteTQCache(FILE* file) {
  WriteNumberLine(file, kw::kTqEnableCache, OptionBit(m_MSOption, kOptCache));
}
void MSInfo::WriteZKTrace(FILE* file) {
  WriteNumberLine(file, kw::kCashetEnableTrace, OptionBit(m_MSOption, kOptPayTrace));
}

// --- Payment ----------------------------------------------------------------

void MSInfo::WriteZKTmout(FILE* file) {
  WriteNumberLine(file, kw::kPayStateTimeout, Settled(m_ZKTmout, 3600));
}
void MSInfo::WriteZKCycle(FILE* file) {
  WriteNumberLine(file, kw::kBackgroundCycleTime, Settled(m_ZKCycle, 30));
}
void MSInfo::WriteZKIntvl(FILE* file) {
  WriteNumberLine(file, kw::kBackgroundInterJobTime, Settled(m_ZKIntvl, 30));
}
void MSInfo::WriteBckCycleTime(FILE* file, int d) {
  WriteNumberLine(file, kw::kBackgroundCycleTime, Preserved(m_BckCycleTime, d));
}
void MSInfo::WriteBckInterJobTime(FILE* file, int d) {
  WriteNumberLine(file, kw::kBackgroundInterJobTime, Preserved(m_BckInterJobTime, d));
}

void MSInfo::WriteZKAdminPort(FILE* file) {
  WriteNumberLine(file, kw::kCashetAdminPort, m_MSPort + m_MSProc + 3);
}
void MSInfo::WriteZKPayPort(FILE* file) {
  WriteNumberLine(file, kw::kCashetPayPort, m_MSPort + m_MSProc + 4);
}
void MSInfo::WriteZKErrorPort(FILE* file) {
  WriteNumberLine(file, kw::kCashetErrorPort, m_MSPort + m_MSProc + 5);
}
void MSInfo::WriteZKSetPort(FILE* file) {
  WriteNumberLine(file, kw::kCashetSetPayPort, m_MSPort + m_MSProc + 6);
}
void MSInfo::WriteZKInqPort(FILE* file) {
  WriteNumberLine(file, kw::kCashetSetInquiryPort, m_MSPort + m_MSProc + 7);
}
void MSInfo::WriteCAPort(FILE* file) {
  WriteNumberLine(file, kw::kKelJdbcPort, m_MSPort + m_MSProc + 8);
}
void MSInfo::WriteZKCtrl(FILE* file) {
  WriteNumberLine(file, kw::kPaysysController, orvane::IsPayServerInstalled() ? 1 : 0);
}

void MSInfo::WriteZKHost(FILE* file, const char* d) {
  WriteTextLine(file, kw::kCashetHostname, Preserved(m_ZKHost, d));
}
void MSInfo::WriteZKExitHost(FILE* file, const char* d) {
  WriteTextLine(file, kw::kUserexitHostname, Preserved(m_ExitHost, d));
}
void MSInfo::WriteZKExitSvcPfx(FILE* file, const char* d) {
  WriteTextLine(file, kw::kUserexitServiceNamePrefix, Preserved(m_ExitSvcPrefix, d));
}
void MSInfo::WriteZKExec(FILE* file, const char* d) {
  WriteTextLine(file, kw::kCashetExec, Preserved(m_ZKExec, d));
}
void MSInfo::WriteZKLogPath(FILE* file, const char* d) {
  WriteTextLine(file, kw::kCashetLogPath, Preserved(m_ZKLogPath, d));
}
void MSInfo::WriteZKCertPath(FILE* file, const char* d) {
  WriteTextLine(file, kw::kCashetCertPath, Preserved(m_ZKCertPath, d));
}

// --- Logging, limits, daemon, paths -----------------------------------------

void MSInfo::WriteLogPath(FILE* file, const char* path) {
  WriteTextLine(file, kw::kMsLogPath, path);
}
void MSInfo::WriteLogLevel(FILE* file, int d) {
  WriteNumberLine(file, kw::kMsLogLevel, Preserved(m_LogLevel, d));
}
void MSInfo::WriteTransCnt(FILE* file, int d) {
  WriteNumberLine(file, kw::kMsTransCount, Preserved(m_TransCount, d));
}
void MSInfo::WriteHtmlMax(FILE* file, int d) {
  WriteNumberLine(file, kw::kMsHtmlMax, Preserved(m_HtmlMax, d));
}
void MSInfo::WriteDBRetryLimit(FILE* file, int d) {
  WriteNumberLine(file, kw::kDbRetryLimit, Preserved(m_DBRetryLimit, d));
}
void MSInfo::WriteDBRetryIntvl(FILE* file, int d) {
  WriteNumberLine(file, kw::kDbRetryInterval, Preserved(m_DBRetryIntvl, d));
}
void MSInfo::WriteTQDmnCache(FILE* file, int d) {
  WriteNumberLine(file, kw::kTqDmnCache, Preserved(m_DmnCache, d));
}
void MSInfo::WriteTQDmnSynch(FILE* file, int d) {
  WriteNumberLine(file, kw::kTqDmnSynch, Preserved(m_DmnSynch, d));
}
void MSInfo::WriteTQDmnSleep(FILE* file, int d) {
  WriteNumberLine(file, kw::kTqDmnSlpSec, Preserved(m_DmnSleep, d));
}
void MSInfo::WriteSGPath(FILE* file, const char* d) {
  WriteTextLine(file, kw::kSgPath, Preserved(m_SGPath, d));
}
void MSInfo::WriteTQLang(FILE* file, const char* d) {
  WriteTextLine(file, kw::kTqLang, Preserved(m_Lang, d));
}
void MSInfo::WriteTEditorPath(FILE* file) {
  KelString joined;
  StrListToString(m_TEditorPaths, joined, ";");
  WriteTextLine(file, kw::kTqTeditorPath, joined);
}

// --- Hosting edition --------------------------------------------------------

void MSInfo::WriteUserTrafficLog(FILE* file, int value) {
  WriteNumberLine(file, kw::kUserTrafficLog, value);
}
void MSInfo::WriteCacheFilePath(FILE* file, const char* path) {
  WriteTextLine(file, kw::kCacheFilePath, path);
}
void MSInfo::WriteCacheEnabled(FILE* file, const char* value) {
  WriteTextLine(file, kw::kCacheEnabled, value);
}
void MSInfo::WriteMaxCachedFiles(FILE* file, int value) {
  WriteNumberLine(file, kw::kMaxCachedFiles, value);
}
void MSInfo::WriteTemplatePath(FILE* file, const char* path) {
  WriteTextLine(file, kw::kTemplatePath, path);
}
void MSInfo::WriteOutboundPath(FILE* file, const char* path) {
  WriteTextLine(file, kw::kOutboundPath, path);
}
void MSInfo::WriteMpgPath(FILE* file, const char* path) { WriteTextLine(file, kw::kMpgPath, path); }
void MSInfo::WriteMToolBase(FILE* file, const char* path) {
  WriteTextLine(file, kw::kMtoolBase, path);
}
void MSInfo::WriteMToolAffiliate(FILE* file, const char* value) {
  WriteTextLine(file, kw::kMtoolAffiliate, value);
}
void MSInfo::WriteMerchantSource(FILE* file, const char* path) {
  WriteTextLine(file, kw::kMtoolMsource, path);
}
void MSInfo::WriteMToolErrorLog(FILE* file, const char* path) {
  WriteTextLine(file, kw::kMtoolErrorLog, path);
}
void MSInfo::WriteMToolNumCon(FILE* file, int value) {
  WriteNumberLine(file, kw::kMtoolNumCon, value);
}
void MSInfo::WriteMToolMaxWait(FILE* file, int value) {
  WriteNumberLine(file, kw::kMtoolMaxWait, value);
}
void MSInfo::WriteErrNotification(FILE* file, const char* value) {
  WriteTextLine(file, kw::kErrNotification, value);
}
void MSInfo::WriteOrderNotification(FILE* file, const char* value) {
  WriteTextLine(file, kw::kOrderNotification, value);
}
void MSInfo::WritePDIEncrypt(FILE* file, const char* value) {
  WriteTextLine(file, kw::kPdiEncrypt, value);
}
void MSInfo::WriteAdminErrMsgTemplate(FILE* file, const char* name) {
  WriteTextLine(file, kw::kAdminErrMsgTemplate, name);
}
void MSInfo::WriteJREPath(FILE* file, const char* path) {
  WriteTextLine(file, kw::kTqJrePath, path);
}
void MSInfo::WriteTQClsPath(FILE* file, const char* classPath) {
  WriteTextLine(file, kw::kTqClasspath, classPath);
}

// --- Scheduler, JDBC, message queue, password files -------------------------

void MSInfo::WriteSchedInterJobTime(FILE* file) {
  WriteNumberLine(file, kw::kSchedulerInterJobTime, 600);
}
void MSInfo::WriteCAJAppDrv(FILE* file, const char* driver) {
  WriteTextLine(file, kw::kKelJdbcDriver, driver);
}
void MSInfo::WriteCAJNetDrv(FILE* file, const char* d) {
  WriteTextLine(file, kw::kKelJdbcNetDriver, Preserved(m_JdbcNetDriver, d));
}
void MSInfo::WriteCAJUrl(FILE* file, const char* url) { WriteTextLine(file, kw::kKelJdbcUrl, url); }
void MSInfo::WriteCAJNetUrl(FILE* file, const char* url) {
  WriteTextLine(file, kw::kKelJdbcNetUrl, url);
}
void MSInfo::WriteCAJProtocol(FILE* file, const char* d) {
  WriteTextLine(file, kw::kKelJdbcProtocol, Preserved(m_JdbcProtocol, d));
}
void MSInfo::WriteQVInBound(FILE* file, char* queue) {
  WriteTextLine(file, kw::kTqQvInbound, queue);
}
void MSInfo::WriteQVOutBound(FILE* file, char* queue) {
  WriteTextLine(file, kw::kTqQvOutbound, queue);
}
void MSInfo::WriteQVError(FILE* file, char* queue) { WriteTextLine(file, kw::kTqQvInError, queue); }
void MSInfo::WriteQVManager(FILE* file, char* manager) {
  WriteTextLine(file, kw::kTqQvQManager, manager);
}
void MSInfo::WriteQVBridgeID(FILE* file, char* user) {
  WriteTextLine(file, kw::kTqQvBridgeUserId, user);
}
void MSInfo::WriteDefMSGSize(FILE* file) { WriteNumberLine(file, kw::kDefaultMsgSize, 2000); }
void MSInfo::WriteMaxMSGSize(FILE* file) { WriteNumberLine(file, kw::kMaxMsgSize, 1000000); }
void MSInfo::WritePswdAdm(FILE* file, const char* path) {
  WriteTextLine(file, kw::kMsHtAdmin, path);
}
void MSInfo::WritePswdFile(FILE* file, const char* path) {
  WriteTextLine(file, kw::kMsHtPass, path);
}

// --- Macro processor file ---------------------------------------------------

void MSInfo::WriteNDEnv(FILE* file) { WriteDirective(file, kw::kEnvironment, m_NDEnv, nullptr); }

void MSInfo::WriteNDMacroPath(FILE* file) {
  KelString joined;
  StrListToString(m_NDMacroPaths, joined, ";");
  WriteTextLine(file, kw::kMacroPath, joined);
}

void MSInfo::WriteNDIncPath(FILE* file) {
  KelString joined;
  StrListToString(m_NDIncPaths, joined, ";");
  WriteTextLine(file, kw::kIncludePath, joined);
}

void MSInfo::WriteNDDummy(FILE* file) {
  WriteTextLine(file, kw::kBindFile, "dummy.bnd");
  WriteLine(file, kw::kExecPath);
  WriteLine(file, kw::kVelqInstance);
  WriteLine(file, kw::kVelqPath);
}

// The further lines joined with line ends form one block; written line by
// line, so that an item holding a line end of its own is refused alone.
// Leading empty items vanish in the join, as in StrListToString.
void MSInfo::WriteNDMisc(FILE* file) {
  bool wrote = false;
  KelString item;
  for (int more = m_NDMisc.GetFirst(item); more; more = m_NDMisc.GetNext(item)) {
    if (!wrote && item.IsEmpty()) continue;
    WriteLine(file, static_cast<const char*>(item));
    wrote = true;
  }
  if (!wrote) WriteLine(file, "");
}

// --- Shared helpers ---------------------------------------------------------

void MSInfo::WriteDirective(FILE* file, const char* keyword, ParmList<NameValue>& list,
                            const char* suffix) {
  NameValue entry;
  for (int more = list.GetFirst(entry); more; more = list.GetNext(entry)) {
    std::string line = keyword;
    line += PaddingAfter(keyword, 8);
    line += entry.name;
    line += PaddingAfter(entry.name, 16);
    line += entry.value;
    if (suffix != nullptr) {
      line += ' ';
      line += suffix;
    }
    WriteLine(file, line);
  }
}

void MSInfo::StrListToString(ParmList<KelString>& list, KelString& out, const char* separator) {
  out.Empty();
  KelString item;
  for (int more = list.GetFirst(item); more; more = list.GetNext(item)) {
    if (!out.IsEmpty()) out += separator;
    out += item;
  }
}
