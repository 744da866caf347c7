// The Corbelle application server's servlet settings, for instances of the
// hosting edition: its Java class path must hold the hosting edition's
// archive and Velq's, and it must declare the merchant administration
// servlet of the instance.
//
// The files lie in <root>\properties\server\servlet\servletservice. A second
// application server for secure traffic may stand beside the first: for the
// root C:\AS\AppServer it is C:\AS443\AppServer.
#ifndef ORVANE_CONFIG_APPSERVERCONFIG_H_
#define ORVANE_CONFIG_APPSERVERCONFIG_H_

#include <string>

#include "orvane/core/MSInfo.h"

namespace orvane {

// Rewrites jvm.properties at path, its previous content kept in path +
// ".old": the line whose name before "=" is "ncf.jvm.classpath" gets
// installDir\JQ\JQ.jar and Velq's Java archive when it lacks them (entries
// split at ";", blanks and line ends), each after a ";" unless the line ends
// with one or the list is empty. Every other line keeps its text. 1 when done; 0 when the file
// cannot be read or written (no message).
int UpdateJvmProperties(const char* path, const char* installDir);

// Rewrites servlets.properties at path, its previous content kept in path +
// ".old": the MerchantAdmin lines are replaced by two naming info's
// configuration file, at the end of the file. Both files get the owner
// "bin". 1 when done; 0 as UpdateJvmProperties.
int UpdateServletsProperties(MSInfo& info, const char* path);

// The secure application server's root beside root; empty when root has no
// parent directory.
std::string SecureAppServerRoot(const std::string& root);

// Updates both files of the application server and, when it exists, of the
// secure one beside it, for a hosting instance. A file that cannot be
// updated is skipped.
void UpdateAppServerFiles(MSInfo& info, const char* installDir);

}  // namespace orvane

#endif  // ORVANE_CONFIG_APPSERVERCONFIG_H_
