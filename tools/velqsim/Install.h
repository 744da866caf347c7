// Installs the Velq stand-in into an emulated machine (or, under Wine, into
// the test's Windows):
//
//   C:\WINNT\system32\velqcmd, velq    this program, under both names (on
//                                      Windows <Velq>\BIN\velqcmd.exe, velq.exe)
//   HKLM\SOFTWARE\VXR\VELQ             "VELQ Path Name" (kept when set;
//                                      else the given directory or C:\VELQ),
//                                      and the directory with its DATA folder
//   HKLM\SOFTWARE\VXR\VELQ Extenders   the text search extension (optional)
//   HKLM\SOFTWARE\ODBC\ODBCINST.INI    the driver "VXR VELQ ODBC DRIVER", and
//                                      on Windows its set-up library
//                                      <Velq>\BIN\VELQCLI.DLL, which the
//                                      system's ODBC installer calls
//   the sample scripts                 into the given directory, or the
//                                      product's <installation>\tq_schema\VELQ
//                                      when the product is installed
// Installing again replaces the programs and scripts and keeps databases.
#ifndef TOOLS_VELQSIM_INSTALL_H_
#define TOOLS_VELQSIM_INSTALL_H_

#include <string>

namespace velqsim {

struct InstallOptions {
  std::string program;           // host path of the program to install
  std::string driverSetup;       // host path of VELQCLI.DLL to install; "" for none
  std::string velqDirectory;     // Windows path; "" for the default
  std::string scriptsDirectory;  // Windows path; "" for the product's
  bool extenders = true;
};

// What was installed, one line each, or the reason of a failure.
struct InstallResult {
  bool ok = false;
  std::string report;
};

InstallResult InstallIntoMachine(const InstallOptions& options);

// The name of the ODBC driver registered.
constexpr char kOdbcDriver[] = "VXR VELQ ODBC DRIVER";

}  // namespace velqsim

#endif  // TOOLS_VELQSIM_INSTALL_H_
