// The keyword files of an instance's server processes.
//
// Each process of an instance reads one file in the instance directory
// (GetHtmlPath): srvrctrl.ini (server controller), tessaly.ini (commerce
// server), scheduler.ini, pay_back.ini, pay_cashet.ini, pay_cyber.ini and
// tqei_ece.ini (message-queue integration server). Every writer regenerates
// its file whole from the record and the installation directory, leaves the
// previous content as <stem>.old.ini and gives the file the database owner
// and mode 0644. A file that cannot be written, or a value that would put a
// line end into it, shows message 3 with the file's path and gives 0; the
// file then keeps its previous content.
//
// The writers take the record by reference because writing settles some of
// its values: negative payment times become their defaults, the
// template-editor list gains the standard directories, and the total
// process count is refreshed.
#ifndef ORVANE_CONFIG_INSTANCEFILES_H_
#define ORVANE_CONFIG_INSTANCEFILES_H_

#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"

namespace orvane {

// The queues of the message-queue integration server, as its set-up is given
// them.
struct QueueSettings {
  char* inbound;
  char* outbound;
  char* error;
  char* manager;
  char* bridgeUser;
};

// srvrctrl.ini. The instance directory is created first, with every missing
// parent (owner the database owner, mode 0755); when that fails the result
// is 0 without a message. An instance with a queue bridge (its tqei_ece.ini
// exists) keeps the bridge in the controller's pool.
int WriteControllerConfig(MSInfo& info);
// tessaly.ini. The lines of the previous file (or, when it is missing, of its
// backup) whose first word is not a keyword of the new file - the
// administrator's own directives, comments, empty lines - follow the
// generated directives in their order. 1 also when there was no previous
// file.
int WriteServerConfig(MSInfo& info, const char* installDir);
int WriteSchedulerConfig(MSInfo& info, const char* installDir);
int WritePayBackConfig(MSInfo& info, const char* installDir);
int WritePayCashetConfig(MSInfo& info, const char* installDir);
// pay_cyber.ini, then the merchant configuration: the installation's
// adt\tqcyber\merchant_conf is copied over the instance's merchant_conf,
// whose previous content stays as merchant_conf.old. A failed copy is not
// reported.
int WritePayCyberConfig(MSInfo& info, const char* installDir);
int WriteEceConfig(MSInfo& info, const char* installDir, const QueueSettings& queues);

// Adds instance directory ^ server to the CONTROL_POOL_CONFIG list of an
// existing srvrctrl.ini, unless the list holds it already. 1 done (or
// nothing to add); 0 when srvrctrl.ini cannot be read or replaced.
int AddControllerPoolServer(MSInfo& info, const char* server);

// The Java class path of the commerce server and the scheduler:
// J\lib\classes.zip;V\java\velqjava.zip;Q\JQ\JQ.jar;Q\JQ\Tq_jq.jar with the
// Java runtime (J), Velq (V) and hosting edition (Q) directories from the
// registry; a directory not found leaves its part empty.
KelString ClassPathValue();

// The JDBC settings of the commerce server and the scheduler, chosen by
// database type, web server type and the hosting edition bit.
struct JdbcSettings {
  KelString driver;
  KelString netDriver;  // the default: a preserved value takes precedence
  KelString url;
  KelString netUrl;
};
JdbcSettings JdbcRules(const MSInfo& info);

}  // namespace orvane

#endif  // ORVANE_CONFIG_INSTANCEFILES_H_
