// End-to-end runs of the sslkeys program on a temporary machine whose web
// server administration programs are recording scripts.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "orvane/testing/TempMachine.h"

namespace {

constexpr char kAdministration[] = "C:\\Quenta Go\\Admin";
constexpr char kExecutables[] = "C:\\Quenta Go\\Bin";
constexpr char kRequestRecord[] = "C:\\Quenta Go\\Admin\\createkey.txt";
constexpr char kOutputLog[] = "C:\\Quenta Go\\Admin\\kelskeystdout.out";
constexpr char kErrorLog[] = "C:\\Quenta Go\\Admin\\kelskeyerr.out";
constexpr char kGeneratingText[] = "Generating self signed SSL certificate for testing purposes...";

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

class SslKeysTest : public orvane::test::MachineTest {
 protected:
  void SetUp() override {
    machine.WriteRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6]\r\n"
        "\"ETCPath\"=\"C:\\\\Quenta Go\\\\etc\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6\\Directories]\r\n"
        "\"Executables\"=\"C:\\\\Quenta Go\\\\Bin\"\r\n"
        "\"Administration\"=\"C:\\\\Quenta Go\\\\Admin\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n"
        "\"Hostname\"=\"shophost.example\"\r\n");
    machine.WriteFile(std::string(kExecutables) + "\\other.dat", "kept");
  }

  // Puts a recording script at the program's place in the administration
  // directory: each run gets a numbered folder under calls/ holding the
  // program's name, its environment, its standard input and a listing of the
  // executables directory, and prints one line to standard output and error.
  void InstallRecorder(const std::string& program) {
    const std::string windowsPath = std::string(kAdministration) + "\\" + program;
    machine.WriteFile(windowsPath,
                      "#!/bin/sh\n"
                      "calls='" + CallsFolder() + "'\n"
                      "mkdir -p \"$calls\"\n"
                      "n=$(( $(ls \"$calls\" | wc -l) + 1 ))\n"
                      "mkdir \"$calls/$n\"\n"
                      "printf '%s' '" + program + "' > \"$calls/$n/program\"\n"
                      "env > \"$calls/$n/environment\"\n"
                      "ls -A '" + machine.HostPath(kExecutables) + "' > \"$calls/$n/listing\"\n"
                      "cat > \"$calls/$n/input\"\n"
                      "echo \"" + program + " output $n\"\n"
                      "echo \"" + program + " error $n\" >&2\n");
    std::filesystem::permissions(machine.HostPath(windowsPath),
                                 std::filesystem::perms::owner_all);
  }

  std::string CallsFolder() { return machine.HostPath(kAdministration) + "/calls"; }

  // Runs sslkeys on the machine and takes what it shows on the console.
  ProgramRun RunSslKeys() {
    ProgramRun run;
    FILE* console = popen((std::string("'") + SSLKEYS_PROGRAM + "'").c_str(), "r");
    if (console == nullptr) {
      ADD_FAILURE() << "cannot start " << SSLKEYS_PROGRAM;
      return run;
    }
    char chunk[256];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, console)) > 0) run.console.append(chunk, count);
    const int status = pclose(console);
    if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
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
         "&curpass=qz&verpass=qz&stash=0&stash=1&commonname=shophost.example"
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
            "sctyin.exe output 4\nsctyout.exe output 5\n\n\nKey creation successful\n");
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
            "sslkeys: cannot run C:\\Quenta Go\\Admin\\sctyin.exe\n"
            "sctyout.exe error 4\n");
  EXPECT_NE(machine.ReadFile(kOutputLog).find("\n\nKey creation successful\n"), std::string::npos);
  // A missing request record is created, holding request 1's body alone.
  EXPECT_EQ(machine.ReadFile(kRequestRecord), KeyRequestBody());
}

}  // namespace
