// Test helpers of the instance configuration files: a machine with the
// product and its companions in the registry, the instance mall, the
// messages the library shows, and files as lists of lines.
#ifndef ORVANE_CONFIG_INSTANCEFILETESTMACHINE_H_
#define ORVANE_CONFIG_INSTANCEFILETESTMACHINE_H_

#include <string>
#include <vector>

#include "orvane/core/MSInfo.h"
#include "orvane/runtime/Messages.h"
#include "orvane/testing/SampleRecord.h"
#include "orvane/testing/TempMachine.h"

namespace orvane::test {

using Lines = std::vector<std::string>;

// The bytes of a file holding lines, each ended by CR LF.
inline std::string CrLf(const Lines& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

// lines with the first line equal to from replaced by to (a test failure
// when there is none).
inline Lines Replaced(Lines lines, const std::string& from, const std::string& to) {
  for (std::string& line : lines) {
    if (line == from) {
      line = to;
      return lines;
    }
  }
  ADD_FAILURE() << "no line " << from;
  return lines;
}

// lines with added inserted after the first line equal to after.
inline Lines InsertedAfter(Lines lines, const std::string& after, const Lines& added) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == after) {
      lines.insert(lines.begin() + static_cast<long>(i) + 1, added.begin(), added.end());
      return lines;
    }
  }
  ADD_FAILURE() << "no line " << after;
  return lines;
}

// The errors shown while the fixture lives.
inline std::vector<std::string>& ShownErrors() {
  static std::vector<std::string> errors;
  return errors;
}

class InstanceFileTest : public MachineTest {
 public:
  static constexpr const char* kInstall = "D:\\Tessaly";
  static constexpr const char* kInstance = "C:\\mall\\html";

  InstanceFileTest() {
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
        "\"TQ_INST_PATH\"=\"D:\\\\Tessaly\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Corbelle Application Server\\3.5]\r\n"
        "\"ncf.jvm.classpath\"=\"C:\\\\jre\\\\\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ]\r\n"
        "\"VELQ Path Name\"=\"C:\\\\velq\"\r\n");
    ShownErrors().clear();
    bCgiApp = 1;
    pfnError = [](const char* text) { ShownErrors().push_back(text); };
  }
  ~InstanceFileTest() override {
    bCgiApp = 0;
    pfnError = nullptr;
  }

  void InstallPaymentServer() {
    machine.WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VXR Payment Server]\r\n");
  }
  // The hosting edition, installed in C:\jq.
  void InstallHostingEdition() {
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Hosting Server\\Installation Directory]\r\n"
        "\"JQ_INST_PATH\"=\"C:\\\\jq\"\r\n");
  }
  // The instance directory, for the writers that do not make it.
  void MakeInstanceDirectory() { machine.WriteFile("C:\\mall\\html\\placeholder", ""); }

  // A new record of the instance mall, its pages in kInstance.
  static MSInfo Mall() { return MallRecord(); }

  std::string Read(const std::string& name) const {
    return machine.ReadFile(std::string(kInstance) + "\\" + name);
  }
  bool Exists(const std::string& name) const {
    return machine.FileExists(std::string(kInstance) + "\\" + name);
  }
};

}  // namespace orvane::test

#endif  // ORVANE_CONFIG_INSTANCEFILETESTMACHINE_H_
