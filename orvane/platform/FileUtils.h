// File and directory utilities of the instance operations: the one-generation
// backup taken before a file is regenerated, copying, directory making and
// emptying, short path names, and the owner and mode portability hooks.
#ifndef ORVANE_PLATFORM_FILEUTILS_H_
#define ORVANE_PLATFORM_FILEUTILS_H_

#include <string>

#include "orvane/core/KelString.h"
#include "orvane/export.h"

// Moves an existing file to its backup name, replacing an older backup.
// backup null: the name is the path with ".old" put before the last dot of
// the file name (C:\x\tessaly.ini becomes C:\x\tessaly.old.ini), or appended
// when the file name has no dot. The file is renamed over an older backup in
// one step, so a failed rename keeps both. 1 when the file was renamed; 0
// when it does not exist, the rename fails, or the backup name names the
// file itself (in other letter case, through ".", ".." or "/"), which keeps
// the file as it is.
ORVANE_C_API int KelCreateBackup(const char* path, const char* backup);

namespace orvane {

// The backup name KelCreateBackup gives path when it is given none.
std::string DefaultBackupName(const std::string& path);

// Copies a file, overwriting an existing target. Non-zero on success.
int CopyFileOver(const char* source, const char* target);

// Makes one directory; its parent must exist. The mode and owner that callers
// pass are applied by the hooks below, not here. Non-zero on success.
int MakeDirectory(const char* path, int mode = 0, const char* owner = nullptr);

// Ensures a directory path exists. An existing path gets the owner and mode
// hooks and gives 1. Otherwise the path must begin with a drive (else 0);
// each missing component after the drive is created in turn, with the
// owner and mode; a failed creation gives 0.
int MakeDirectoryPath(const char* path, int mode, const char* owner);

// 1 when the path begins with a drive: a letter, ":" and "\".
int IsDrivePath(const char* path);

// Deletes every file of a directory; subdirectories stay.
void DeleteDirectoryFiles(const char* directory);

// Replaces path by its short (8.3) form; keeps it unchanged when the system
// has none that fits a path buffer. Returns 1.
int ToShortPath(KelString& path);

// Portability hooks, called after every file and directory the library
// makes: the owner (group: callers pass 0) and the octal mode such as 0755.
// The mode never reaches what a symbolic link at the path leads to (0
// then). A file that holds secrets gets its mode when it is created
// instead, so that it is never open to others in between. On Windows both
// do nothing and return 1.
int SetFileOwner(const char* path, const char* owner, int group = 0);
int SetFileMode(const char* path, int mode);

}  // namespace orvane

#endif  // ORVANE_PLATFORM_FILEUTILS_H_
