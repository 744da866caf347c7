// Every host file of a test machine with its bytes, for telling that a step
// left the machine exactly as it was: on the emulated machine the whole
// machine folder (its registry included), on Windows the test's own folder
// C:\PlanTest.
#ifndef ORVANE_TESTING_MACHINEIMAGE_H_
#define ORVANE_TESTING_MACHINEIMAGE_H_

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "orvane/testing/TempMachine.h"

namespace orvane::test {

inline std::map<std::string, std::string> MachineImage(const TempMachine& machine) {
  namespace fs = std::filesystem;
#if defined(_WIN32)
  const fs::path root = machine.HostPath("C:\\PlanTest");
#else
  static_cast<void>(machine);
  const fs::path root = std::getenv("ORVANE_MACHINE");
#endif
  std::map<std::string, std::string> image;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root, error)) {
    std::string bytes = "<directory>";
    if (!entry.is_directory()) {
      std::ifstream in(entry.path(), std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    image[entry.path().string()] = bytes;
  }
  return image;
}

}  // namespace orvane::test

#endif  // ORVANE_TESTING_MACHINEIMAGE_H_
