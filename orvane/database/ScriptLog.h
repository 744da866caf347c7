// Reading the log of a database script for the errors it reports.
//
// The log holds the Velq command line's output. A line whose first word is
// a Velq error number (begins with "VELQ", ends in "E") starts an error
// report: it and the lines after it, up to an empty line, are joined into
// one text (each line end turned into a blank) for the status callback. A
// line whose first word is an SQL error number (begins with "SQL", ends in
// "N") is reported, when asked for, with message 99 before it.
#ifndef ORVANE_DATABASE_SCRIPTLOG_H_
#define ORVANE_DATABASE_SCRIPTLOG_H_

#include "orvane/core/KelString.h"

namespace orvane {

enum class LogErrors {
  kVelqErrorsEndReading,  // the first error report ends the reading
  kVelqAndSqlErrors,      // every error report and SQL error line is reported
};

struct LogVerdict {
  bool opened = false;
  bool errorFound = false;
};

// Reads the log at path, handing each error to pfnUpdate (when set);
// database is the name that message 99 inserts.
LogVerdict ReadScriptLog(const KelString& path, LogErrors errors, const char* database);

}  // namespace orvane

#endif  // ORVANE_DATABASE_SCRIPTLOG_H_
