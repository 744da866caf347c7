// Windows' rules for names and paths, for the backends and the recording
// layer alike: wildcard matching, the order NTFS lists names in, and the key
// that tells whether two spellings of a path name one file.
#ifndef ORVANE_OS_WINDOWSNAMES_H_
#define ORVANE_OS_WINDOWSNAMES_H_

#include <string>

#include "orvane/os/Files.h"

namespace orvane::os {

char UpperAscii(char c);

// Windows' wildcard match: "*" any run of characters, "?" any one, letter
// case ignored; "*.*" matches every name, dotted or not.
bool MatchesWildcard(const std::string& name, const std::string& pattern);

// Names in the order NTFS lists them: compared as upper case.
bool ListedBefore(const DirectoryEntry& a, const DirectoryEntry& b);

// A path as one key for all its spellings: upper case, "\" for "/", "." and
// ".." resolved, no trailing separator, drive C for a path that starts with
// one separator ("\WINNT" is "C:\WINNT").
std::string PathKey(const std::string& path);
// The key of the folder that holds a key's file ("" for a drive's root).
std::string ParentKey(const std::string& key);
// The folder that holds a path's file, spelt as the path spells it ("c:\Data"
// for "c:/Data/x"): a backend finds that spelling on the host at once, where
// the upper-case key would have it list folders to match each name.
std::string ParentFolder(const std::string& path);
// The last component of a path as spelt.
std::string LastComponent(const std::string& path);

}  // namespace orvane::os

#endif  // ORVANE_OS_WINDOWSNAMES_H_
