// What the Velq command line tells about an instance's database: whether the
// local Velq directory knows it, and whether the hosting edition's data is in
// it. Each question is a command file <root>\logs\<database>.cmd whose
// output goes to a file beside it; both are removed after the run.
#ifndef ORVANE_DATABASE_DATABASEQUERIES_H_
#define ORVANE_DATABASE_DATABASEQUERIES_H_

#include "orvane/export.h"

class MSInfo;

// 1 when the local database directory lists GetDBName() as a database alias
// (letter case ignored), or when that cannot be determined (message 32: the
// output is missing or the run did not finish); 0 otherwise, also when the
// command file cannot be written.
ORVANE_API int IsExistDBVXR(MSInfo& info);

namespace orvane {

// What a question to the Velq command line found out. kUnknown: the run gave
// no answer (no command environment, no output, or it did not finish),
// reported with message 32.
enum class VelqAnswer { kNo, kYes, kUnknown };

// IsExistDBVXR, telling an unanswered question from a database that exists.
VelqAnswer ProbeDatabase(const MSInfo& info);

// Whether the database holds the hosting edition's shipping rule object.
VelqAnswer ProbeHostingData(const MSInfo& info);

}  // namespace orvane

#endif  // ORVANE_DATABASE_DATABASEQUERIES_H_
