#include "Host.h"

#include <orvane/orvane.h>

#include <cstdio>
#include <iostream>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#define ORVANECTL_ISATTY _isatty
#define ORVANECTL_FILENO _fileno
#else
#include <unistd.h>
#define ORVANECTL_ISATTY isatty
#define ORVANECTL_FILENO fileno
#endif

namespace orvanectl {

namespace {

constexpr unsigned int kMsgNoInstallation = 5;
constexpr unsigned int kMsgCreateFailed = 19;
constexpr unsigned int kMsgDeleteFailed = 50;
constexpr int kBarWidth = 40;
// Without a terminal, progress is a plain line at every tenth.
constexpr int kPlainProgressStep = 10;

const char* KindName(MessageKind kind) {
  switch (kind) {
    case MessageKind::kError:
      return "error";
    case MessageKind::kInfo:
      return "info";
    case MessageKind::kStatus:
      return "status";
  }
  return "status";
}

}  // namespace

Host& Host::Get() {
  static Host host;
  return host;
}

void Host::Attach(bool json, bool quiet) {
  m_json = json;
  m_quiet = quiet;
  m_terminal = !json && ORVANECTL_ISATTY(ORVANECTL_FILENO(stdout));
  bCgiApp = 1;
  pfnError = &Host::OnError;
  pfnInfo = &Host::OnInfo;
  pfnUpdate = &Host::OnUpdate;
  pfnProgress = &Host::OnProgress;
}

void Host::OnError(const char* text) { Get().Record(MessageKind::kError, text); }
void Host::OnInfo(const char* text) { Get().Record(MessageKind::kInfo, text); }
void Host::OnUpdate(const char* text) { Get().Record(MessageKind::kStatus, text); }
void Host::OnProgress(int percent) { Get().ShowProgress(percent); }

void Host::Record(MessageKind kind, const char* text) {
  if (m_muted && kind != MessageKind::kError) return;
  if (!m_catalog) m_catalog = std::make_unique<MessageCatalog>();
  const std::string line = text == nullptr ? std::string() : std::string(text);
  m_messages.push_back({m_catalog->IdOf(line), kind, line});
  if (m_json || (m_quiet && kind != MessageKind::kError)) return;
  EndProgressLine();
  if (kind == MessageKind::kError) {
    std::cout.flush();
    std::cerr << "error: " << line << std::endl;
  } else {
    std::cout << line << std::endl;
  }
}

void Host::Error(unsigned int id, const char* arg1, const char* arg2) {
  KelShowError(id, arg1, arg2);
}

void Host::Status(unsigned int id, const char* arg1, const char* arg2) {
  KelUpdateStatus(id, arg1, arg2);
}

void Host::ErrorText(const std::string& text) {
  m_messages.push_back({0, MessageKind::kError, text});
  if (m_json) return;
  EndProgressLine();
  std::cout.flush();
  std::cerr << "error: " << text << std::endl;
}

void Host::Line(const std::string& text) {
  if (m_json) return;
  EndProgressLine();
  std::cout << text << '\n';
}

void Host::Note(const std::string& text) {
  m_messages.push_back({0, MessageKind::kStatus, text});
  if (m_json || m_quiet) return;
  EndProgressLine();
  std::cout << text << std::endl;
}

void Host::ShowProgress(int percent) {
  if (m_muted) return;
  if (percent == m_lastProgress) return;
  const int previous = m_lastProgress;
  m_lastProgress = percent;
  if (m_json || m_quiet) return;
  if (m_terminal) {
    const int filled = percent * kBarWidth / 100;
    std::cout << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] "
              << percent << "%" << std::flush;
    m_progressLineOpen = true;
  } else if (previous < 0 || percent / kPlainProgressStep != previous / kPlainProgressStep) {
    std::cout << "progress " << percent << "%" << std::endl;
  }
}

void Host::EndProgressLine() {
  if (!m_progressLineOpen) return;
  std::cout << '\n';
  m_progressLineOpen = false;
}

bool Host::Said(unsigned int id) const {
  for (const Message& message : m_messages) {
    if (message.id == id) return true;
  }
  return false;
}

std::size_t Host::ErrorCount() const {
  std::size_t errors = 0;
  for (const Message& message : m_messages) errors += message.kind == MessageKind::kError ? 1 : 0;
  return errors;
}

int Host::Finish(const std::string& command, int commandCode) {
  EndProgressLine();
  int code = commandCode;
  if (Said(kMsgNoInstallation)) {
    code = kExitNoInstallation;
  } else if (code == kExitDone && !m_planStoppedAtProgram) {
    for (const Message& message : m_messages) {
      if (message.kind == MessageKind::kError || message.id == kMsgCreateFailed ||
          message.id == kMsgDeleteFailed) {
        code = kExitFailed;
      }
    }
  }
  if (m_json) {
    nlohmann::json document;
    document["command"] = command;
    document["exit"] = code;
    document["result"] = std::move(m_result);  // the run ends here: no copy
    nlohmann::json messages = nlohmann::json::array();
    for (const Message& message : m_messages) {
      messages.push_back({{"id", message.id}, {"kind", KindName(message.kind)},
                          {"text", message.text}});
    }
    document["messages"] = messages;
    if (m_lastProgress >= 0) document["progress"] = m_lastProgress;
    // Texts are in the ANSI code page: bytes that are not UTF-8 are replaced.
    std::cout << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
              << std::endl;
  }
  std::cout.flush();
  return code;
}

}  // namespace orvanectl
