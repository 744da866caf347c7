// The Quenta Go Webserver's main configuration file, httpd.cnf.
//
// The product's lines of httpd.cnf stand in a section at the top of the file
// that each run regenerates from the instance list: the routes to the
// product's filter plug-in, the protection of the instances' configuration
// files, each instance's own pass rules by host and address, and the shared
// HTML trees. In front of the web server's catch-all rule "Pass /*" a second
// section maps each instance's host to its HTML directory, and the file's
// "Hostname" line names the first instance's host. Everything else of the
// file keeps its order and text, so a second run gives the same file.
#ifndef ORVANE_CONFIG_HTTPDCONFIG_H_
#define ORVANE_CONFIG_HTTPDCONFIG_H_

#include <cstdio>
#include <string>
#include <vector>

#include "orvane/core/KelString.h"
#include "orvane/core/MSInfo.h"
#include "orvane/core/MSList.h"
#include "orvane/platform/InstallRegistry.h"

namespace orvane {

// An instance on the Go web server, as one run writes it: a working copy of
// its record (the run appends its own directives to the copy only) and the
// addresses of its web server host.
struct GoInstance {
  MSInfo info;
  bool resolved = false;
  std::vector<std::string> addresses;  // in the resolver's order
};

// What one run takes from the instance list and the installation.
struct WebServerRun {
  KelString installDir;
  WebServerDirs dirs;
  std::vector<GoInstance> goInstances;  // list order
  MSInfo last;                          // working copy of the list's last record: the common lists
  bool anyOldLevel = false;             // an instance was read back from a level below 3
  // Some Go instance uses the catalog editor (its packaging flag is clear).
  bool anyCatalogEditor = false;
};

// Fills run from list: working copies, packaging flags from the
// installation's config.js, each Go instance's host resolved once. 0 when
// config.js cannot be opened.
int SurveyInstances(MSList& list, const char* installDir, WebServerRun& run);

// Writes the product section for run. A host that does not resolve is
// reported to the host's status callback (message 85) and gets the block
// for its name only.
void WriteProductSection(FILE* out, WebServerRun& run);
// Writes the section that maps each Go instance's host, by name and by
// address, to its HTML directory.
void WriteDefaultPassSection(FILE* out, const WebServerRun& run);

// Rewrites httpd.cnf in the web server's configuration directory for run,
// its previous content kept in httpd.cnf.old. 1 when done; 0 with message
// 28 or 26 as the file cannot be read or written, and 6 when
// an old product section is not closed or a value would break a line; the
// file then stays as it was.
int UpdateHttpdConfig(WebServerRun& run);

}  // namespace orvane

#endif  // ORVANE_CONFIG_HTTPDCONFIG_H_
