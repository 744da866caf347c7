// The web server configuration for all instances at once: KelSetISConf.
//
// One run brings the web server's files in line with the instance list: the
// application server's settings for every instance of the hosting edition,
// and, when an instance is served by the Quenta Go Webserver, its httpd.cnf,
// plug-in files and servlet settings, followed by its restart. Instances on
// the Netscape Enterprise Server get no configuration from the library;
// those on the Quenta web server are not handled.
#ifndef ORVANE_CONFIG_WEBSERVERCONFIG_H_
#define ORVANE_CONFIG_WEBSERVERCONFIG_H_

#include "orvane/core/MSList.h"
#include "orvane/export.h"

// Configures the web server for every instance of list. 0 when the
// installation directory or, with a Go instance, the administration pages'
// config.js cannot be found (message 5), when a hosting
// instance finds no application server (message 100 as a status line; the
// instances after it are left alone), or when a file of the Go web server
// could not be written or the web server not restarted (each reported with
// its message); 1 otherwise.
ORVANE_API int KelSetISConf(MSList& list);

// The same for the instances of the data file dataFile. A file that does not
// load completely (unreadable, or holding records the list refuses) changes
// nothing: message 8 and 0.
ORVANE_C_API int KelSetISConf(const char* dataFile);

namespace orvane {

// The Go web server's part of a run: httpd.cnf (its previous content kept in
// httpd.cnf.old), the plug-in files, servlet.cnf when an instance uses the
// catalog editor, then the restart unless an instance was read back from an
// earlier product level. 0 when config.js cannot be opened (message 5), the
// web server's record cannot be read (message 4), or a file or the restart
// fails (its message; message 22 after a plug-in file, 25 after the
// restart); httpd.cnf is changed only when it was written completely.
int WriteGoWebServerConfig(MSList& list, const char* installDir);

// The Netscape Enterprise Server's part: nothing to write; 1.
int WriteNetscapeConfig(MSList& list);

// Stops a running service, waits for it on the machine's clock (one poll a
// second, at most 180), and starts it again. 1 when it runs again, or when
// it was not running at all; 0 when it does not stop or start.
int RestartWebServer(const char* serviceName);

// The web server's Windows service.
constexpr char kWebServerService[] = "BrenloQuentaGoWebserver";

}  // namespace orvane

#endif  // ORVANE_CONFIG_WEBSERVERCONFIG_H_
