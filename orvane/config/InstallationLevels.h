// Where the installations of each product level keep their instances.
//
// Level 3 is the current product level; levels 1 and 2 are older ones whose
// files are read back for migration. Every level other than 1 and 2 (0, the
// "nothing older found" answer of the version test, included) is read as
// the current one.
//
// The instance lists of the levels:
//  - current: the installation's instance data file
//    <installation>\server\admin\tqconfig.dat;
//  - level 2: one registry key per instance below the level's version key,
//    HKLM\SOFTWARE\VXR\Tessaly Server\2.0.0\Instances\<instance name>, whose
//    string value "HTML_PATH" names the instance's directory (where its
//    "mserver.ini" lies). The subkeys' order (alphabetical, letter case
//    ignored) is the list's order; a subkey without a readable "HTML_PATH"
//    names no instance;
//  - level 1: one instance, whose main file is the Windows directory's
//    "mserver.ini"; the registry tells only that the level is installed (its
//    version key exists). The record starts empty and is filled from files.
// A level whose keys (or data file) are missing has no instances: the list
// stays empty.
#ifndef ORVANE_CONFIG_INSTALLATIONLEVELS_H_
#define ORVANE_CONFIG_INSTALLATIONLEVELS_H_

#include "orvane/core/KelString.h"
#include "orvane/core/KeywordParser.h"
#include "orvane/core/MSList.h"

namespace orvane {

// The older levels are 1 and 2.
bool IsOlderLevel(int level);
// The keyword spellings of the level's files.
KeywordVariant KeywordVariantOfLevel(int level);

// The registry data of a level-2 instance list, below the version key.
constexpr char kOlderInstancesSubkey[] = "Instances";
constexpr char kOlderInstanceDirValue[] = "HTML_PATH";

// The files read back, by level.
constexpr char kCurrentMainFile[] = "tessaly.ini";
constexpr char kOlderMainFile[] = "mserver.ini";
constexpr char kCurrentWebServerFile[] = "httpd.cnf";
constexpr char kOlderWebServerFile[] = "httpd.migr";
constexpr char kMacroProcessorFile[] = "velqwww.ini";
constexpr char kBackEndPaymentFile[] = "pay_back.ini";
constexpr char kPaymentFrontEndFile[] = "pay_cashet.ini";

// The instance data file of the current level, below an installation.
KelString InstanceDataFile(const KelString& installation);

// Appends the level's instance records to list (nothing for level 1 or for
// a level that is not installed). Records of the current level carry their
// data file fields; level-2 records their name and HTML path only.
void LoadLevelInstances(MSList& list, int level);

}  // namespace orvane

#endif  // ORVANE_CONFIG_INSTALLATIONLEVELS_H_
