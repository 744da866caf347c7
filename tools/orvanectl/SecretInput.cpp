#include "SecretInput.h"

#include <cstdio>
#include <iostream>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace orvanectl {

namespace {

// Echo stays off while the object lives.
class EchoOff {
 public:
  EchoOff() {
#if defined(_WIN32)
    m_console = GetStdHandle(STD_INPUT_HANDLE);
    m_active = GetConsoleMode(m_console, &m_mode) != 0 &&
               SetConsoleMode(m_console, m_mode & ~ENABLE_ECHO_INPUT) != 0;
#else
    m_active = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &m_mode) == 0;
    if (m_active) {
      termios quiet = m_mode;
      quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      m_active = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
    }
#endif
  }
  ~EchoOff() {
    if (!m_active) return;
#if defined(_WIN32)
    SetConsoleMode(m_console, m_mode);
#else
    tcsetattr(STDIN_FILENO, TCSANOW, &m_mode);
#endif
    std::cerr << std::endl;
  }
  bool Active() const { return m_active; }

 private:
  bool m_active = false;
#if defined(_WIN32)
  HANDLE m_console;
  DWORD m_mode = 0;
#else
  termios m_mode{};
#endif
};

}  // namespace

std::optional<std::string> ReadSecret(const std::string& prompt) {
  EchoOff echoOff;
  if (echoOff.Active()) std::cerr << prompt << ": " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool InputIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stdin)) != 0;
#else
  return isatty(STDIN_FILENO) != 0;
#endif
}

bool Confirm(const std::string& question) {
  std::cerr << question << " [y/N] " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line == "y" || line == "yes";
}

}  // namespace orvanectl
