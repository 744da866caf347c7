// MSInfo: the configuration record of one server instance.
//
// A record holds the instance's name, directories, web server, database,
// payment-server settings, ports and process counts, its three secrets in
// enciphered printable form, and the directive lists that go into the web
// server and macro-processor configuration.
//
// Fields come in two groups, in this member order:
//  - core fields, validated by the Set... operations and kept in the
//    instance data file "tqconfig.dat" (25 lines per record);
//  - preserved values, read back from an existing instance's configuration
//    files; empty text or -1 means "not set", and a set value takes
//    precedence over the defaults of the configuration writers.
//
// The fields are public members named after the configuration values they
// hold (m_DBName holds DBName). The keyword parser's tables and the
// configuration reader store into them directly, because they keep values as
// read (secrets stay in their enciphered form). Every other caller goes
// through the Set... operations, which validate with the matching Check...
// rule and leave the field unchanged when they refuse a value.
//
// Copying a record copies every text and every list element.
#ifndef ORVANE_CORE_MSINFO_H_
#define ORVANE_CORE_MSINFO_H_

#include <cstdio>

#include "orvane/core/KelString.h"
#include "orvane/core/ParmList.h"
#include "orvane/export.h"

// Web server type, stored as a plain integer.
enum eISType : int {
  eISGoWebserver = 0,  // Quenta Go Webserver (written "Go")
  eISNetscape = 1,     // Netscape Enterprise Server
  eISQuenta = 2,       // Quenta web server
};

// Database type, stored as a plain integer.
enum eDBType : int {
  eDBVelq = 0,
  eDBOracle = 1,
};

class ORVANE_API MSInfo {
 public:
  // Bits of the option word MSOption.
  static constexpr int kOptStaging = 0x01;
  static constexpr int kOptPackaging = 0x02;
  static constexpr int kOptRemoteDB = 0x04;      // the database is on DBHost
  static constexpr int kOptCache = 0x08;
  static constexpr int kOptPayTrace = 0x10;
  static constexpr int kOptOldLevel = 0x20;      // read back from a level below 3
  static constexpr int kOptPayServer = 0x40;     // payment server installed
  static constexpr int kOptHosting = 0x80;       // hosting edition installed

  // Stands in the merchant-key field for "no merchant key"; never deciphered.
  static constexpr const char* kNoKeyMarker = "Rb7TmW2mKx9LpZ4vNc8HsYd3FgJ6eUa1";

  // Format version of the instance data file written by Store.
  static constexpr int kDataFileVersion = 769;

  // The port that is never part of an instance's port block.
  static constexpr int kReservedPort = 16560;

  MSInfo();
  MSInfo(const MSInfo& other);
  MSInfo& operator=(const MSInfo& other);
  ~MSInfo();

  // Copies the 25 core fields (those of the data file) from source; the
  // preserved values of this record stay as they are.
  void CopyCoreFields(const MSInfo& source);

  // --- Text fields: getters return the stored text. -----------------------
  const char* GetName() const;
  const char* GetRootPath() const;
  const char* GetMacroPath() const;
  const char* GetCgiPath() const;
  const char* GetHtmlPath() const;
  const char* GetIPAddr() const;
  const char* GetISHost() const;
  const char* GetDBName() const;
  const char* GetDBUser() const;
  const char* GetDBOwner() const;
  const char* GetDBHost() const;
  const char* GetDBSvc() const;
  const char* GetZKHost() const;

  // Rule, then store as given.
  int SetName(const char* name);
  int SetISHost(const char* host);
  int SetDBHost(const char* host);
  int SetZKHost(const char* host);
  int SetDBName(const char* name);
  int SetDBUser(const char* user);
  int SetDBOwner(const char* owner);
  int SetIPAddr(const char* address);
  // Rule, then store as given: a trailing backslash is kept.
  int SetRootPath(const char* path);
  // Rule, then store without one trailing backslash.
  int SetMacroPath(const char* path);
  int SetCgiPath(const char* path);
  int SetHtmlPath(const char* path);
  // Rule, then store as given; empty text clears the service.
  int SetDBSvc(const char* service);

