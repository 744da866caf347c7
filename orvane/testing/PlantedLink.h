// Symbolic links planted where the library writes, as a hostile local user
// would plant them.
#ifndef ORVANE_TESTING_PLANTEDLINK_H_
#define ORVANE_TESTING_PLANTEDLINK_H_

#include <string>

namespace orvane::test {

// Who plants the link.
enum class Planter {
  kUserWithoutRights,  // "nobody" when the tests run as root; the folder must be 0777
  kTestUser,           // the tests' own user, for folders only an owner may write
};

// Makes linkPath (a Windows path of the machine) a symbolic link whose text
// is target: a Windows path, relative ("..\..\WINNT\httpd.cnf") or absolute,
// or on the emulated machine a host path ("/tmp/outside"). On Windows the
// link is made by CreateSymbolicLink as the tests' user. An empty result
// when the link is in place, else why not (a test skips with it).
std::string PlantLink(const std::string& linkPath, const std::string& target,
                      Planter planter = Planter::kUserWithoutRights);

}  // namespace orvane::test

#endif  // ORVANE_TESTING_PLANTEDLINK_H_
