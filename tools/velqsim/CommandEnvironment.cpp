#include "tools/velqsim/CommandEnvironment.h"

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "orvane/os/Files.h"
#include "tools/velqsim/HostSystem.h"
#include "tools/velqsim/VelqMessages.h"

namespace velqsim {
namespace os = orvane::os;
namespace {

// Command files call one another at most this deep, as the command
// interpreter limits its nesting.
constexpr int kMaxDepth = 32;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
  const std::string::size_type first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string TrimStart(const std::string& text) {
  const std::string::size_type first = text.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string Unquote(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

// Arguments as the command interpreter splits them: blanks separate, double
// quotes group and stay part of the argument.
std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (!quoted && IsBlank(c)) {
      if (!current.empty()) arguments.push_back(current);
      current.clear();
      continue;
    }
    current += c;
  }
  if (!current.empty()) arguments.push_back(current);
  return arguments;
}

std::string FileNameOf(const std::string& path) {
  const std::string::size_type slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A redirection target: the word after the operator, quoted or not.
std::string TakeTarget(const std::string& text, std::string::size_type* at) {
  std::string::size_type i = *at;
  while (i < text.size() && IsBlank(text[i])) ++i;
  std::string target;
  bool quoted = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && (IsBlank(c) || c == '>' || c == '<')) break;
    target += c;
  }
  *at = i;
  return target;
}

std::string NotRecognized(const std::string& name) {
  return "'" + name +
         "' is not recognized as an internal or external command,\n"
         "operable program or batch file.\n";
}

}  // namespace

// The redirections of one command, taken out of its text; the files are
// closed when it goes.
struct CommandEnvironment::Redirection {
  std::string command;
  FILE* out = nullptr;
  FILE* err = nullptr;
  bool errToOut = false;
  std::string failedTarget;
  unsigned long failure = 0;  // why the target could not be opened

  Redirection(const std::string& text) {
    bool quoted = false;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '"') quoted = !quoted;
      if (quoted || c != '>') {
        command += c;
        continue;
      }
      // "2>" sends the errors; a "1" or "2" belongs to the operator only
      // when it stands alone before it.
      int stream = 1;
      if (!command.empty() && (command.back() == '1' || command.back() == '2') &&
          (command.size() == 1 || IsBlank(command[command.size() - 2]))) {
        stream = command.back() - '0';
        command.pop_back();
      }
      const bool append = i + 1 < text.size() && text[i + 1] == '>';
      std::string::size_type next = i + (append ? 2 : 1);
      if (stream == 2 && text.compare(next, 2, "&1") == 0) {
        errToOut = true;
        i = next + 1;
        continue;
      }
      const std::string target = TakeTarget(text, &next);
      i = next - 1;
      FILE*& slot = stream == 2 ? err : out;
      if (slot != nullptr) std::fclose(slot);
      slot = target.empty() ? nullptr : os::OpenFile(target, append ? "a" : "w");
      if (slot == nullptr && failedTarget.empty()) {
        failedTarget = target.empty() ? ">" : target;
        failure = target.empty() ? os::kPathNotFound : os::LastError();
      }
    }
  }
  ~Redirection() {
    if (out != nullptr) std::fclose(out);
    if (err != nullptr) std::fclose(err);
  }
  Redirection(const Redirection&) = delete;
  Redirection& operator=(const Redirection&) = delete;
};

CommandEnvironment::CommandEnvironment(FILE* console)
    : m_console(console), m_knobs(Knobs::Read()) {}

int CommandEnvironment::RunLine(const std::string& line) {
  const int code = RunCommand(line, m_console, m_console);
  return m_ended || m_leaveFile ? m_exitCode : code;
}

bool CommandEnvironment::RunFile(const std::string& path,
                                 const std::vector<std::string>& arguments) {
  FILE* file = os::OpenFile(path, "r");
  if (file == nullptr) return false;
  std::vector<std::string> lines;
  std::string line;
  for (int c; (c = std::fgetc(file)) != EOF;) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  std::fclose(file);

  ++m_depth;
  for (const std::string& text : lines) {
    if (m_ended || m_leaveFile) break;
    RunCommand(SubstituteArguments(text, arguments), m_console, m_console);
  }
  --m_depth;
  m_leaveFile = false;
  return true;
}

