// The installation that `orvanectl machine init` lays out on an emulated
// machine: the product's registry records and directories, the Quenta Go
// Webserver with its registry record, configuration, service and
// administration programs, the machine's host names and services file, and
// an administrator account to own the databases.
//
// The layout is data: a registry text and a table of files, so what a fresh
// machine holds can be read in one place.
#ifndef ORVANECTL_MACHINELAYOUT_H_
#define ORVANECTL_MACHINELAYOUT_H_

#include <string>

namespace orvanectl {

struct MachineOptions {
  bool payment = false;          // the payment server is installed
  bool hosting = false;          // the hosting edition is installed
  bool personalization = false;  // the personalization add-on is installed
};

// Where the layout puts things, for the commands and the demo.
inline constexpr char kInstallDirectory[] = "C:\\Tessaly";
inline constexpr char kDatabaseOwner[] = "tqadmin";
inline constexpr char kMachineHostName[] = "tessaly.example";
// Host names that the machine resolves, one per instance of the demo.
inline constexpr const char* kInstanceHostNames[] = {"shop1.example", "shop2.example",
                                                     "shop3.example"};

// Lays the installation out on the machine that ORVANE_MACHINE names (the
// folder exists and is empty). False with a reason on failure.
bool LayOutMachine(const MachineOptions& options, std::string* error);

}  // namespace orvanectl

#endif  // ORVANECTL_MACHINELAYOUT_H_
