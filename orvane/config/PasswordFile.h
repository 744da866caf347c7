// The web server password file of an instance.
#ifndef ORVANE_CONFIG_PASSWORDFILE_H_
#define ORVANE_CONFIG_PASSWORDFILE_H_

namespace orvane {

// For an instance on the Quenta Go Webserver (webServerType 0), copies the
// installation's template installDir\server\admin\kelsclt.pwd to dir\netc.pwd,
// a previous netc.pwd becoming netc.old.pwd, and gives the copy the owner
// and mode 0644. The copy is written beside the file and renamed into
// place, so that a failure leaves the previous netc.pwd. Other web server
// types have no password file: 1 and nothing done. 0 when the copy fails
// (the caller reports it); without a template nothing is changed.
int CreatePasswordFile(const char* dir, int webServerType, const char* installDir,
                       const char* owner);

}  // namespace orvane

#endif  // ORVANE_CONFIG_PASSWORDFILE_H_