int CommandEnvironment::RunCommand(const std::string& text, FILE* out, FILE* err) {
  std::string line = TrimStart(text);
  while (!line.empty() && line[0] == '@') line = TrimStart(line.substr(1));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty() || line[0] == ':') return 0;
  std::string word = line.substr(0, line.find_first_of(" \t"));
  const std::string lower = Lower(word);
  if (lower == "rem") return 0;

  Redirection redirection(line);
  if (redirection.out != nullptr) out = redirection.out;
  if (redirection.err != nullptr) err = redirection.err;
  if (redirection.errToOut) err = out;
  if (!redirection.failedTarget.empty()) {
    // A link at the target (or on its way) is never written through.
    std::fputs(redirection.failure == os::kAccessDenied
                   ? "Access is denied.\n"
                   : "The system cannot find the path specified.\n",
               err);
    return 1;
  }
  // Blanks before a redirection belong to the command: echo prints them.
  const std::string command = TrimStart(redirection.command);
  // "echo." prints an empty line: the full stop ends the word.
  word = command.substr(0, command.find_first_of(" \t."));
  const std::string name = Lower(word);
  const std::string rest =
      word.size() < command.size() ? command.substr(word.size() + 1) : std::string();

  if (name == "echo") {
    const std::string shown = Lower(Trim(rest));
    if (command.size() > 4 && command[4] == '.') {
      std::fputs((rest + "\n").c_str(), out);
    } else if (Trim(rest).empty()) {
      std::fputs("ECHO is on.\n", out);
    } else if (shown != "on" && shown != "off") {
      std::fputs((rest + "\n").c_str(), out);
    }
    return 0;
  }
  if (name == "call") return Call(rest, err);
  if (name == "cd" || name == "chdir") return ChangeDirectory(rest, err);
  if (name == "mkdir" || name == "md") return MakeDirectory(rest, err);
  if (name == "del" || name == "erase") return Delete(rest, err);
  if (name == "exit") {
    Exit(rest);
    return m_exitCode;
  }
  if (name == "velqstop") {
    std::fputs(VelqMessage("VELQ1064I", "VELQSTOP processing was successful.").c_str(), out);
    return 0;
  }
  if (name == "velqstart") {
    std::fputs(VelqMessage("VELQ1063I", "VELQSTART processing was successful.").c_str(), out);
    return 0;
  }
  if (name == "velq") return m_commandLine.Run(rest, out);
  // A command file named without "call" takes the place of the rest.
  if (!FindCommandFile(Unquote(word)).empty()) {
    const int code = Call(command, err);
    m_leaveFile = true;
    return code;
  }
  std::fputs(NotRecognized(word).c_str(), err);
  return 9009;
}

int CommandEnvironment::Call(const std::string& rest, FILE* err) {
  std::vector<std::string> arguments = SplitArguments(rest);
  if (arguments.empty()) return 0;
  const std::string path = FindCommandFile(Unquote(arguments[0]));
  if (path.empty()) {
    std::fputs(NotRecognized(arguments[0]).c_str(), err);
    return 9009;
  }
  if (m_depth >= kMaxDepth) {
    std::fputs("Batch nesting is too deep.\n", err);
    return 1;
  }
  const std::string called = Lower(FileNameOf(Unquote(arguments[0])));
  if (!m_knobs.hangScript.empty() && (called == Lower(m_knobs.hangScript) ||
                                      Lower(FileNameOf(path)) == Lower(m_knobs.hangScript))) {
    Hang();
    return 1;
  }
  arguments[0] = path;
  RunFile(path, arguments);
  return 0;
}

