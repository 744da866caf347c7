// End-to-end runs of the sslkeys program on a temporary machine whose web
// server administration programs are copies of a recording program.
//
// On Windows (under Wine) sslkeys runs as a process of its own and reads the
// real registry: the web server's record is put there for the test and
// removed afterwards, so the tests run only under Wine, never on a real
// machine whose web server they would change.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include "orvane/os/Network.h"
#include "orvane/testing/Emulation.h"
#endif

#include "orvane/testing/ProgramPipe.h"
#include "orvane/testing/TempMachine.h"

namespace {

constexpr char kAdministration[] = "C:\\Quenta Go\\Admin";
constexpr char kExecutables[] = "C:\\Quenta Go\\Bin";
constexpr char kRequestRecord[] = "C:\\Quenta Go\\Admin\\createkey.txt";
constexpr char kOutputLog[] = "C:\\Quenta Go\\Admin\\kelskeystdout.out";
constexpr char kErrorLog[] = "C:\\Quenta Go\\Admin\\kelskeyerr.out";
constexpr char kGeneratingText[] = "Generating self signed SSL certificate for testing purposes...";
constexpr char kWebServerRecord[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6]\r\n"
    "\"ETCPath\"=\"C:\\\\Quenta Go\\\\etc\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6\\Directories]\r\n"
    "\"Executables\"=\"C:\\\\Quenta Go\\\\Bin\"\r\n"
    "\"Administration\"=\"C:\\\\Quenta Go\\\\Admin\"\r\n";

// The line end of the text that sslkeys itself writes to its logs.
#if defined(_WIN32)
constexpr char kLineEnd[] = "\r\n";
#else
constexpr char kLineEnd[] = "\n";
#endif

// The key ring path and certificate request path as the form encodes them.
constexpr char kEncodedKeyRing[] = "C%3A%5CQuenta Go%5CBin%5Cqz.kyr";
constexpr char kEncodedCertificateRequest[] = "C%3A%5CQuenta Go%5CBin%5Cqz.txt";

// What one administration program saw when it ran.
struct Call {
  std::string program;
  std::map<std::string, std::string> environment;
  std::string input;
  std::string executablesListing;  // the executables directory, one name a line
};

struct ProgramRun {
  int exitStatus = -1;
  std::string console;
};

std::string ReadHostFile(const std::string& hostPath) {
  std::ifstream file(hostPath, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void SetVariable(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

// The host name that sslkeys puts into the certificate request.
std::string ExpectedHostName() {
#if defined(_WIN32)
  orvane::os::SocketLayerScope socketLayer;
  orvane::os::Expected<std::string> name = orvane::os::LocalHostName();
  return name ? name->substr(0, 64) : std::string();
#else
  return "shophost.example";
#endif
}

class SslKeysTest : public orvane::test::MachineTest {
 protected:
  void SetUp() override {
#if defined(_WIN32)
    if (!orvane::test::RunningUnderWine()) {
      GTEST_SKIP() << "puts a web server record into the real registry: runs under Wine only";
    }
    ImportIntoRealRegistry(std::string("REGEDIT4\r\n") + kWebServerRecord);
#else
    machine.WriteRegistry(std::string(kWebServerRecord) +
                          "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\"
                          "Parameters]\r\n\"Hostname\"=\"shophost.example\"\r\n");
#endif
    machine.WriteFile(std::string(kExecutables) + "\\other.dat", "kept");
    SetVariable("RECORDER_CALLS", CallsFolder());
    SetVariable("RECORDER_LISTED", machine.HostPath(kExecutables));
  }

#if defined(_WIN32)
  void TearDown() override {
    if (orvane::test::RunningUnderWine()) {
      ImportIntoRealRegistry("REGEDIT4\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo]\r\n");
    }
  }

  // The web server's record where sslkeys, another process, finds it.
  void ImportIntoRealRegistry(const std::string& text) {
    const std::string file = machine.HostPath(kExecutables) + "\\..\\record.reg";
    machine.WriteFile(file, text);
    EXPECT_EQ(std::system(("regedit.exe /S \"" + file + "\"").c_str()), 0);
    std::remove(file.c_str());
  }
#endif

  // Puts a copy of the recording program at the program's place in the
  // administration directory.
  void InstallRecorder(const std::string& program) {
    const std::string windowsPath = std::string(kAdministration) + "\\" + program;
    machine.WriteFile(windowsPath, ReadHostFile(RECORDER_PROGRAM));
    std::filesystem::permissions(machine.HostPath(windowsPath),
                                 std::filesystem::perms::owner_all);
  }

  std::string CallsFolder() { return machine.HostPath(kAdministration) + "/calls"; }

  // Runs sslkeys on the machine and takes what it shows on the console.
  ProgramRun RunSslKeys() {
    ProgramRun run;
    const std::optional<int> status =
        orvane::test::RunProgram(orvane::test::ProgramCommand(SSLKEYS_PROGRAM), &run.console);
    if (!status) {
      ADD_FAILURE() << "cannot start " << SSLKEYS_PROGRAM;
    } else {
      run.exitStatus = *status;
    }
    return run;
  }

  std::vector<Call> RecordedCalls() {
    std::vector<Call> calls;
    for (int number = 1; std::filesystem::exists(CallsFolder() + "/" + std::to_string(number));
         ++number) {
      const std::string folder = CallsFolder() + "/" + std::to_string(number);
      Call call;
      call.program = ReadHostFile(folder + "/program");
      std::istringstream environment(ReadHostFile(folder + "/environment"));
      for (std::string line; std::getline(environment, line);) {
        const std::string::size_type equals = line.find('=');
        if (equals != std::string::npos) {
          call.environment[line.substr(0, equals)] = line.substr(equals + 1);
        }
      }
      call.input = ReadHostFile(folder + "/input");
      call.executablesListing = ReadHostFile(folder + "/listing");
      calls.push_back(call);
    }
    return calls;
  }
};

std::string KeyRequestBody() {
  return std::string("keyname=qz&keysize=512&keyfile=") + kEncodedKeyRing +
         "&curpass=qz&verpass=qz&stash=0&stash=1&commonname=" + ExpectedHostName() +
         "&orgunit=aaaaaa&organization=bbbbbb&city=cccccc&state=ont&zipcode=a1a 1a1"
         "&country=ca&useremail=&caemail=&caemail=&certreq=" +
         kEncodedCertificateRequest + "&pushbutton=Apply";
}

TEST_F(SslKeysTest, PostsTheFiveFormsInOrder) {
  InstallRecorder("sctyout.exe");
  InstallRecorder("sctyin.exe");
  for (const char* stale : {"qz.kyr", "qz.txt", "qz.sth"}) {
    machine.WriteFile(std::string(kExecutables) + "\\" + stale, "stale");
  }
  machine.WriteFile(kOutputLog, "old output log\r\n");
  machine.WriteFile(kErrorLog, "old error log\r\n");
  const std::string oldRecord = std::string(400, 'o') + "|old tail\r\n";
  machine.WriteFile(kRequestRecord, oldRecord);

  const ProgramRun run = RunSslKeys();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.console, kGeneratingText);

  struct Expected {
    const char* program;
    const char* pathInfo;
    std::string body;
  };
  const Expected expected[] = {
      {"sctyout.exe", "otherca", KeyRequestBody()},
      {"sctyout.exe", "reccert",
       std::string("certrep=") + kEncodedCertificateRequest + "&keyfile=" + kEncodedKeyRing +
           "&curpass=qz&pushbutton=Apply"},
      {"sctyout.exe", "secconf",
       std::string("normalmode=0&normalmode=1&sslmode=0&sslmode=1&sslport=443&SSLClient=0"
                   "&keyfilelist=") +
           kEncodedKeyRing +
           "&action1=2&keyfile=&action2=1&ssllabel=&sslipaddress=&list=0&pushbutton=Apply"},
      {"sctyin.exe", "\\pwprompt", "hiddenpw=qz&htmlform=desroot&pushbutton=Apply"},
      {"sctyout.exe", "desroot", "certlist=qz&pushbutton=Apply&hiddenpw=qz"},
  };
  const std::vector<Call> calls = RecordedCalls();
  ASSERT_EQ(calls.size(), 5u);
  for (std::size_t index = 0; index < calls.size(); ++index) {
    SCOPED_TRACE("request " + std::to_string(index + 1));
    const Call& call = calls[index];
    EXPECT_EQ(call.program, expected[index].program);
    EXPECT_EQ(call.input, expected[index].body + "-1");
    EXPECT_EQ(call.environment.at("CONTENT_LENGTH"), std::to_string(expected[index].body.size()));
    EXPECT_EQ(call.environment.at("PATH_INFO"), expected[index].pathInfo);
    EXPECT_EQ(call.environment.at("REQUEST_METHOD"), "POST");
    EXPECT_EQ(call.environment.at("SERVER_ROOT"), kExecutables);
    EXPECT_EQ(call.environment.at("RULE_FILE"), "C:\\Quenta Go\\etc\\httpd.cnf");
  }
  // The stale key ring was gone before the first form was posted.
  EXPECT_EQ(calls[0].executablesListing, "other.dat\n");

  // The logs are recreated and hold what the programs printed; the request
  // record keeps its old tail after request 1's body.
  EXPECT_EQ(machine.ReadFile(kOutputLog),
            "sctyout.exe output 1\nsctyout.exe output 2\nsctyout.exe output 3\n"
            "sctyin.exe output 4\nsctyout.exe output 5\n" + std::string(kLineEnd) + kLineEnd +
                "Key creation successful" + kLineEnd);
  EXPECT_EQ(machine.ReadFile(kErrorLog),
            "sctyout.exe error 1\nsctyout.exe error 2\nsctyout.exe error 3\n"
            "sctyin.exe error 4\nsctyout.exe error 5\n");
  const std::string body = KeyRequestBody();
  EXPECT_EQ(machine.ReadFile(kRequestRecord), body + oldRecord.substr(body.size()));
}

TEST_F(SslKeysTest, AMissingProgramIsLoggedAndTheRunGoesOn) {
  InstallRecorder("sctyout.exe");

  const ProgramRun run = RunSslKeys();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.console, kGeneratingText);

  // Request 4 found no sctyin.exe; requests 1 to 3 and 5 went out.
  const std::vector<Call> calls = RecordedCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[2].environment.at("PATH_INFO"), "secconf");
  EXPECT_EQ(calls[3].environment.at("PATH_INFO"), "desroot");
  EXPECT_EQ(machine.ReadFile(kErrorLog),
            "sctyout.exe error 1\nsctyout.exe error 2\nsctyout.exe error 3\n"
            "sslkeys: cannot run C:\\Quenta Go\\Admin\\sctyin.exe" + std::string(kLineEnd) +
                "sctyout.exe error 4\n");
  EXPECT_NE(machine.ReadFile(kOutputLog).find("Key creation successful"), std::string::npos);
  // A missing request record is created, holding request 1's body alone.
  EXPECT_EQ(machine.ReadFile(kRequestRecord), KeyRequestBody());
}

}  // namespace
