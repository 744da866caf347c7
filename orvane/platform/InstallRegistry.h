// Installation paths and product records in the registry.
//
// The library never asks where things are installed: it reads what the
// installers of the product and of its companion products leave under
// HKEY_LOCAL_MACHINE. Every look-up reads the registry afresh; string values
// longer than a path (260 characters) count as missing. Out-parameters are
// assigned only when the look-up succeeds.
#ifndef ORVANE_PLATFORM_INSTALLREGISTRY_H_
#define ORVANE_PLATFORM_INSTALLREGISTRY_H_

#include <string>

#include "orvane/core/KelString.h"
#include "orvane/export.h"
#include "orvane/os/Registry.h"

// The product installation directory of version 3.1.2.2. 1 found, 0 not.
ORVANE_API int KelGetInstPath(KelString& directory);
// The hosting edition's installation directory.
ORVANE_API int KelGetCSPInstPath(KelString& directory);
// The Velq database's installation directory.
ORVANE_API int KelGetDBVXRPath(KelString& directory);
// The application server's Java runtime path ("ncf.jvm.classpath"), without
// one trailing "/" or "\".
ORVANE_API int KelGetJREPath(KelString& path);

// Copies the product's registry settings (the version key with its subtree)
// from the source version to the target version key, which must exist,
// through a hive file "TQ3" in the source's installation directory. 1 on
// success; 0 when a key, the installation directory, the save or the restore
// fails. Privileges, keys and the hive file are released on every path.
ORVANE_C_API int KelUpdateRegTQ(const char* sourceVersion, const char* targetVersion);

namespace orvane {

// Reads a string value as the product's path buffer (260 characters and the
// NUL) holds it; false when the value is missing or does not fit.
bool ReadRegistryPathValue(const os::RegistryKey& key, const char* name, std::string& text);

// The product's key and the version names chosen by index: 1 "1.0.0",
// 2 "2.0.0", 3 "3.1.2.2".
constexpr char kProductKey[] = "SOFTWARE\\VXR\\Tessaly Server";
constexpr int kCurrentProductVersion = 3;
// The version name of an index; null for any other index.
const char* ProductVersionName(int versionIndex);
// kProductKey\<version>; an unknown index selects the current version.
std::string ProductVersionKey(int versionIndex);

// The installation directory of a product version; an unknown index reads
// the current version's.
int GetTQInstallPath(KelString& directory, int versionIndex);
// Whether a product version's key exists; 0 for an unknown index.
int IsTQVersionInstalled(int versionIndex);

int GetPayServerPath(KelString& directory);
int IsPayServerInstalled();
int IsJQInstalled();
// The application server's root ("APPSERVER_ROOT" of its last version key).
int GetCorbelleRoot(KelString& directory);
int IsCorbelleInstalled();
int GetOracleHome(KelString& directory);
int GetOracleSid(KelString& sid);
int IsVelqExtendersInstalled();
int IsPersonalizationInstalled();

// The web server's directories, each without a trailing backslash.
struct WebServerDirs {
  KelString configDir;     // "ETCpath" of the version key
  KelString execDir;       // "Executables" of its "Directories" subkey
  KelString cgiDir;        // "CGI Bin Scripts"
  KelString htmlDir;       // "HTML"
  KelString adminProgram;  // execDir\htadm.exe, set only when that file exists
  KelString mainDir;       // "Main Directory"
};

// Reads the Quenta Go Webserver's record. The version key is the greatest
// subkey (byte-wise) whose name begins with "4.6", or "4.6" itself. The
// values are read in the order of the fields; the first one missing ends the
// look-up with 0, fields read before it keep their new values. 1 when all
// five values were read.
int GetWebServerDirs(WebServerDirs& dirs);

// Opens a subkey of key for reading. exact (prefix false): the subkey name.
// prefix: the greatest subkey (byte-wise) whose name begins with name, or
// name itself when none is greater.
os::Expected<os::RegistryKey> FindVersionSubkey(const os::RegistryKey& key, const char* name,
                                                bool prefix);

// Points the message-queue client at its server through the system variable
// "QVSERVER": from the queue bridge's arguments (3 server, 9 "client" or
// "server", 10 channel, 11 optional port), channel/TCP/server(port) for a
// client, empty otherwise. 1 when the value was set.
int SetQVServerVariable(int count, char** args);

}  // namespace orvane

#endif  // ORVANE_PLATFORM_INSTALLREGISTRY_H_