  // --- Secrets ------------------------------------------------------------
  // The stored enciphered forms.
  const char* GetDBPswdCipher() const;
  const char* GetCMSPswdCipher() const;
  const char* GetMerKeyCipher() const;
  // Deciphered passwords (at most 16 characters); empty for an empty field.
  // Return 1.
  int GetDBPswd(KelString& out) const;
  int GetCMSPswd(KelString& out) const;
  // The deciphered merchant key; empty for the no-key marker or when the
  // stored text cannot be deciphered. Returns 1.
  int GetMerKey(KelString& out) const;
  // A password its rule accepts is stored enciphered (at most 32 printable
  // characters); an empty password gives an empty field.
  int SetDBPswd(const char* password);
  int SetCMSPswd(const char* password);
  // An empty key stores the no-key marker; a 16-digit hexadecimal key is
  // stored in its 32-character enciphered form.
  int SetMerKey(const char* key);

  // --- Numbers ------------------------------------------------------------
  eISType GetISType() const;
  eDBType GetDBType() const;
  int GetMSProc() const;
  int GetMSPort() const;
  int GetDBPort() const;
  int GetMSOption() const;
  int GetZKCycle() const;
  int GetZKIntvl() const;
  int GetZKTmout() const;

  int SetISType(eISType type);
  int SetDBType(eDBType type);
  int SetMSProc(int count);
  int SetMSPort(int port);
  // No rule; returns 1.
  int SetDBPort(int port);
  // option = (option AND NOT mask) OR (value AND mask); returns 1.
  int SetMSOption(int mask, int value);
  int SetZKCycle(int seconds);
  int SetZKIntvl(int seconds);
  int SetZKTmout(int seconds);

  // --- Validation rules: 1 valid, 0 not; no side effects. -----------------
  // Texts also keep to the characters their place in command files can hold
  // (orvane/core/CommandValues.h).
  // 1 to 8 characters; no blank, control character or \ / : * ? " < > | & ^
  // % ( ), and not dots alone.
  static int CheckName(const char* name);
  // 1 to 260 characters; no ", % or control character.
  static int CheckRootPath(const char* path);
  static int CheckMacroPath(const char* path);
  static int CheckCgiPath(const char* path);
  static int CheckHtmlPath(const char* path);
  // 1 to 64 characters: letters, digits, - and .
  static int CheckISHost(const char* host);
  static int CheckDBHost(const char* host);
  static int CheckZKHost(const char* host);
  // 1 to 8 characters: letters, digits, _, $, # and @.
  static int CheckDBName(const char* name);
  static int CheckDBUser(const char* user);
  // Letters, digits, _, $, # and @; empty text passes.
  static int CheckDBSvc(const char* service);
  // An existing local account with administrator privilege, named with
  // letters, digits, _, $, # and @.
  static int CheckDBOwner(const char* owner);
  // 0 to 16 characters; the database password holds no ", % or control
  // character either.
  static int CheckDBPswd(const char* password);
  static int CheckCMSPswd(const char* password);
  static int CheckMerKey(const char* key);        // exactly 0 or 16 characters
  // Four dot-separated decimal parts of at most 255 each; digits and dots
  // only, an empty part counts as 0.
  static int CheckIPAddr(const char* address);
  static int CheckISType(eISType type);           // not greater than 2
  static int CheckDBType(eDBType type);           // not greater than 1
  static int CheckMSProc(int count);              // 2 to 99
  static int CheckMSPort(int port);               // 1024 to 65535, not 16560
  static int CheckZKCycle(int seconds);           // 1 to 65535
  static int CheckZKIntvl(int seconds);           // 1 to 65535
  static int CheckZKTmout(int seconds);           // 60 to 65535

  // --- Directive lists ----------------------------------------------------
  void InsertTEditorPath(KelString& path);  // unique, at the head
  void InsertNDMacroPath(const char* path);  // unique, at the tail
  void InsertNDMacroPath(KelString path);
  void InsertNDMacroPathHead(const char* path);  // unique, at the head
  void InsertNDMacroPathHead(KelString path);
  void InsertNDIncPath(const char* path);  // unique, at the tail
  void InsertNDIncPath(KelString path);
  void InsertNDIncPathHead(const char* path);  // unique, at the head
  void InsertNDIncPathHead(KelString path);
  // Each adds the pair at the tail; a name already present (letter case
  // ignored) gets the new value in place.
  void SetNDEnv(const char* name, const char* value);
  void SetISPass(const char* name, const char* value);
  void SetISMap(const char* name, const char* value);
  void SetISExec(const char* name, const char* value);
  void SetISCommonPass(const char* name, const char* value);
  void SetISCommonMap(const char* name, const char* value);
  void SetISCommonExec(const char* name, const char* value);
  void SetISCommonAddType(const char* name, const char* value);

