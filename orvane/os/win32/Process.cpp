// Processes and the environment on the Win32 API (sleeping is in Clock.cpp).
#include "orvane/os/Process.h"
#include "orvane/os/Backend.h"

#include <cstdlib>

#include "orvane/os/win32/ApiStatus.h"
#include "orvane/os/win32/ScopedHandle.h"
#include "orvane/os/win32/WindowsApi.h"

namespace orvane::os::backend {

Status StartProcess(const std::string& commandLine, const std::string& workingDirectory) {
  // CreateProcessA may write into the command line it is given.
  std::vector<char> command(commandLine.begin(), commandLine.end());
  command.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup,
                        &process)) {
    return LastErrorFailure();
  }
  // Nobody waits for the child: its handles are not needed.
  ScopedKernelHandle processHandle(process.hProcess);
  ScopedKernelHandle threadHandle(process.hThread);
  return Status();
}

class ChildPipe::Impl {
 public:
  explicit Impl(FILE* stream) : m_stream(stream) {}
  FILE* stream() const { return m_stream; }
  int Close() {
    if (m_stream == nullptr) return -1;
    int exitCode = ::_pclose(m_stream);
    m_stream = nullptr;
    return exitCode;
  }

 private:
  FILE* m_stream;
};

Expected<ChildPipe> ChildPipe::Open(const std::string& commandLine) {
  // _popen runs the command line through the command interpreter, as popen
  // runs it through the shell.
  ::SetLastError(ERROR_SUCCESS);
  FILE* stream = ::_popen(commandLine.c_str(), "w");
  if (stream == nullptr) return LastErrorFailure();
  return ChildPipe(std::make_unique<Impl>(stream));
}

ChildPipe::ChildPipe(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ChildPipe::ChildPipe(ChildPipe&&) noexcept = default;
ChildPipe& ChildPipe::operator=(ChildPipe&& other) noexcept {
  if (this != &other) {
    Close();
    m_impl = std::move(other.m_impl);
  }
  return *this;
}
ChildPipe::~ChildPipe() { Close(); }

FILE* ChildPipe::stream() { return m_impl != nullptr ? m_impl->stream() : nullptr; }

int ChildPipe::Close() { return m_impl != nullptr ? m_impl->Close() : -1; }

Status SetEnvironmentVariable(const std::string& name, const std::string& value) {
  // The C runtime keeps a copy of the environment for getenv and _popen;
  // CreateProcess passes on the process environment. The runtime's _putenv
  // removes a variable set to "", so the process environment is set after it.
  if (::_putenv_s(name.c_str(), value.c_str()) != 0) return Status::Failure(kInvalidParameter);
  if (!::SetEnvironmentVariableA(name.c_str(), value.c_str())) return LastErrorFailure();
  return Status();
}

}  // namespace orvane::os::backend
