// Lays out an installation of an older product level (1 or 2) on the
// current machine, as that level's installer and configuration tools left
// it: the level's registry keys, each instance's main file "mserver.ini"
// with the older keyword spellings and older cipher texts, its macro
// processor, payment files, and the web server's "httpd.migr" with a
// product section.
//
// For the tests and for the command-line host's sample machines; it needs
// no test framework. It writes through the library's seam, so it works on
// whatever machine the seam works on (the emulated one: ORVANE_MACHINE).
#ifndef ORVANE_TESTING_OLDERINSTALLATION_H_
#define ORVANE_TESTING_OLDERINSTALLATION_H_

#include <string>
#include <vector>

namespace orvane::test {

// One instance of the older installation. Secrets are given in plain text
// and written in the older cipher form.
struct OlderInstance {
  std::string name;       // level 2: its registry key; level 1 has no name
  std::string directory;  // D: where its files lie (its HTML path)
  std::string host;       // web server host name (MS_HOSTNAME)
  std::string dbName;
  std::string dbUser;
  std::string dbPassword;
  std::string merchantKey;  // 16 hexadecimal digits, or empty for none
  std::string cmsPassword;
  std::string svcPrefix;
  int port = 0;  // 0: no "MS_PORT" line
  int processes = 3;
  bool cache = false;
  bool trace = false;
};

struct OlderInstallation {
  int level = 2;              // 1 or 2
  std::string installDir;     // the old installation's directory
  std::string webConfigDir;   // where "httpd.migr" goes; empty: none
  std::vector<OlderInstance> instances;  // level 1: only the first is written
};

// A complete sample: level 1 with one instance, level 2 with two (shop and
// mall), installed in C:\TQ<level>, the stores' directories in C:\WWW\html,
// the web server's configuration in webConfigDir.
OlderInstallation SampleOlderInstallation(int level, const std::string& webConfigDir);

// Writes the installation. Empty on success, else what could not be written.
std::string WriteOlderInstallation(const OlderInstallation& installation);

// The contents of each file as the older level wrote it, with "\n" line ends
// (the files are written in text mode).
std::string OlderMainFileText(const OlderInstallation& installation, const OlderInstance& instance);
std::string OlderMacroProcessorText(const OlderInstallation& installation,
                                    const OlderInstance& instance);
std::string OlderWebServerText(const OlderInstallation& installation);

}  // namespace orvane::test

#endif  // ORVANE_TESTING_OLDERINSTALLATION_H_