int CommandEnvironment::ChangeDirectory(const std::string& rest, FILE* err) {
  std::string target = Trim(rest);
  if (Lower(target.substr(0, 2)) == "/d") target = Trim(target.substr(2));
  target = Unquote(target);
  if (target.empty()) {
    std::fputs((velqsim::CurrentDirectory() + "\n").c_str(), m_console);
    return 0;
  }
  if (!velqsim::ChangeDirectory(target)) {
    std::fputs("The system cannot find the path specified.\n", err);
    return 1;
  }
  return 0;
}

int CommandEnvironment::MakeDirectory(const std::string& rest, FILE* err) {
  const std::string target = Unquote(Trim(rest));
  if (target.empty()) {
    std::fputs("The syntax of the command is incorrect.\n", err);
    return 1;
  }
  if (os::PathExists(target)) {
    std::fputs(("A subdirectory or file " + target + " already exists.\n").c_str(), err);
    return 1;
  }
  // The directories above it are made first, as the interpreter does.
  for (std::string::size_type at = target.find_first_of("\\/", 1); at != std::string::npos;
       at = target.find_first_of("\\/", at + 1)) {
    const std::string above = target.substr(0, at);
    if (above.size() > 2 && above.back() != ':' && !os::DirectoryExists(above)) {
      os::CreateDirectory(above);
    }
  }
  if (!os::CreateDirectory(target) && !os::DirectoryExists(target)) {
    std::fputs("The system cannot find the path specified.\n", err);
    return 1;
  }
  return 0;
}

int CommandEnvironment::Delete(const std::string& rest, FILE* err) {
  int code = 0;
  for (const std::string& argument : SplitArguments(rest)) {
    const std::string path = Unquote(argument);
    if (path.empty() || path[0] == '/') continue;  // switches such as /q
    if (!os::DeleteFile(path)) {
      std::fputs(("Could Not Find " + path + "\n").c_str(), err);
      code = 1;
    }
  }
  return code;
}

void CommandEnvironment::Exit(const std::string& rest) {
  bool leaveFileOnly = false;
  for (const std::string& argument : SplitArguments(rest)) {
    if (Lower(argument) == "/b") {
      leaveFileOnly = true;
    } else {
      m_exitCode = std::atoi(argument.c_str());
    }
  }
  if (leaveFileOnly && m_depth > 0) {
    m_leaveFile = true;
  } else {
    m_ended = true;
  }
}

void CommandEnvironment::Hang() {
  std::this_thread::sleep_for(std::chrono::seconds(m_knobs.hangSeconds));
  m_exitCode = 1;
  m_ended = true;
}

std::string FindCommandFile(const std::string& path) {
  if (path.empty()) return std::string();
  for (const char* ending : {"", ".cmd", ".bat"}) {
    const std::string candidate = path + ending;
    const std::string lower = Lower(candidate);
    const bool commandFile = lower.size() > 4 && (lower.compare(lower.size() - 4, 4, ".cmd") == 0 ||
                                                  lower.compare(lower.size() - 4, 4, ".bat") == 0);
    if (commandFile && os::PathExists(candidate) && !os::DirectoryExists(candidate)) {
      return candidate;
    }
  }
  return std::string();
}

std::string SubstituteArguments(const std::string& line,
                                const std::vector<std::string>& arguments) {
  auto argument = [&](size_t i) { return i < arguments.size() ? arguments[i] : std::string(); };
  std::string result;
  for (std::string::size_type i = 0; i < line.size(); ++i) {
    if (line[i] != '%' || i + 1 >= line.size()) {
      result += line[i];
      continue;
    }
    const char next = line[i + 1];
    if (next == '%') {
      result += '%';
      ++i;
    } else if (std::isdigit(static_cast<unsigned char>(next))) {
      result += argument(static_cast<size_t>(next - '0'));
      ++i;
    } else if (next == '~' && i + 2 < line.size() &&
               std::isdigit(static_cast<unsigned char>(line[i + 2]))) {
      result += Unquote(argument(static_cast<size_t>(line[i + 2] - '0')));
      i += 2;
    } else if (next == '*') {
      for (size_t a = 1; a < arguments.size(); ++a) result += (a > 1 ? " " : "") + arguments[a];
      ++i;
    } else {
      result += '%';
    }
  }
  return result;
}

}  // namespace velqsim
