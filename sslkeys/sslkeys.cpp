// sslkeys: sets up SSL on the Quenta Go Webserver with a self-signed test
// certificate.
//
// It submits five forms, one after the other, to the web server's security
// administration programs: create a test key ring with one key and a
// certificate request, receive the certificate into it, turn SSL on at port
// 443, and complete the two password and root forms. The console shows only
// message 93; everything printed from then on, by the tool and by the
// administration programs, goes to two logs beside those programs.
//
// A program that cannot be run does not stop the run: the error log names
// it, the following forms are still posted and the success text is written,
// as the tool's documentation has it. Exit status: 0 when all five forms were
// posted (what the administration programs made of them is only in the
// logs), 1 when a program could not be run; alike on every platform, since
// a missing program is found before the command interpreter is asked.
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>

#include "orvane/core/KelString.h"
#include "orvane/os/Files.h"
#include "orvane/os/Network.h"
#include "orvane/runtime/Messages.h"
#include "sslkeys/FormRequest.h"
#include "sslkeys/WebServerDirectories.h"

namespace {

namespace os = orvane::os;

// The test key ring's one word: key name, key ring password, certificate
// label and base name of the key ring files.
constexpr char kTestKeyWord[] = "qz";
constexpr unsigned int kGeneratingMessage = 93;
// A host name as the sockets interface hands it over: at most 64 characters.
constexpr std::size_t kMaxHostNameLength = 64;
constexpr int kRequestCount = 5;

struct ToolPaths {
  KelString keyRing;
  KelString certificateRequest;
  KelString passwordStash;
  KelString keyProgram;
  KelString passwordProgram;
  KelString requestRecord;
  KelString outputLog;
  KelString errorLog;
};

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// The local host name; empty when it cannot be read, which leaves the
// certificate's common name empty.
KelString ReadLocalHostName() {
  os::SocketLayerScope socketLayer;
  os::Expected<std::string> name = os::LocalHostName();
  if (!name) return KelString();
  return name->substr(0, kMaxHostNameLength).c_str();
}

ToolPaths BuildToolPaths(const KelString& executablesDirectory,
                         const KelString& administrationDirectory) {
  const KelString keyWord = kTestKeyWord;
  ToolPaths paths;
  paths.keyRing = executablesDirectory ^ (keyWord + ".kyr");
  paths.certificateRequest = executablesDirectory ^ (keyWord + ".txt");
  paths.passwordStash = executablesDirectory ^ (keyWord + ".sth");
  paths.keyProgram = administrationDirectory ^ "sctyout.exe";
  paths.passwordProgram = administrationDirectory ^ "sctyin.exe";
  paths.requestRecord = administrationDirectory ^ "createkey.txt";
  paths.outputLog = administrationDirectory ^ kSslKeysOutputLog;
  paths.errorLog = administrationDirectory ^ kSslKeysErrorLog;
  return paths;
}

// The request record is kept: opened for update without truncation, and
// created when missing.
FilePtr OpenRequestRecord(const KelString& path) {
  FilePtr record(os::OpenFile(static_cast<const char*>(path), "r+"));
  if (!record) record.reset(os::OpenFile(static_cast<const char*>(path), "w+"));
  return record;
}

void DeleteStaleKeyRing(const ToolPaths& paths) {
  for (const KelString* path : {&paths.keyRing, &paths.certificateRequest, &paths.passwordStash}) {
    os::DeleteFile(static_cast<const char*>(*path));
  }
}

// Request 1: a key and a certificate request in a new key ring.
void FillKeyRequest(FormRequest& request, const ToolPaths& paths, const KelString& hostName) {
  request.SetVariable("PATH_INFO", "otherca");
  request.AddField("keyname", kTestKeyWord);
  request.AddField("keysize", "512");
  request.AddField("keyfile", paths.keyRing);
  request.AddField("curpass", kTestKeyWord);
  request.AddField("verpass", kTestKeyWord);
  request.AddField("stash", "0");
  request.AddField("stash", "1");
  request.AddField("commonname", hostName);
  request.AddField("orgunit", "aaaaaa");
  request.AddField("organization", "bbbbbb");
  request.AddField("city", "cccccc");
  request.AddField("state", "ont");
  request.AddField("zipcode", "a1a 1a1");
  request.AddField("country", "ca");
  request.AddField("useremail", "");
  request.AddField("caemail", "");
  request.AddField("caemail", "");
  request.AddField("certreq", paths.certificateRequest);
  request.AddField("pushbutton", "Apply");
}

// Request 2: the certificate received into the key ring.
void FillCertificateReceipt(FormRequest& request, const ToolPaths& paths) {
  request.SetVariable("PATH_INFO", "reccert");
  request.AddField("certrep", paths.certificateRequest);
  request.AddField("keyfile", paths.keyRing);
  request.AddField("curpass", kTestKeyWord);
  request.AddField("pushbutton", "Apply");
}

// Request 3: the security configuration, SSL on port 443.
void FillSecurityConfiguration(FormRequest& request, const ToolPaths& paths) {
  request.SetVariable("PATH_INFO", "secconf");
  request.AddField("normalmode", "0");
  request.AddField("normalmode", "1");
  request.AddField("sslmode", "0");
  request.AddField("sslmode", "1");
  request.AddField("sslport", "443");
  request.AddField("SSLClient", "0");
  request.AddField("keyfilelist", paths.keyRing);
  request.AddField("action1", "2");
  request.AddField("keyfile", "");
  request.AddField("action2", "1");
  request.AddField("ssllabel", "");
  request.AddField("sslipaddress", "");
  request.AddField("list", "0");
  request.AddField("pushbutton", "Apply");
}

// Request 4: the password prompt, naming the form that follows.
void FillPasswordPrompt(FormRequest& request) {
  request.SetVariable("PATH_INFO", "\\pwprompt");
  request.AddField("hiddenpw", kTestKeyWord);
  request.AddField("htmlform", "desroot");
  request.AddField("pushbutton", "Apply");
}

// Request 5: the root certificate form.
void FillRootCertificate(FormRequest& request) {
  request.SetVariable("PATH_INFO", "desroot");
  request.AddField("certlist", kTestKeyWord);
  request.AddField("pushbutton", "Apply");
  request.AddField("hiddenpw", kTestKeyWord);
}

// Posts one form; false, with a line in the error log, when the program is
// not there or cannot be started.
bool Post(const KelString& program, const KelString& body) {
  if (os::PathExists(static_cast<const char*>(program)) &&
      FormRequest::PostFormRequest(program, body)) {
    return true;
  }
  std::fprintf(stderr, "sslkeys: cannot run %s\n", static_cast<const char*>(program));
  std::fflush(stderr);
  return false;
}

void ShowGeneratingMessage() {
  KelString text;
  KelLoadMessage(text, kGeneratingMessage);
  std::fputs(text, stdout);
  std::fflush(stdout);
}

}  // namespace