  // --- Ports and processes ------------------------------------------------
  // 1 when every port first ... first + count - 1 is a valid instance port
  // that the system's services database does not list; 1 at once when
  // count < 1. The socket layer is started and stopped around each look-up.
  int TestPort(int first, int count) const;
  // Entries of this instance in the system's TCP services file, the server
  // controller's excepted; 0 when the file cannot be opened. The stored
  // TotalProcesses value is not consulted.
  int GetTotalProcesses() const;
  // Stores n, or 0 when n < 1; returns 1.
  int SetTotalProcesses(int n);

  // --- Persistence (instance data file) -----------------------------------
  // Writes the record's 25 lines in the current layout; 0 at the first line
  // that cannot be written.
  int Store(FILE* file) const;
  // Reads one record in the layout of the given format version; 0 at the
  // first missing or bad line. Fields an older layout lacks keep their
  // values.
  int Load(FILE* file, int version);
  // The same for a file holding exactly one record and nothing else (no
  // version lines), read in the current layout; 0 when the file cannot be
  // opened.
  int Store(const char* path) const;
  int Load(const char* path);

  // --- Configuration directives --------------------------------------------
  // Each writes one line to an open stream: "KEYWORD value" or "KEYWORD n".
  // "d" is the default written while the record's own (preserved) value is
  // unset: a negative number or an empty text. Secrets are written in their
  // enciphered form. A line whose text would hold a line end is not written
  // (see orvane/config/DirectiveLine.h).
  void WriteSvcPfx(FILE* file, const char* prefix);      // SERVICE_NAME_PREFIX
  void WriteExecPath(FILE* file, const char* path);      // EXEC
  void WriteISHost(FILE* file);                          // MS_HOSTNAME
  void WriteDBName(FILE* file);                          // DBNAME
  void WriteDBUser(FILE* file);                          // DBINST
  void WriteDBOwner(FILE* file);                         // DBOWNER
  void WriteDBPswd(FILE* file);                          // DBPASS
  void WriteMSProc(FILE* file);                          // PROCESSES: MSProc
  void WriteZKProc(FILE* file);                          // PROCESSES: 1
  void WritePBProc(FILE* file, int d);                   // PROCESSES: PBProc
  void WriteMerKey(FILE* file);                          // MERCHANT_KEY
  void WriteCMSPswd(FILE* file);                         // CMSPASS
  void WriteMacroPath(FILE* file);                       // MACRO_PATH
  void WriteHtmlPath(FILE* file);                        // HTML_PATH
  void WriteCgiPath(FILE* file);                         // MS_CGIBIN_PATH
  void WriteISType(FILE* file);    // TQ_WEBSERVER: Netscape, Quenta or Go
  void WriteDBType(FILE* file);    // KEL_DBMS: Oracle or VELQ
  void WriteStaging(FILE* file);   // TQ_ENABLE_STAGING: option bit 0x01
  void WriteTQCache(FILE* file);   // TQ_ENABLE_CACHE: option bit 0x08
  void WriteZKTrace(FILE* file);   // CASHET_ENABLE_TRACE: option bit 0x10
  // These three first replace a negative value in the record by 3600, 30, 30.
  void WriteZKTmout(FILE* file);   // PAY_STATE_TIMEOUT
  void WriteZKCycle(FILE* file);   // BACKGROUND_CYCLE_TIME
  void WriteZKIntvl(FILE* file);   // BACKGROUND_INTER_JOB_TIME
  void WriteBckCycleTime(FILE* file, int d);     // BACKGROUND_CYCLE_TIME
  void WriteBckInterJobTime(FILE* file, int d);  // BACKGROUND_INTER_JOB_TIME
  // Ports after the instance's block: MSPort + MSProc + 3 ... + 8.
  void WriteZKAdminPort(FILE* file);  // CASHET_ADMIN_PORT
  void WriteZKPayPort(FILE* file);    // CASHET_PAY_PORT
  void WriteZKErrorPort(FILE* file);  // CASHET_ERROR_PORT
  void WriteZKSetPort(FILE* file);    // CASHET_SET_PAY_PORT
  void WriteZKInqPort(FILE* file);    // CASHET_SET_INQUIRY_PORT
  void WriteCAPort(FILE* file);       // KEL_JDBC_PORT
  // PAYSYS_CONTROLLER: 1 when the payment server product is installed.
  void WriteZKCtrl(FILE* file);
  void WriteZKHost(FILE* file, const char* d);        // CASHET_HOSTNAME
  void WriteZKExitHost(FILE* file, const char* d);    // USEREXIT_HOSTNAME
  void WriteZKExitSvcPfx(FILE* file, const char* d);  // USEREXIT_SERVICE_NAME_PREFIX
  void WriteZKExec(FILE* file, const char* d);        // CASHET_EXEC
  void WriteZKLogPath(FILE* file, const char* d);     // CASHET_LOG_PATH
  void WriteZKCertPath(FILE* file, const char* d);    // CASHET_CERT_PATH
  void WriteLogPath(FILE* file, const char* path);    // MS_LOGPATH
  void WriteLogLevel(FILE* file, int d);              // MS_LOGLEVEL
  void WriteTransCnt(FILE* file, int d);              // MS_TRANS_COUNT
  void WriteHtmlMax(FILE* file, int d);               // MS_HTML_MAX
  void WriteDBRetryLimit(FILE* file, int d);          // DB_RETRY_LIMIT
  void WriteDBRetryIntvl(FILE* file, int d);          // DB_RETRY_INTERVAL
  void WriteTQDmnCache(FILE* file, int d);            // TQ_DMN_CACHE
  void WriteTQDmnSynch(FILE* file, int d);            // TQ_DMN_SYNCH
  void WriteTQDmnSleep(FILE* file, int d);            // TQ_DMN_SLP_SEC
  void WriteSGPath(FILE* file, const char* d);        // SG_PATH
  void WriteTQLang(FILE* file, const char* d);        // TQ_LANG
  void WriteTEditorPath(FILE* file);  // TQ_TEDITOR_PATH: the list joined with ";"
  // The given value.
  void WriteUserTrafficLog(FILE* file, int value);            // USERTRAFFIC_LOG
  void WriteCacheFilePath(FILE* file, const char* path);      // CACHE_FILE_PATH
  void WriteCacheEnabled(FILE* file, const char* value);      // CACHE_ENABLED
  void WriteMaxCachedFiles(FILE* file, int value);            // MAX_CACHED_FILES
  void WriteTemplatePath(FILE* file, const char* path);       // TEMPLATE_PATH
  void WriteOutboundPath(FILE* file, const char* path);       // OUTBOUND_PATH
  void WriteMpgPath(FILE* file, const char* path);            // MPG_PATH
  void WriteMToolBase(FILE* file, const char* path);          // MTOOL_BASE
  void WriteMToolAffiliate(FILE* file, const char* value);    // MTOOL_AFFILIATE
  void WriteMerchantSource(FILE* file, const char* path);     // MTOOL_MSOURCE
  void WriteMToolErrorLog(FILE* file, const char* path);      // MTOOL_ERROR_LOG
  void WriteMToolNumCon(FILE* file, int value);               // MTOOL_NUM_CON
  void WriteMToolMaxWait(FILE* file, int value);              // MTOOL_MAX_WAIT
  void WriteErrNotification(FILE* file, const char* value);   // ERR_NOTIFICATION
  void WriteOrderNotification(FILE* file, const char* value); // ORDER_NOTIFICATION
  void WritePDIEncrypt(FILE* file, const char* value);        // PDI_ENCRYPT
  void WriteAdminErrMsgTemplate(FILE* file, const char* name);  // ADMIN_ERR_MSG_TEMPLATE
  void WriteJREPath(FILE* file, const char* path);            // TQ_JRE_PATH
  void WriteTQClsPath(FILE* file, const char* classPath);     // TQ_CLASSPATH
  void WriteSchedInterJobTime(FILE* file);  // SCHEDULER_INTER_JOB_TIME: 600
  void WriteCAJAppDrv(FILE* file, const char* driver);        // KEL_JDBC_DRIVER
  void WriteCAJNetDrv(FILE* file, const char* d);             // KEL_JDBC_NETDRIVER
  void WriteCAJUrl(FILE* file, const char* url);              // KEL_JDBC_URL
  void WriteCAJNetUrl(FILE* file, const char* url);           // KEL_JDBC_NETURL
  void WriteCAJProtocol(FILE* file, const char* d);           // KEL_JDBC_PROTOCOL
  void WriteQVInBound(FILE* file, char* queue);               // TQ_QV_INBOUND
  void WriteQVOutBound(FILE* file, char* queue);              // TQ_QV_OUTBOUND
  void WriteQVError(FILE* file, char* queue);                 // TQ_QV_INERROR
  void WriteQVManager(FILE* file, char* manager);             // TQ_QV_QMANAGER
  void WriteQVBridgeID(FILE* file, char* user);               // TQ_QV_BRIDGE_USERID
  void WriteDefMSGSize(FILE* file);  // DEFAULT_MSG_SIZE: 2000
  void WriteMaxMSGSize(FILE* file);  // MAX_MSG_SIZE: 1000000
  void WritePswdAdm(FILE* file, const char* path);            // MS_HTADMIN
  void WritePswdFile(FILE* file, const char* path);           // MS_HTPASS

