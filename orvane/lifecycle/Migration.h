// Migration: brings the instances of an earlier installation of the product
// into the current one. It finds out which installation is there, reads its
// instance definitions back (see orvane/config/InstalledConfig.h), writes
// the web server's configuration for all of them and creates every instance
// again with the current generators, so that every configuration file,
// service entry and script is in the current form.
//
// Databases are not touched: the caller prepares them afterwards
// (KelCreateDatabase recognises an existing database). The instance data
// file is not written either.
#ifndef ORVANE_LIFECYCLE_MIGRATION_H_
#define ORVANE_LIFECYCLE_MIGRATION_H_

#include "orvane/export.h"

// Migrates the installation of the newest product level present (3, then 2,
// then 1; see InstalledProductLevel). 1 when every instance was created
// again; 0 when nothing is installed that could be migrated, when the web
// server configuration fails, or at the first instance whose creation cannot start (installation
// parameters or administration pages missing; the remaining instances are
// not created). An instance whose creation reports a failed step (message
// 19) does not stop the migration.
ORVANE_C_API int KelMigrate();

namespace orvane {

// The newest product level installed: 3, 2, 1, or 0 when none is. The
// current level's version key is there as soon as the current product is,
// also before it has any instances: it counts as installed only with its
// instance data file, so that an older installation beside a fresh current
// one is the one migrated. The older levels count with their version keys.
int InstalledProductLevel();

}  // namespace orvane

#endif  // ORVANE_LIFECYCLE_MIGRATION_H_
