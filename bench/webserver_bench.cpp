// KelSetISConf for 50 instances on a 5,000-line httpd.cnf, against copying
// that file with cp. The web server's service is registered stopped, so the
// run restarts nothing and no service wait is measured; each instance's host
// is looked up once, in the machine's hosts file. The runs alternate between
// two lists whose last instance moves between two hosts, so that every run
// changes httpd.cnf and servlet.cnf, as a run after an instance change does.
#include <fstream>
#include <string>

#include "bench/BenchSupport.h"
#include "orvane/config/WebServerConfig.h"
#include "orvane/core/MSInfo.h"
#include "orvane/core/MSList.h"

namespace orvane::bench {
namespace {

constexpr int kInstances = 50;
constexpr int kHttpdLines = 5000;
constexpr char kHttpdCnf[] = "C:\\WWW\\conf\\httpd.cnf";

std::string Numbered(const char* prefix, int i) {
  return prefix + std::string(i < 10 ? "0" : "") + std::to_string(i);
}

void WriteRegistry(const ScratchMachine& machine) {
  std::ofstream(machine.root() + "/registry.reg", std::ios::binary)
      << "REGEDIT4\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
         "\"TQ_INST_PATH\"=\"C:\\\\inst\"\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ]\r\n"
         "\"VELQ Path Name\"=\"C:\\\\Velq\"\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6]\r\n"
         "\"ETCpath\"=\"C:\\\\WWW\\\\conf\"\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6\\Directories]\r\n"
         "\"Executables\"=\"C:\\\\WWW\\\\bin\"\r\n"
         "\"CGI Bin Scripts\"=\"C:\\\\WWW\\\\cgi-bin\"\r\n"
         "\"HTML\"=\"C:\\\\WWW\\\\html\"\r\n"
         "\"Main Directory\"=\"C:\\\\WWW\"\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\BrenloQuentaGoWebserver]\r\n"
         "\"Type\"=dword:00000010\r\n\"Start\"=dword:00000002\r\n"
         "\"ErrorControl\"=dword:00000001\r\n\"ImagePath\"=\"C:\\\\WWW\\\\bin\\\\httpd."
         "exe\"\r\n\r\n"
         "[HKEY_LOCAL_MACHINE\\EMULATION\\Services\\BrenloQuentaGoWebserver]\r\n"
         "\"State\"=dword:00000001\r\n\r\n";
}

// An administrator's httpd.cnf: comments, settings, rules, one host line
// and one catch-all rule among them.
std::string AdministratorsHttpdCnf() {
  std::string text = "# Quenta Go Webserver configuration\r\nHostname www\r\nPort 80\r\n";
  for (int i = 3; i < kHttpdLines - 1; ++i) {
    text += i % 3 == 0 ? "# rule " + std::to_string(i) + " of the site\r\n"
                       : "Pass /site" + std::to_string(i) + "/* C:\\WWW\\html\\site" +
                             std::to_string(i) + "\\*\r\n";
  }
  return text + "Pass /* C:\\WWW\\html\\*\r\n";
}

void PrepareMachine(const ScratchMachine& machine) {
  WriteRegistry(machine);
  std::string hosts;
  for (int i = 0; i <= kInstances; ++i) {
    hosts += "10.1.0." + std::to_string(i + 1) + " " + Numbered("shop", i) + "\r\n";
  }
  machine.WriteFile("C:\\WINNT\\system32\\drivers\\etc\\hosts", hosts);
  machine.WriteFile("C:\\inst\\html\\en_US\\tqadmin\\common\\config.js",
                    "var gTQPackaging = 0;\r\n");
  machine.WriteFile(kHttpdCnf, AdministratorsHttpdCnf());
  machine.WriteFile("C:\\WWW\\conf\\servlet.cnf",
                    "JavaLibPath C:\\jdk\\lib\r\nJavaClassPath C:\\jdk\\classes\r\n");
}

// The last instance's host is shop<lastHost>.
MSList InstanceList(int lastHost) {
  MSList list;
  for (int i = 0; i < kInstances; ++i) {
    const std::string name = Numbered("s", i);
    const std::string root = "C:\\" + name;
    MSInfo info;
    info.SetName(name.c_str());
    info.SetISHost(Numbered("shop", i == kInstances - 1 ? lastHost : i).c_str());
    info.SetRootPath(root.c_str());
    info.SetHtmlPath((root + "\\html").c_str());
    info.SetDBName(name.c_str());
    info.SetMSProc(2);
    info.SetMSPort(20000 + 20 * i);
    list.Add(info, 0);
  }
  return list;
}

void SetWebServerConfig(benchmark::State& state) {
  ScratchMachine machine;
  PrepareMachine(machine);
  MSList lists[] = {InstanceList(kInstances - 1), InstanceList(kInstances)};
  int run = 0;
  for (auto _ : state) {
    if (KelSetISConf(lists[run++ % 2]) != 1) state.SkipWithError("KelSetISConf failed");
  }
}

void CopyHttpdCnf(benchmark::State& state) {
  ScratchMachine machine;
  PrepareMachine(machine);
  const std::string command = "cp " + ShellQuote(machine.HostPath(kHttpdCnf)) + " " +
                              ShellQuote(machine.root() + "/httpd.cnf.copy");
  for (auto _ : state) RunCommand(state, command);
}

const bool registered = (RegisterRow("KelSetISConf 50 instances, 5000-line httpd.cnf", 5.0,
                                     SetWebServerConfig, CopyHttpdCnf),
                         true);

}  // namespace
}  // namespace orvane::bench
