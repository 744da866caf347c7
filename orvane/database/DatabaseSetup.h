// Preparing the database of every instance: a Velq database is created and
// loaded with the store schema when it does not exist, a remote one is only
// catalogued, and either is registered as an ODBC system data source; the
// hosting edition's data is added to a local one that lacks it; Oracle
// databases are left to the administrator. An instance whose database is
// ready gets its Windows service switched to automatic start.
#ifndef ORVANE_DATABASE_DATABASESETUP_H_
#define ORVANE_DATABASE_DATABASESETUP_H_

#include "orvane/export.h"

class MSInfo;
class MSList;

// Prepares the database of every instance of the list in order, one progress
// stage each; the instances' own results do not stop the loop. Message 9 and
// 0 for an empty list, message 10 and 0 when a record cannot be read; else 1.
ORVANE_API int DBCreateDatabase(MSList& list);

// Loads the instance data file and prepares every instance's database.
// Message 8 and 0 when the file cannot be loaded; else DBCreateDatabase's
// result.
ORVANE_C_API int KelCreateDatabase(const char* dataFile);

// Prepares one instance's database, with status messages 38 (start), 37
// (Oracle), 35 (exists), 11 and 20 (created), 36 (catalogued) and error
// messages 5, 14, 30, 31. 1 when the database is ready.
ORVANE_API int DBCreateSingle(MSInfo& info);

#endif  // ORVANE_DATABASE_DATABASESETUP_H_
