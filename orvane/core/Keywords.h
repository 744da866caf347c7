// The keywords of the instance's configuration files: one constant per
// keyword, used alike by the writers that generate the files and by the
// parser that reads them back, so that each keyword is spelled in one place.
#ifndef ORVANE_CORE_KEYWORDS_H_
#define ORVANE_CORE_KEYWORDS_H_

namespace orvane::keyword {

// --- Server and database of every per-process file -------------------------
constexpr char kServiceNamePrefix[] = "SERVICE_NAME_PREFIX";
constexpr char kExec[] = "EXEC";
constexpr char kMsHostname[] = "MS_HOSTNAME";
constexpr char kDbName[] = "DBNAME";
constexpr char kDbInst[] = "DBINST";
constexpr char kDbOwner[] = "DBOWNER";
constexpr char kDbPass[] = "DBPASS";
constexpr char kProcesses[] = "PROCESSES";
constexpr char kMerchantKey[] = "MERCHANT_KEY";
constexpr char kCmsPass[] = "CMSPASS";
constexpr char kMacroPath[] = "MACRO_PATH";
constexpr char kHtmlPath[] = "HTML_PATH";
constexpr char kMsCgibinPath[] = "MS_CGIBIN_PATH";
constexpr char kTqWebserver[] = "TQ_WEBSERVER";
constexpr char kKelDbms[] = "KEL_DBMS";
constexpr char kTqEnableStaging[] = "TQ_ENABLE_STAGING";
constexpr char kTqEnableCache[] = "TQ_ENABLE_CACHE";
constexpr char kMsLogPath[] = "MS_LOGPATH";
constexpr char kMsLogLevel[] = "MS_LOGLEVEL";
constexpr char kMsTransCount[] = "MS_TRANS_COUNT";
constexpr char kMsHtmlMax[] = "MS_HTML_MAX";
constexpr char kDbRetryLimit[] = "DB_RETRY_LIMIT";
constexpr char kDbRetryInterval[] = "DB_RETRY_INTERVAL";
constexpr char kTqDmnCache[] = "TQ_DMN_CACHE";
constexpr char kTqDmnSynch[] = "TQ_DMN_SYNCH";
constexpr char kTqDmnSlpSec[] = "TQ_DMN_SLP_SEC";
constexpr char kSgPath[] = "SG_PATH";
constexpr char kTqLang[] = "TQ_LANG";
constexpr char kTqTeditorPath[] = "TQ_TEDITOR_PATH";
constexpr char kMsHtAdmin[] = "MS_HTADMIN";
constexpr char kMsHtPass[] = "MS_HTPASS";

// --- Payment ---------------------------------------------------------------
constexpr char kCashetEnableTrace[] = "CASHET_ENABLE_TRACE";
constexpr char kPayStateTimeout[] = "PAY_STATE_TIMEOUT";
constexpr char kBackgroundCycleTime[] = "BACKGROUND_CYCLE_TIME";
constexpr char kBackgroundInterJobTime[] = "BACKGROUND_INTER_JOB_TIME";
constexpr char kCashetAdminPort[] = "CASHET_ADMIN_PORT";
constexpr char kCashetPayPort[] = "CASHET_PAY_PORT";
constexpr char kCashetErrorPort[] = "CASHET_ERROR_PORT";
constexpr char kCashetSetPayPort[] = "CASHET_SET_PAY_PORT";
constexpr char kCashetSetInquiryPort[] = "CASHET_SET_INQUIRY_PORT";
constexpr char kPaysysController[] = "PAYSYS_CONTROLLER";
constexpr char kCashetHostname[] = "CASHET_HOSTNAME";
constexpr char kUserexitHostname[] = "USEREXIT_HOSTNAME";
constexpr char kUserexitServiceNamePrefix[] = "USEREXIT_SERVICE_NAME_PREFIX";
constexpr char kCashetExec[] = "CASHET_EXEC";
constexpr char kCashetLogPath[] = "CASHET_LOG_PATH";
constexpr char kCashetCertPath[] = "CASHET_CERT_PATH";
constexpr char kSecureNvps[] = "SECURE_NVPS";

// --- Hosting edition -------------------------------------------------------
constexpr char kUserTrafficLog[] = "USERTRAFFIC_LOG";
constexpr char kCacheFilePath[] = "CACHE_FILE_PATH";
constexpr char kCacheEnabled[] = "CACHE_ENABLED";
constexpr char kMaxCachedFiles[] = "MAX_CACHED_FILES";
constexpr char kTemplatePath[] = "TEMPLATE_PATH";
constexpr char kOutboundPath[] = "OUTBOUND_PATH";
constexpr char kMpgPath[] = "MPG_PATH";
constexpr char kMtoolBase[] = "MTOOL_BASE";
constexpr char kMtoolAffiliate[] = "MTOOL_AFFILIATE";
constexpr char kMtoolMsource[] = "MTOOL_MSOURCE";
constexpr char kMtoolErrorLog[] = "MTOOL_ERROR_LOG";
constexpr char kMtoolNumCon[] = "MTOOL_NUM_CON";
constexpr char kMtoolMaxWait[] = "MTOOL_MAX_WAIT";
constexpr char kErrNotification[] = "ERR_NOTIFICATION";
constexpr char kOrderNotification[] = "ORDER_NOTIFICATION";
constexpr char kPdiEncrypt[] = "PDI_ENCRYPT";
constexpr char kAdminErrMsgTemplate[] = "ADMIN_ERR_MSG_TEMPLATE";
constexpr char kTqJrePath[] = "TQ_JRE_PATH";
constexpr char kTqClasspath[] = "TQ_CLASSPATH";

// --- Scheduler, JDBC, message queue ----------------------------------------
constexpr char kSchedulerInterJobTime[] = "SCHEDULER_INTER_JOB_TIME";
constexpr char kKelJdbcPort[] = "KEL_JDBC_PORT";
constexpr char kKelJdbcDriver[] = "KEL_JDBC_DRIVER";
constexpr char kKelJdbcNetDriver[] = "KEL_JDBC_NETDRIVER";
constexpr char kKelJdbcUrl[] = "KEL_JDBC_URL";
constexpr char kKelJdbcNetUrl[] = "KEL_JDBC_NETURL";
constexpr char kKelJdbcProtocol[] = "KEL_JDBC_PROTOCOL";
constexpr char kTqQvInbound[] = "TQ_QV_INBOUND";
constexpr char kTqQvOutbound[] = "TQ_QV_OUTBOUND";
constexpr char kTqQvInError[] = "TQ_QV_INERROR";
constexpr char kTqQvQManager[] = "TQ_QV_QMANAGER";
constexpr char kTqQvBridgeUserId[] = "TQ_QV_BRIDGE_USERID";
constexpr char kDefaultMsgSize[] = "DEFAULT_MSG_SIZE";
constexpr char kMaxMsgSize[] = "MAX_MSG_SIZE";

// --- Server controller -----------------------------------------------------
constexpr char kControlDbName[] = "CONTROL_DBNAME";
constexpr char kControlDbInst[] = "CONTROL_DBINST";
constexpr char kControlDbPass[] = "CONTROL_DBPASS";
constexpr char kControlDbRetryLimit[] = "CONTROL_DB_RETRY_LIMIT";
constexpr char kControlDbRetryInterval[] = "CONTROL_DB_RETRY_INTERVAL";
constexpr char kControlErrTolerance[] = "CONTROL_ERR_TOLERANCE";
constexpr char kControlService[] = "CONTROL_SERVICE";
constexpr char kControlPoolConfig[] = "CONTROL_POOL_CONFIG";
constexpr char kCurrencyMerchants[] = "CURRENCY_MERCHANTS";

// --- Personalization add-on ------------------------------------------------
constexpr char kPersEnabled[] = "PERS_ENABLED";
constexpr char kGlHost[] = "GL_HOST";
constexpr char kGlPort[] = "GL_PORT";

// --- Macro processor file --------------------------------------------------
constexpr char kEnvironment[] = "ENVIRONMENT";
constexpr char kIncludePath[] = "INCLUDE_PATH";
constexpr char kBindFile[] = "BIND_FILE";
constexpr char kExecPath[] = "EXEC_PATH";
constexpr char kVelqInstance[] = "VELQINSTANCE";
constexpr char kVelqPath[] = "VELQPATH";
// MACRO_PATH is kMacroPath above.

// --- Web server directives -------------------------------------------------
constexpr char kPass[] = "Pass";
constexpr char kMap[] = "Map";
constexpr char kExecDirective[] = "Exec";
constexpr char kAddType[] = "AddType";

// --- Spellings of the files of earlier product levels (read only) ----------
constexpr char kOlderDbName[] = "MS_DBNAME";
constexpr char kOlderDbInst[] = "MS_DBINST";
constexpr char kOlderDbPass[] = "MS_DBPASS";
constexpr char kOlderProcesses[] = "MS_NUM_CHILD";
constexpr char kOlderServerPort[] = "MS_PORT";
constexpr char kOlderHtmlPath[] = "WWW_HTML_PATH";
constexpr char kOldestCgibinPath[] = "WWW_CGIBIN_PATH";

}  // namespace orvane::keyword

#endif  // ORVANE_CORE_KEYWORDS_H_