int main() {
  const KelString hostName = ReadLocalHostName();
  KelString executablesDirectory;
  KelString configurationFile;
  KelString administrationDirectory;
  // Not examined: without a registered web server the paths start at the
  // root of the drive and the programs are not found.
  GetWebServerDirectories(executablesDirectory, configurationFile, administrationDirectory);
  const ToolPaths paths = BuildToolPaths(executablesDirectory, administrationDirectory);

  FilePtr requestRecord = OpenRequestRecord(paths.requestRecord);
  DeleteStaleKeyRing(paths);

  FormRequest requests[kRequestCount];
  for (FormRequest& request : requests) {
    request.SetVariable("REQUEST_METHOD", "POST");
    request.SetVariable("SERVER_ROOT", executablesDirectory);
    request.SetVariable("RULE_FILE", configurationFile);
  }
  FillKeyRequest(requests[0], paths, hostName);
  FillCertificateReceipt(requests[1], paths);
  FillSecurityConfiguration(requests[2], paths);
  FillPasswordPrompt(requests[3]);
  FillRootCertificate(requests[4]);
  const KelString* programs[kRequestCount] = {&paths.keyProgram, &paths.keyProgram,
                                              &paths.keyProgram, &paths.passwordProgram,
                                              &paths.keyProgram};

  ShowGeneratingMessage();
  FILE* outputLog = os::ReopenFile(static_cast<const char*>(paths.outputLog), "w", stdout);
  FILE* errorLog = os::ReopenFile(static_cast<const char*>(paths.errorLog), "w", stderr);

  bool allRun = true;
  for (int index = 0; index < kRequestCount; ++index) {
    KelString body;
    requests[index].ExportEnvironment();
    requests[index].GetBody(body);
    if (!Post(*programs[index], body)) allRun = false;
    if (index == 0 && requestRecord) std::fputs(body, requestRecord.get());
  }

  if (errorLog != nullptr) std::fclose(errorLog);
  if (outputLog != nullptr) {
    std::fputs("\n\nKey creation successful\n", outputLog);
    std::fclose(outputLog);
  }
  return allRun ? 0 : 1;
}
