// What velqsim needs of the system it runs on beyond the seam: where a path
// of the machine is for the host's own means (SQLite opens host files), the
// current directory that command files change, the program's own file, and
// where the installed programs go.
//
// On the emulated machine paths are mapped into the machine's folder; on
// Windows (and Wine) a Windows path is the host path itself.
#ifndef TOOLS_VELQSIM_HOSTSYSTEM_H_
#define TOOLS_VELQSIM_HOSTSYSTEM_H_

#include <string>

namespace velqsim {

// The host path of a Windows path of the machine; "" when it has none.
std::string HostPathOf(const std::string& windowsPath);

// The current directory as a Windows path, and changing it (false when the
// directory does not exist).
std::string CurrentDirectory();
bool ChangeDirectory(const std::string& windowsPath);

// Makes a directory and the missing ones above it (a drive's folder on the
// emulated machine too); true when it exists.
bool MakeDirectories(const std::string& windowsPath);

// The host path of the running program ("" when unknown).
std::string ProgramFile();

// The ODBC driver's set-up library built beside the program (Windows only;
// "" elsewhere, where the emulated machine's installer needs none).
std::string DriverSetupLibrary();

// Where "velqcmd" and "velq" are installed, and a program's file name there.
// The emulated machine finds programs in its system32; on Windows the
// stand-in keeps to Velq's own BIN folder, which its callers put on the
// search path, so that nothing of the system's is replaced.
std::string ProgramDirectory(const std::string& velqDirectory);
std::string ProgramFileName(const std::string& name);

// A test's private registry (see orvane/testing/win32/RegistryRedirect.h):
// on Windows, when the environment names one, this process's registry roots
// are redirected into it, as they are in the test that started the program.
// Nothing happens elsewhere or when no sandbox is named.
void JoinRegistrySandbox();

}  // namespace velqsim

#endif  // TOOLS_VELQSIM_HOSTSYSTEM_H_
