// A Windows service for the tests of the service operations on a real
// service control manager (Windows, or Wine's).
//
//   orvane_test_service.exe [--start-seconds=N] [--stop-seconds=N]
//                           [--hang-start | --hang-stop]
//
// A start or stop takes the given seconds, reporting a wait hint of one
// second and a check point that grows four times a second, as a
// well-behaved service does. With --hang-start the start, with --hang-stop
// the stop stays pending with a check point that never grows, until the tests
// release the service through the event named by ReleaseEventName(); so that
// a test machine is not left with a stuck service, a hanging service also
// ends itself after kHangSeconds.
#include <cstdlib>
#include <cstring>
#include <string>

#include "orvane/os/win32/WindowsApi.h"
#include "orvane/testing/win32/TestServiceRelease.h"

namespace {

constexpr DWORD kTickMs = 250;
constexpr DWORD kHangSeconds = 60;

struct Settings {
  DWORD startSeconds = 0;
  DWORD stopSeconds = 0;
  bool hangStart = false;
  bool hangStop = false;
};

Settings g_settings;
SERVICE_STATUS_HANDLE g_handle = nullptr;
HANDLE g_stopRequested = nullptr;
HANDLE g_released = nullptr;
SERVICE_STATUS g_status = {};

void Report(DWORD state, DWORD checkPoint) {
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  g_status.dwWin32ExitCode = NO_ERROR;
  g_status.dwCheckPoint = checkPoint;
  g_status.dwWaitHint = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ? 1000 : 0;
  ::SetServiceStatus(g_handle, &g_status);
}

// Stays in a pending state for the given seconds, the check point growing.
void Pending(DWORD state, DWORD seconds) {
  const DWORD ticks = seconds * 1000 / kTickMs;
  for (DWORD tick = 1; tick <= ticks; ++tick) {
    Report(state, tick);
    ::Sleep(kTickMs);
  }
}

// Stays in a pending state, its check point never growing, until released.
void Hang(DWORD state) {
  Report(state, 1);
  ::WaitForSingleObject(g_released, kHangSeconds * 1000);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) {
    // Stop pending is reported before the control returns, so the caller
    // sees it at once.
    Report(SERVICE_STOP_PENDING, 1);
    ::SetEvent(g_stopRequested);
    return NO_ERROR;
  }
  return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, char** arguments) {
  g_handle = ::RegisterServiceCtrlHandlerExA(arguments[0], Control, nullptr);
  if (g_handle == nullptr) return;
  g_stopRequested = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g_released = ::CreateEventA(nullptr, TRUE, FALSE,
                              orvane::test::ReleaseEventName(arguments[0]).c_str());
  if (g_settings.hangStart) {
    Hang(SERVICE_START_PENDING);
  } else {
    Pending(SERVICE_START_PENDING, g_settings.startSeconds);
    Report(SERVICE_RUNNING, 0);
    ::WaitForSingleObject(g_stopRequested, INFINITE);
    if (g_settings.hangStop) {
      Hang(SERVICE_STOP_PENDING);
    } else {
      Pending(SERVICE_STOP_PENDING, g_settings.stopSeconds);
    }
  }
  Report(SERVICE_STOPPED, 0);
}

DWORD SecondsOption(const char* argument, const char* option) {
  const size_t length = std::strlen(option);
  return std::strncmp(argument, option, length) == 0
             ? static_cast<DWORD>(std::strtoul(argument + length, nullptr, 10))
             : 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    g_settings.startSeconds += SecondsOption(argv[i], "--start-seconds=");
    g_settings.stopSeconds += SecondsOption(argv[i], "--stop-seconds=");
    g_settings.hangStart = g_settings.hangStart || std::strcmp(argv[i], "--hang-start") == 0;
    g_settings.hangStop = g_settings.hangStop || std::strcmp(argv[i], "--hang-stop") == 0;
  }
  char name[] = "";
  SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
  return ::StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