  // Macro processor file: one "ENVIRONMENT" table line per NDEnv entry; the
  // macro and include path lists joined with ";"; the fixed lines
  // "BIND_FILE dummy.bnd", "EXEC_PATH", "VELQINSTANCE", "VELQPATH"; the
  // further lines (NDMisc), one block ended by a line end.
  void WriteNDEnv(FILE* file);
  void WriteNDMacroPath(FILE* file);
  void WriteNDIncPath(FILE* file);
  void WriteNDDummy(FILE* file);
  void WriteNDMisc(FILE* file);

  // Web server directives: one table line per entry of the list, keyword
  // "Pass", "Map", "Exec" or "AddType"; the instance's own lines end with
  // its web server host name.
  void WriteISPass(FILE* file);
  void WriteISMap(FILE* file);
  void WriteISExec(FILE* file);
  void WriteISCommonPass(FILE* file);
  void WriteISCommonMap(FILE* file);
  void WriteISCommonExec(FILE* file);
  void WriteISCommonAddType(FILE* file);

  // --- Core fields ---------------------------------------------------------
  KelString m_Name;
  KelString m_MerKey;  // enciphered, or kNoKeyMarker, or empty
  KelString m_RootPath;
  KelString m_MacroPath;
  KelString m_CgiPath;
  KelString m_HtmlPath;
  KelString m_IPAddr;
  KelString m_ISHost;
  KelString m_DBName;
  KelString m_DBUser;
  KelString m_DBOwner;
  KelString m_DBPswd;  // enciphered
  KelString m_DBHost;
  KelString m_DBSvc;
  KelString m_ZKHost;
  KelString m_CMSPswd;  // enciphered
  eISType m_ISType;
  eDBType m_DBType;
  int m_MSProc;
  int m_MSPort;
  int m_DBPort;
  int m_MSOption;
  int m_ZKCycle;
  int m_ZKIntvl;
  int m_ZKTmout;

