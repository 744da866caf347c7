// velqcmd for the Windows build: the Velq command environment reduced to what
// its callers rely on. It hands its command line (a command file and its
// arguments) to the system's command interpreter, "cmd /c", and ends with
// the interpreter's exit code.
#include <windows.h>

#include <string>

namespace {

// The command line after the program's own name, as Windows passed it.
std::string ArgumentsOf(const char* commandLine) {
  const char* text = commandLine;
  if (*text == '"') {
    ++text;
    while (*text != '\0' && *text != '"') ++text;
    if (*text == '"') ++text;
  } else {
    while (*text != '\0' && *text != ' ' && *text != '\t') ++text;
  }
  while (*text == ' ' || *text == '\t') ++text;
  return text;
}

}  // namespace

int main() {
  std::string command = "cmd /c " + ArgumentsOf(GetCommandLineA());
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return 9009;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}
