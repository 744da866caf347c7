// Runs a program of the installation beside orvanectl (sslkeys, the port
// switch tools) and waits for it, with its output captured.
#ifndef ORVANECTL_PROGRAMRUN_H_
#define ORVANECTL_PROGRAMRUN_H_

#include <optional>
#include <string>
#include <vector>

namespace orvanectl {

struct ProgramResult {
  int exitCode;
  std::string output;  // standard output and error, interleaved
};

// The program named name (without ".exe") in orvanectl's own directory, in
// the installation's folder of private programs, or else at builtPath (where
// the build puts it); nothing when none exists.
std::optional<std::string> FindSiblingProgram(const std::string& name,
                                              const std::string& builtPath);

// Starts path with the arguments and waits; nothing when it cannot start.
std::optional<ProgramResult> RunProgram(const std::string& path,
                                        const std::vector<std::string>& arguments = {});

}  // namespace orvanectl

#endif  // ORVANECTL_PROGRAMRUN_H_
