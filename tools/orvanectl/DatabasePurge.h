// What delete --purge removes beyond deletion: the instance's database,
// dropped through the database's command environment, and its ODBC data
// source.
#ifndef ORVANECTL_DATABASEPURGE_H_
#define ORVANECTL_DATABASEPURGE_H_

#include <orvane/orvane.h>

namespace orvanectl {

// Drops the database when the database directory knows it and removes its
// data source when there is one; reports what it did and what failed (into
// the command's result too). True when neither is left.
bool PurgeDatabase(MSInfo& record);

}  // namespace orvanectl

#endif  // ORVANECTL_DATABASEPURGE_H_
