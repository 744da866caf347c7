// Where the Quenta Go Webserver keeps its executables, its configuration
// file and its administration programs, as its registry record says.
#ifndef SSLKEYS_WEBSERVERDIRECTORIES_H_
#define SSLKEYS_WEBSERVERDIRECTORIES_H_

#include "orvane/core/KelString.h"

// The logs sslkeys writes in the administration directory: what the tool
// and the administration programs printed, and their errors (a program that
// could not be run is named there).
inline constexpr char kSslKeysOutputLog[] = "kelskeystdout.out";
inline constexpr char kSslKeysErrorLog[] = "kelskeyerr.out";

// Reads a value below HKEY_LOCAL_MACHINE\subkey into result; its type is not
// examined and it must fit a path buffer (260 characters and the terminating
// zero). Returns 1 when the value was read, else 0 with result untouched.
int ReadRegistryString(const char* subkey, const char* valueName, KelString& result);

// Looks up the web server's directories under the first version key of its
// registry record, which must be a 4.6 level ("4.6" and anything after).
// configurationFile is the ETCPath joined with "httpd.cnf", assigned even
// when ETCPath is missing. For any other level, or no record at all, the
// outputs stay untouched. Returns 1 only when all three values were read.
int GetWebServerDirectories(KelString& executablesDirectory, KelString& configurationFile,
                            KelString& administrationDirectory);

#endif  // SSLKEYS_WEBSERVERDIRECTORIES_H_
