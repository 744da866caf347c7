// The host side of the library's messages: the callbacks, what they say, and
// how it reaches people (lines, a progress bar) or scripts (one JSON document
// per command).
//
// The library's callbacks are plain function pointers, so one Host serves the
// whole process. Status lines go to standard output, errors to standard
// error; with --json nothing is printed while the command runs and the
// document at the end carries every message with its id, kind and text.
#ifndef ORVANECTL_HOST_H_
#define ORVANECTL_HOST_H_

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

#include "MessageCatalog.h"

namespace orvanectl {

// The exit codes of every command.
enum ExitCode : int {
  kExitDone = 0,
  kExitFailed = 1,          // the operation reported a failure
  kExitUsage = 2,           // the command line was wrong
  kExitRefused = 3,         // a value broke a rule or conflicts with an instance
  kExitNoInstallation = 4,  // no machine, no installation, or a data file not loaded whole
  kExitUnknownInstance = 5,  // no instance of that name
};

// status NAME answers with the codes of service managers instead.
enum StatusExitCode : int {
  kExitStatusRunning = 0,
  kExitStatusStopped = 3,
  kExitStatusUnknown = 4,  // no such instance, or nothing to look it up in
};

enum class MessageKind { kError, kInfo, kStatus };

struct Message {
  unsigned int id;  // 0 for the host's own texts
  MessageKind kind;
  std::string text;
};

class Host {
 public:
  // The process's host; Attach hands its callbacks to the library.
  static Host& Get();
  // quiet leaves out every status and information line (errors and the
  // output a command was asked for stay).
  void Attach(bool json, bool quiet = false);

  bool Json() const { return m_json; }

  // The library's message id through the library's own display functions,
  // so that what the host says reads like what the library says.
  void Error(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr);
  void Status(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr);
  // A text of the host's own that the table does not hold.
  void ErrorText(const std::string& text);
  // Output for people (a table row, a field); in the JSON document the
  // command's result carries the same facts.
  void Line(const std::string& text);
  // A status line of the host's own ("instance shop1 added to ..."): printed
  // as the library's status messages are, and among the JSON messages.
  void Note(const std::string& text);

  // The facts a command produced, for the JSON document.
  nlohmann::json& Result() { return m_result; }

  // The exit code from what the command returned and what was said: message
  // 5 means no installation; an error or a summary of failure (19, 50) means
  // the operation failed although its results may not show it. Prints the
  // JSON document.
  int Finish(const std::string& command, int commandCode);

  bool Said(unsigned int id) const;
  // The errors said so far: the library reports some failures only so.
  std::size_t ErrorCount() const;

  // A plan that reached a program it does not run cannot know what follows:
  // the library's errors after it tell of the unknown result, not of a
  // failure, and leave the exit code alone.
  void PlanStoppedAtProgram() { m_planStoppedAtProgram = true; }

  // While one lives, the library's status and information messages and its
  // progress are dropped (errors stay): for the library's work that a
  // command does on the side, such as verify's plans of re-creation.
  class Muted {
   public:
    Muted() { Get().m_muted = true; }
    ~Muted() { Get().m_muted = false; }
    Muted(const Muted&) = delete;
    Muted& operator=(const Muted&) = delete;
  };

 private:
  Host() = default;
  static void OnError(const char* text);
  static void OnInfo(const char* text);
  static void OnUpdate(const char* text);
  static void OnProgress(int percent);
  void Record(MessageKind kind, const char* text);
  void ShowProgress(int percent);
  void EndProgressLine();

  bool m_json = false;
  bool m_quiet = false;
  bool m_muted = false;
  bool m_planStoppedAtProgram = false;
  bool m_terminal = false;
  std::unique_ptr<MessageCatalog> m_catalog;  // loaded on the first message
  std::vector<Message> m_messages;
  nlohmann::json m_result = nlohmann::json::object();
  int m_lastProgress = -1;
  bool m_progressLineOpen = false;
};

}  // namespace orvanectl

#endif  // ORVANECTL_HOST_H_
