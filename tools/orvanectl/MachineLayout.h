// The emulated machine that `orvanectl machine init` lays out.
//
// Every machine gets what Windows itself brings: the Windows directory, the
// services and hosts files (a few host names for instances), a host name and
// the virtual clock, so that service waits cost no real time. A sample
// machine adds a complete installation: the sample installation of the test
// helpers (the product's and its companions' registry records, templates,
// pages, macro files, programs, the database owner's account), and around it
// the web server as it runs: its configuration files in C:\WINNT, its
// service registered and running, its administration programs. A machine of
// level 1 or 2 also holds an older installation to migrate.
#ifndef ORVANECTL_MACHINELAYOUT_H_
#define ORVANECTL_MACHINELAYOUT_H_

#include <string>

namespace orvanectl {

struct MachineOptions {
  bool sample = false;
  int level = 3;  // 1 or 2: with an older installation of that level
  bool payment = false;
  bool hosting = false;
  bool personalization = false;
};

// Where the sample puts things, for the commands and the demo.
inline constexpr char kDatabaseOwner[] = "tqadmin";
inline constexpr const char* kInstanceHostNames[] = {"shop1.example", "shop2.example",
                                                     "shop3.example"};

// Lays the machine out on the one ORVANE_MACHINE names. False with a reason.
bool LayOutMachine(const MachineOptions& options, std::string* error);

}  // namespace orvanectl

#endif  // ORVANECTL_MACHINELAYOUT_H_
