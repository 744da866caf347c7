// A temporary machine with Velq registered, and capture of what the command
// line and command environment print.
#ifndef TOOLS_VELQSIM_VELQTESTMACHINE_H_
#define TOOLS_VELQSIM_VELQTESTMACHINE_H_

#include <cstdio>
#include <string>

#include "orvane/testing/TempMachine.h"

namespace velqsim {

// A stream whose text can be read back.
class Capture {
 public:
  Capture() : m_file(std::tmpfile()) {}
  ~Capture() { std::fclose(m_file); }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  FILE* stream() { return m_file; }
  // Everything written so far; the capture starts empty again.
  std::string Take() {
    std::fflush(m_file);
    std::rewind(m_file);
    std::string text;
    for (int c; (c = std::fgetc(m_file)) != EOF;) text += static_cast<char>(c);
    m_file = std::freopen(nullptr, "w+", m_file);
    return text;
  }

 private:
  FILE* m_file;
};

class VelqMachineTest : public orvane::test::MachineTest {
 protected:
  VelqMachineTest() {
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ]\r\n"
        "\"VELQ Path Name\"=\"C:\\\\VELQ\"\r\n");
  }
  void SetKnob(const std::string& name, const std::string& regValue) {
    machine.WriteRegistry("[HKEY_LOCAL_MACHINE\\EMULATION\\Velq]\r\n\"" + name + "\"=" + regValue +
                          "\r\n");
  }
  static bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};

}  // namespace velqsim

#endif  // TOOLS_VELQSIM_VELQTESTMACHINE_H_
