// Instance creation: turns one validated instance record into a runnable
// server instance. It lays out the instance's directory tree, writes every
// per-process configuration file, copies the server program into the CGI
// directory, registers the instance's TCP service entries and its Windows
// service "TQ" + name, prepares the payment-server and personalization
// add-ons, and ends with one summary message. The database and the web
// server's own configuration are set up separately.
//
// Creation may be repeated for an existing instance: files are moved to their
// backups and regenerated, hand-added lines of "tessaly.ini" are carried
// over, copies overwrite, entries and the service are registered again. The
// instance's service is left stopped.
#ifndef ORVANE_LIFECYCLE_INSTANCECREATION_H_
#define ORVANE_LIFECYCLE_INSTANCECREATION_H_

#include "orvane/export.h"

class MSInfo;

// Creates the instance. 0 when the installation parameters cannot be found
// (message 5) or the administration pages' config.js cannot be read (no
// message); otherwise 1, with the outcome told as status message 54 (created)
// or error message 19 (a registration, a directory or a file failed, the
// failing steps reporting their own messages; or a record whose name its
// rule refuses, with nothing done). The packaging flag of info follows the
// installation's config.js.
ORVANE_API int KelCreateSingleInst(MSInfo& info);

// Loads the instance data file and creates every instance it holds, in file
// order, also after a failed load (the records read so far are created).
// Returns 1.
ORVANE_C_API int KelCreateInstance(const char* dataFile);

namespace orvane {

// Reads the "gTQPackaging" line of config.js into the packaging flag: set
// when the line holds "kStrStart", cleared otherwise, unchanged without such
// a line. 0 when the file cannot be opened.
int DetectPackaging(MSInfo& info, const char* installDir);

}  // namespace orvane

#endif  // ORVANE_LIFECYCLE_INSTANCECREATION_H_
