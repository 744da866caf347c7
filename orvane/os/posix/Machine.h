// The emulated Windows machine: where it lives on the host and how its
// Windows paths map to host paths.
//
// A machine is a folder, its root: the path in the environment variable
// ORVANE_MACHINE, or $HOME/.orvane/machine when that is unset or empty. The
// root is looked up on every call, so a process (or a test) may switch
// machines at any time. Inside the root:
//
//   drive_c/, drive_d/, ...   the drives, drive letter in lower case
//   registry.reg              the registry (see RegistryStore.h)
//   registry.lock             the lock file that serialises registry changes
//
// Every piece of the posix backend finds the machine's files through this
// header; nothing else knows the layout.
#ifndef ORVANE_OS_POSIX_MACHINE_H_
#define ORVANE_OS_POSIX_MACHINE_H_

#include <sys/stat.h>

#include <optional>
#include <string>

#include "orvane/os/Status.h"

namespace orvane::os::posix {

// The absolute host path of the machine's root, without a trailing slash.
// A relative ORVANE_MACHINE is taken relative to the current directory.
std::string MachineRoot();

// <root>/registry.reg and <root>/registry.lock.
std::string RegistryFilePath();
std::string RegistryLockPath();

// The host path of a Windows path on the machine's drives:
//
//   "X:\a\b"  -> <root>/drive_x/a/b     ("/" is accepted like "\")
//   "\a\b"    -> <root>/drive_c/a/b     (one leading separator: drive C)
//   "X:a"     -> <root>/drive_x/a       (no per-drive current directory)
//   "a\b"     -> relative to CurrentDirectory()
//
// "." and ".." components are resolved (never above the drive), repeated and
// trailing separators ignored. Each component that exists on the host is
// matched without regard to ASCII letter case, taking the exact spelling
// when it exists and otherwise the first match in byte order; the first
// component that does not exist, and every one after it, keeps the spelling
// given, so that files are created as named.
//
// Fails with kPathNotFound for UNC paths ("\\server\share") and an empty
// path, and with kInvalidName when a component holds a character that
// Windows forbids in file names (control characters, < > : " | ? *).
//
// With entry, *entry receives the lstat of the host path, or nothing when it
// does not exist: the mapping looks the path up anyway, so a caller that
// needs to know what is there asks no second time.
Expected<std::string> HostPath(const std::string& windowsPath,
                               std::optional<struct stat>* entry = nullptr);

// The host path of a directory plus one final name kept exactly as given
// (not matched against existing entries): for creating or renaming to a name
// whose letter case matters. windowsPath must name something below a drive
// root; *finalName receives the final component.
Expected<std::string> HostParentPath(const std::string& windowsPath, std::string* finalName);

// The Windows path of a host path inside one of the machine's drives
// ("<root>/drive_d/x/y" -> "D:\x\y"), or nothing when it lies elsewhere.
std::optional<std::string> WindowsPathOfHost(const std::string& hostPath);

// The machine's current directory: the process's current directory when it
// lies on one of the machine's drives (as for a program that the machine
// started), else "C:\".
std::string CurrentDirectory();

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_MACHINE_H_
