// The hosting edition's data: its scripts, run through a command file
// <installation>\server\admin\velqconfig.bat that holds the database
// owner's clear password. That file is readable by its owner only and is
// removed on every path.
#ifndef ORVANE_DATABASE_HOSTINGDATA_H_
#define ORVANE_DATABASE_HOSTINGDATA_H_

#include "orvane/database/ScriptRunner.h"
#include "orvane/export.h"

class MSInfo;

// Runs the hosting data scripts for the instance's database: the migration
// script jq3122migrate.cmd once when the flag file
// tq_schema\VELQ\migrate\migrate.txt exists (the flag is consumed), else
// jqdata.cmd followed by the text search set-up searchext.cmd, which needs
// the Velq text extenders (status message 101 and 0 without them). Logs go to
// <root>\logs\jqdata.log and searchext.log. Paths and the password are
// written in double quotes, the names bare; a record whose values do not fit
// their place gets no command file. The run is a step of the machine's
// database set-up (SetupStep). 1 when the run was started.
ORVANE_API int KelCreateDB(MSInfo& info);

namespace orvane {

// KelCreateDB, telling how the run went.
ScriptRun RunHostingDataScripts(const MSInfo& info);

// Adds the hosting data to a database that lacks it: the previous
// jqdata.log becomes its backup, the scripts run, and the new log is read
// for Velq and SQL errors (message 99). 0 when an error was found, the run
// did not finish (message 99) or could not start, and when the record's
// values do not fit the command file (message 99, nothing run, the old log
// kept), else 1.
int AddHostingData(const MSInfo& info);

}  // namespace orvane

#endif  // ORVANE_DATABASE_HOSTINGDATA_H_
