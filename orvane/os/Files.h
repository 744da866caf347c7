// Files and directories of the OS seam.
//
// Paths are Windows paths ("C:\dir\file", "/" accepted like "\"). On the
// emulated machine they name files on the machine's drives, and existing
// components are matched without regard to letter case, as on Windows.
#ifndef ORVANE_OS_FILES_H_
#define ORVANE_OS_FILES_H_

#include <cstdio>
#include <string>
#include <vector>

#include "orvane/os/Status.h"

namespace orvane::os {

// Opens a file as fopen does, with fopen's mode letters. Without "b" the file
// is a text stream: "\n" is written as CR LF, and CR LF reads as "\n". With
// "b" bytes pass through unchanged. Null on failure (LastError tells why).
// The caller closes the stream with fclose.
FILE* OpenFile(const std::string& path, const char* mode);

// Reopens a standard stream (stdout, stderr) on a file, as freopen does.
FILE* ReopenFile(const std::string& path, const char* mode, FILE* stream);

// True when the path names an existing file or directory.
bool PathExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Copies a file; an existing target is overwritten unless failIfExists.
Status CopyFile(const std::string& source, const std::string& target, bool failIfExists = false);

// Renames a file or directory, replacing an existing target file; atomic
// when both are on one drive.
Status MoveFile(const std::string& source, const std::string& target);

Status DeleteFile(const std::string& path);

// Makes one directory; its parent must exist. Fails with kAlreadyExists when
// the directory is there already.
Status CreateDirectory(const std::string& path);

// Removes an empty directory.
Status RemoveDirectory(const std::string& path);

struct DirectoryEntry {
  std::string name;  // spelling as stored, without the directory
  bool isDirectory;
};

// The entries of a directory whose names match a wildcard pattern ("*" and
// "?", letter case ignored), as a FindFirstFile search of directory\pattern
// gives them; "." and ".." are not listed. Fails with kFileNotFound when
// nothing matches and kPathNotFound when the directory does not exist.
Expected<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory,
                                                    const std::string& pattern = "*");

// The short (8.3) form of an existing path; the emulated drives have none, so
// there the path comes back unchanged.
Expected<std::string> ShortPathName(const std::string& path);

// The Windows directory, without a trailing backslash ("C:\WINNT").
std::string WindowsDirectory();

// Portability hooks for file modes and owners: nothing to do on Windows. On
// the emulated machine the mode is applied to the host file and owners are
// recorded nowhere.
Status SetFileMode(const std::string& path, int mode);
Status SetFileOwner(const std::string& path, const std::string& owner);

}  // namespace orvane::os

#endif  // ORVANE_OS_FILES_H_
