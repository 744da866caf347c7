// Writing one configuration file of an instance as a whole.
//
// The new content goes to a file beside the old one and is renamed into
// place only when it is complete and every line of it was accepted (see
// DirectiveLine.h); the previous content is then kept under the file's
// backup name (tessaly.ini: tessaly.old.ini), replacing an older backup. A
// crash, a full disk or a refused value at any moment leaves the file as it
// was, never missing or half-written.
#ifndef ORVANE_CONFIG_CONFIGFILE_H_
#define ORVANE_CONFIG_CONFIGFILE_H_

#include <cstdio>
#include <functional>
#include <string>

namespace orvane {

// Message "Cannot create configuration file %1."
constexpr unsigned kMessageCannotCreateConfigFile = 3;

// Writes the new content to out; false gives the file up. previous is the
// file's previous content (the file itself or, when it is missing, its
// backup), or null when there is none or it was not asked for.
using ConfigContent = std::function<bool(FILE* out, FILE* previous)>;

enum class PreviousContent { kIgnored, kRead };

// Replaces the file at path with what content writes; true when the new
// file is in place.
bool ReplaceConfigFile(const std::string& path, PreviousContent previous,
                       const ConfigContent& content);

// The mode of an instance file that holds no secret.
constexpr int kInstanceFileMode = 0644;

// ReplaceConfigFile for the files an instance's processes read: the new file
// gets the owner (the database owner) and exactly mode (kInstanceFileMode,
// or kSecretFileMode for one that holds a secret) from the start, as does
// its backup; a failure shows message 3 with the path. 1 written, 0 not.
int WriteInstanceFile(const std::string& path, const char* owner, PreviousContent previous,
                      const ConfigContent& content, int mode);

// Copies source over target byte for byte, the previous target becoming
// backup; target is replaced whole or not at all, and stays as it is when
// source cannot be read. True when the copy is in place.
bool CopyWithBackup(const std::string& source, const std::string& target,
                    const std::string& backup);

}  // namespace orvane

#endif  // ORVANE_CONFIG_CONFIGFILE_H_