  // --- Preserved values (with the configuration keys they mirror) ---------
  KelString m_AdminPswdFile;  // MS_HTADMIN
  KelString m_PswdFile;       // MS_HTPASS
  KelString m_LogPath;        // MS_LOGPATH
  KelString m_SvcPrefix;      // SERVICE_NAME_PREFIX
  KelString m_Reserved1;      // reserved texts and numbers: only copied
  KelString m_Reserved2;
  KelString m_Reserved3;
  KelString m_Reserved4;
  int m_ReservedNum1;
  int m_ZKAdminPort;   // CASHET_ADMIN_PORT
  int m_ZKPayPort;     // CASHET_PAY_PORT
  int m_ZKErrorPort;   // CASHET_ERROR_PORT
  int m_ZKSetPayPort;  // CASHET_SET_PAY_PORT
  int m_ZKSetInqPort;  // CASHET_SET_INQUIRY_PORT
  int m_JdbcPort;      // KEL_JDBC_PORT
  int m_TransCount;    // MS_TRANS_COUNT
  int m_HtmlMax;       // MS_HTML_MAX
  int m_LogLevel;      // MS_LOGLEVEL
  int m_DBRetryLimit;  // DB_RETRY_LIMIT
  int m_DBRetryIntvl;  // DB_RETRY_INTERVAL
  int m_BckCycleTime;     // consulted by the writers only
  int m_BckInterJobTime;  // consulted by the writers only
  int m_DmnCache;  // TQ_DMN_CACHE
  int m_DmnSynch;  // TQ_DMN_SYNCH
  int m_DmnSleep;  // TQ_DMN_SLP_SEC
  int m_TotalProcesses;     // kept by SetTotalProcesses
  int m_PaySysController;   // PAYSYS_CONTROLLER (flag)
  KelString m_WebServerText;  // TQ_WEBSERVER as read
  int m_StagingFlag;          // TQ_ENABLE_STAGING as read
  int m_CacheFlag;            // TQ_ENABLE_CACHE as read
  int m_ReservedNum2;
  KelString m_SGPath;                  // SG_PATH
  ParmList<KelString> m_TEditorPaths;  // TQ_TEDITOR_PATH
  KelString m_Lang;                    // TQ_LANG
  KelString m_DbmsText;                // KEL_DBMS as read
  KelString m_JdbcDriver;              // KEL_JDBC_DRIVER
  KelString m_JdbcNetDriver;           // KEL_JDBC_NETDRIVER
  KelString m_JdbcUrl;                 // KEL_JDBC_URL
  KelString m_JdbcNetUrl;              // KEL_JDBC_NETURL
  KelString m_JdbcProtocol;            // KEL_JDBC_PROTOCOL
  ParmList<NameValue> m_ISPass;  // the instance's own web server directives
  ParmList<NameValue> m_ISMap;
  ParmList<NameValue> m_ISExec;
  ParmList<NameValue> m_ISCommonPass;  // directives common to all instances
  ParmList<NameValue> m_ISCommonMap;
  ParmList<NameValue> m_ISCommonExec;
  ParmList<NameValue> m_ISCommonAddType;
  ParmList<NameValue> m_NDEnv;         // macro processor ENVIRONMENT
  ParmList<KelString> m_NDIncPaths;    // macro processor INCLUDE_PATH
  ParmList<KelString> m_NDMacroPaths;  // macro processor MACRO_PATH
  ParmList<KelString> m_NDMisc;        // further macro processor lines
  KelString m_ExitHost;       // USEREXIT_HOSTNAME
  KelString m_ExitSvcPrefix;  // USEREXIT_SERVICE_NAME_PREFIX
  KelString m_ZKExec;         // CASHET_EXEC
  KelString m_ZKLogPath;      // CASHET_LOG_PATH
  KelString m_ZKCertPath;     // CASHET_CERT_PATH
  int m_PBProc;               // PROCESSES of the back-end payment file
  int m_ZKTraceFlag;          // CASHET_ENABLE_TRACE as read

