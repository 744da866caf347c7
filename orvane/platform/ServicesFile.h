// The system's TCP services file: one entry per server process of every
// instance, so that each process finds its port by service name.
//
// An entry is a line whose first word (words end at blank, tab, CR, LF) is the
// service name, compared without regard to letter case; aliases and comments
// never match. Lines are taken whole, whatever their length, and every line
// that is not changed is copied byte for byte. Every register or unregister
// call rewrites the whole file under a lock shared by all processes (the
// lock file is the services file's name followed by ".lock") and leaves the
// previous content in the services file's name followed by ".old"; one that
// would change nothing, entries already there as they would be written,
// leaves the file and its backup as they are, and reads the file only as
// the services database has parsed it.
#ifndef ORVANE_PLATFORM_SERVICESFILE_H_
#define ORVANE_PLATFORM_SERVICESFILE_H_

#include <string>
#include <vector>

#include "orvane/core/KelString.h"
#include "orvane/export.h"

// Adds the entry "<name><sep><port>/tcp\t# <comment>" for name, replacing the
// first existing entry in place, or appending it when there is none. 1 when
// the new file is in place; 0 when there is neither a services file nor its
// backup to read, or the new file cannot be written. Refused (0, nothing
// written): a name that is not one word of printable characters (a blank,
// tab, control character or "#" in it) and a comment holding a line end or
// another control character, which would make entries of their own.
ORVANE_C_API int KelRegTcpService(const char* name, int port, const char* comment);

// Removes every entry for name. 1 when at least one line was removed, 0 when
// none was found or the file cannot be rewritten.
ORVANE_C_API int KelUnregTcpService(const char* name);

// The port of the first entry for name; -1 when there is none, 0 when the
// services file cannot be opened.
ORVANE_C_API int KelGetTcpServicePort(const char* name);

namespace orvane {

// Sets path to the services file: the Windows directory followed by
// "\system32\drivers\etc\services". Returns 1.
int GetServicesFilePath(KelString& path);

// The start of an entry: the name, two tabs when the name is shorter than 8
// characters (one otherwise, so the ports line up), the port and "/tcp".
std::string TcpServiceEntryStart(const char* name, int port);

// One entry to register: its name, port and comment.
struct TcpServiceEntry {
  std::string name;
  int port;
  std::string comment;
};

// Registers several entries (of distinct names) in one rewrite of the file,
// with the result KelRegTcpService would give one after the other: each
// takes the place of the first entry of its name, the others follow at the
// end in their order. An entry whose name or comment KelRegTcpService would
// refuse is left out. 1 when the new file is in place and nothing was left
// out.
int RegisterTcpServiceEntries(const std::vector<TcpServiceEntry>& entries);

// Writes the complete entry line (with its "\n") in place of the first entry
// for name, or at the end of the file when there is none; later entries for
// name stay as they are. Results as KelRegTcpService.
int ReplaceTcpServiceEntry(const char* name, const std::string& entryLine);

}  // namespace orvane

#endif  // ORVANE_PLATFORM_SERVICESFILE_H_
