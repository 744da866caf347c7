// Reading an installed configuration back into instance records.
//
// An instance's files remember what the instance data file does not hold:
// payment ports, retry limits, web server directives added by hand, macro
// processor environments and so on. Before instances are re-created or
// migrated, the reader loads an installation's files back into the records'
// preserved values, so that regeneration keeps them. It understands the
// current product level (3) and the file names and keyword spellings of the
// two older levels (1 and 2); see InstallationLevels.h for where each
// level's instances are listed.
//
// Files read for each instance (D its directory):
//  - current level: D\tessaly.ini with D the record's HTML path, the web
//    server configuration directory's httpd.cnf (its product section);
//  - level 2: D\mserver.ini, and the web server's httpd.migr;
//  - level 1: the Windows directory's mserver.ini, with D the second word of
//    its first "WWW_HTML_PATH" line; httpd.migr;
//  - every level: D\velqwww.ini, D\pay_back.ini and D\pay_cashet.ini.
// A record whose main file or velqwww.ini cannot be read leaves the list, so
// the list holds only instances that can be regenerated; so does an older
// level's record whose read-back conflicts with another record (same name,
// port, host, HTML path or database, or overlapping port blocks). A current
// record whose read-back conflicts keeps its data file fields. The web server's
// file is read only when its registry record is complete.
#ifndef ORVANE_CONFIG_INSTALLEDCONFIG_H_
#define ORVANE_CONFIG_INSTALLEDCONFIG_H_

#include "orvane/core/MSInfo.h"
#include "orvane/core/MSList.h"
#include "orvane/export.h"

// Empties list and fills it with the instances of the installation of the
// given product level, read back from their files. Returns 1.
ORVANE_API int KelGetTQConfig(MSList& list, int level);

// Looks for the current installation's instance whose database name equals
// dbName (letter case ignored) and copies the path of its main file (HTML
// path\tessaly.ini) with its terminator into buf when it is shorter than
// size: 1. Otherwise 0; when no instance matches, buf receives the main file
// of the list's last instance if it fits (and is left alone when the list is
// empty). Null arguments give 0.
ORVANE_API int KelGetTQIniFile(const char* dbName, char* buf, int size);

namespace orvane {

// KelGetTQConfig's work, also used by migration. Returns 1.
int ReadInstalledConfig(MSList& list, int level);

// Completes a record read back at the given level: default name, web server
// and database types from their texts, at an older level (or without one)
// the root path below the current installation, the secrets of an older level converted to the current
// cipher, database owner, server port, option bits, and at an older level
// the paths of the old installation rewritten to the current one. Returns 1.
int FinishReadRecord(MSInfo& rec, int level);

}  // namespace orvane

#endif  // ORVANE_CONFIG_INSTALLEDCONFIG_H_