 private:
  // Shared implementations of the path, host, port and password rules.
  static int CheckPath(const char* path);
  static int CheckHost(const char* host);
  static int CheckPort(int port);
  static int CheckPswd(const char* password);

  // Removes one trailing backslash.
  static void PurifyPathStr(KelString& path);
  static int SetPswdInternal(KelString& field, const char* password);
  static int GetPswdInternal(const KelString& field, KelString& out);

  // Type lines of the data file; a loaded value out of range fails and
  // leaves the field unchanged.
  int StoreISType(FILE* file) const;
  int StoreDBType(FILE* file) const;
  int LoadISType(FILE* file);
  int LoadDBType(FILE* file);

  // The table directive: per entry, head to tail, the keyword padded with
  // spaces to 8 characters, the name padded to 16, the value, and " suffix"
  // when suffix is given (at least one space after keyword and name). An
  // empty list writes nothing.
  void WriteDirective(FILE* file, const char* keyword, ParmList<NameValue>& list,
                      const char* suffix);
  // Empties out, then appends each item in order, preceded by separator
  // except while out is still empty.
  void StrListToString(ParmList<KelString>& list, KelString& out, const char* separator);
};

// One number line of the data file: decimal, optional minus sign.
ORVANE_API int StoreInt(int value, FILE* file);
// Reads one number line; sets value to 0 and returns 0 when the line has no
// line end. A line without digits reads as 0.
ORVANE_API int LoadInt(int& value, FILE* file);

#endif  // ORVANE_CORE_MSINFO_H_
