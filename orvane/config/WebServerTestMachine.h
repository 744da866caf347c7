// Test helpers of the web server configuration: a machine with the product,
// the web server, Velq and the application server registered, instance
// records, and the messages the library reports.
#ifndef ORVANE_CONFIG_WEBSERVERTESTMACHINE_H_
#define ORVANE_CONFIG_WEBSERVERTESTMACHINE_H_

#include <string>
#include <vector>

#include "orvane/core/MSInfo.h"
#include "orvane/platform/PlatformTestMachine.h"
#include "orvane/runtime/Messages.h"

namespace orvane::test {

constexpr char kInstallDir[] = "C:\\inst";
constexpr char kWebConfigDir[] = "C:\\WWW\\conf";
constexpr char kWebMainDir[] = "C:\\WWW";
constexpr char kVelqDir[] = "C:\\Velq";
constexpr char kAppServerRoot[] = "C:\\AS\\AppServer";

// A host name and the addresses it resolves to, in order.
struct TestHost {
  std::string name;
  std::vector<std::string> addresses;
};

// The instances' host names. The emulated machine's hosts file gets them;
// Windows resolves through its own resolver, which a test may not change,
// so there they are names that every Windows machine resolves alike.
#if defined(_WIN32)
inline const TestHost kShopHost = {"localhost", {"127.0.0.1"}};
inline const TestHost kOtherHost = {"127.0.0.1", {"127.0.0.1"}};
#else
inline const TestHost kShopHost = {"shophost", {"10.0.0.1", "10.0.0.2"}};
inline const TestHost kOtherHost = {"bhost", {"10.0.0.3"}};
#endif

// The texts of the messages the library handed to its host.
struct ReportedMessages {
  std::vector<std::string> errors;
  std::vector<std::string> updates;
};

class WebServerMachineTest : public PlatformMachineTest {
 protected:
  WebServerMachineTest() {
    Reported() = ReportedMessages();
    bCgiApp = 1;
    pfnError = [](const char* text) { Reported().errors.push_back(text); };
    pfnUpdate = [](const char* text) { Reported().updates.push_back(text); };
  }
  ~WebServerMachineTest() override {
    bCgiApp = 0;
    pfnError = nullptr;
    pfnUpdate = nullptr;
  }

  static ReportedMessages& Reported() {
    static ReportedMessages messages;
    return messages;
  }
  static const std::vector<std::string>& Errors() { return Reported().errors; }
  static const std::vector<std::string>& Updates() { return Reported().updates; }

  // Makes a host resolve; on Windows a host that does not skips the test.
  void AddHost(const TestHost& host) { machine.AddHost(host.name, host.addresses); }

  void RegisterProduct() {
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Tessaly Server\\3.1.2.2\\Paths]\r\n"
        "\"TQ_INST_PATH\"=" +
        RegText(kInstallDir) + "\r\n");
  }
  void RegisterWebServer() {
    const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6";
    machine.WriteRegistry(key + "]\r\n\"ETCpath\"=" + RegText(kWebConfigDir) + "\r\n" + key +
                          "\\Directories]\r\n\"Executables\"=\"C:\\\\WWW\\\\bin\"\r\n"
                          "\"CGI Bin Scripts\"=\"C:\\\\WWW\\\\cgi-bin\"\r\n"
                          "\"HTML\"=\"C:\\\\WWW\\\\html\"\r\n"
                          "\"Main Directory\"=" +
                          RegText(kWebMainDir) + "\r\n");
  }
  void RegisterVelq() {
    machine.WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ]\r\n\"VELQ Path Name\"=" +
                          RegText(kVelqDir) + "\r\n");
  }
  // The application server with its root given as its installer writes it,
  // with a trailing backslash.
  void RegisterAppServer() {
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\Corbelle Application Server\\3.5]\r\n"
        "\"APPSERVER_ROOT\"=" +
        RegText(std::string(kAppServerRoot) + "\\") + "\r\n");
  }

 public:
  // A record of web server type 0 (or type) with the given host, its root
  // C:\<name>, its HTML directory C:\<name>\html, a database and a port
  // block of its own (names that differ in their first letter do not
  // conflict).
  static MSInfo Instance(const char* name, const char* host, eISType type = eISGoWebserver) {
    MSInfo info;
    const std::string root = std::string("C:\\") + name;
    info.SetName(name);
    info.SetDBName(name);
    info.SetMSProc(2);
    info.SetMSPort(20000 + 100 * (name[0] - 'a'));
    info.SetISHost(host);
    info.SetRootPath(root.c_str());
    info.SetHtmlPath((root + "\\html").c_str());
    info.SetISType(type);
    return info;
  }
};

}  // namespace orvane::test

#endif  // ORVANE_CONFIG_WEBSERVERTESTMACHINE_H_
