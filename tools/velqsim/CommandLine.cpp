#include "tools/velqsim/CommandLine.h"

#include <cctype>
#include <cstdio>

#include "orvane/os/Files.h"
#include "tools/velqsim/VelqMessages.h"

namespace velqsim {
namespace os = orvane::os;
namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 4;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  const std::string::size_type first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// True when words, from index start on, begin with the keywords (letter case
// ignored); "db" stands for "database" as the command line allows.
bool Keywords(const std::vector<std::string>& words, size_t start,
              std::initializer_list<const char*> keywords) {
  size_t i = start;
  for (const char* keyword : keywords) {
    if (i >= words.size()) return false;
    const std::string word = Lower(words[i++]);
    if (word != keyword && !(word == "db" && std::string(keyword) == "database")) return false;
  }
  return true;
}

// The word after a keyword, from index start on; "" when there is none.
std::string ValueAfter(const std::vector<std::string>& words, size_t start, const char* keyword) {
  for (size_t i = start; i + 1 < words.size(); ++i) {
    if (Lower(words[i]) == keyword) return words[i + 1];
  }
  return std::string();
}

std::string Failure(bool* failed, const std::string& message) {
  *failed = true;
  return message;
}

std::string InvalidName(const std::string& name) {
  return VelqMessage("SQL1001N", "\"" + name + "\" is not a valid database name.  SQLSTATE=2E000");
}

std::string NotInstalled() {
  return VelqMessage("VELQ1000E",
                     "The Velq installation cannot be found: the registry holds no "
                     "\"VELQ Path Name\" or its directory cannot be made.");
}

std::string Entry(const char* label, const std::string& value, size_t width) {
  std::string line = std::string(" ") + label;
  line.resize(width, ' ');
  return line + "= " + value + "\n";
}

// The statements of a command file: one a line, or, with terminators, each
// ended by ";" outside quotes; "--" outside quotes starts a comment.
std::vector<std::string> SplitStatements(const std::string& text, bool terminated) {
  std::vector<std::string> statements;
  std::string current;
  char quote = 0;
  auto finish = [&] {
    const std::string statement = Trim(current);
    if (!statement.empty()) statements.push_back(statement);
    current.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote == 0 && c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
      while (i < text.size() && text[i] != '\n') ++i;
      if (!terminated) finish();
      continue;
    }
    if (quote == 0 && (c == '\'' || c == '"')) {
      quote = c;
    } else if (c == quote) {
      quote = 0;
    }
    if (quote == 0 && ((terminated && c == ';') || (!terminated && c == '\n'))) {
      finish();
      continue;
    }
    current += (c == '\r' || c == '\n') ? ' ' : c;
  }
  finish();
  return statements;
}

}  // namespace

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (char c : text) {
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else {
        word += c;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
      inWord = true;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

struct CommandLine::Options {
  bool terminated = false;
  bool echo = false;
  bool stopOnError = false;
  std::string file;
  std::string log;
  std::string command;  // what follows the options
};

CommandLine::CommandLine() : m_store(VelqStore::Open()), m_knobs(Knobs::Read()) {}

CommandLine::~CommandLine() = default;

int CommandLine::Run(const std::string& commandText, FILE* out) {
  std::string text = Trim(commandText);
  Options options;
  // Options come first: "-tvf file", "-z log", ...
  while (!text.empty() && text[0] == '-') {
    std::vector<std::string> words = SplitWords(text);
    const std::string letters = words[0].substr(1);
    size_t used = 1;
    for (char letter : letters) {
      switch (std::tolower(static_cast<unsigned char>(letter))) {
        case 't':
          options.terminated = true;
          break;
        case 'v':
          options.echo = true;
          break;
        case 's':
          options.stopOnError = true;
          break;
        case 'f':
          options.file = used < words.size() ? words[used++] : "";
          break;
        case 'z':
          options.log = used < words.size() ? words[used++] : "";
          break;
        default:
          break;
      }
    }
    std::string rest;
    for (size_t i = used; i < words.size(); ++i) rest += (i > used ? " " : "") + words[i];
    // Quoted words lose their quotes here; a quoted statement after options
    // is one word and stays whole.
    text = used < words.size() ? rest : std::string();
  }
  options.command = text;

  FILE* log = options.log.empty() ? nullptr : os::OpenFile(options.log, "a");
  auto print = [&](const std::string& output) {
    std::fputs(output.c_str(), out);
    if (log != nullptr) std::fputs(output.c_str(), log);
  };
  int code = kSuccess;
  if (!options.file.empty()) {
    // The statements of a file, each echoed when asked and followed by its output.
    FILE* file = os::OpenFile(options.file, "r");
    if (file == nullptr) {
      print(VelqMessage("VELQ10009E",
                        "The command line cannot open the input file \"" + options.file + "\".") +
            "\n");
      code = kFailure;
    } else {
      std::string content;
      char buffer[4096];
      for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        content.append(buffer, got);
      }
      std::fclose(file);
      for (const std::string& statement : SplitStatements(content, options.terminated)) {
        bool failed = false;
        std::string output = RunCommand(statement, &failed);
        print((options.echo ? statement + "\n" : std::string()) + output + "\n");
        if (failed) code = kFailure;
        if (failed && options.stopOnError) break;
      }
    }
  } else if (!options.command.empty()) {
    bool failed = false;
    print(RunCommand(options.command, &failed) + "\n");
    if (failed) code = kFailure;
  }
  if (log != nullptr) std::fclose(log);
  return code;
}

std::string CommandLine::RunCommand(const std::string& commandText, bool* failed) {
  *failed = false;
  std::string command = Trim(commandText);
  // A statement given in quotes is one statement.
  if (command.size() >= 2 && command.front() == '"' && command.back() == '"') {
    command = Trim(command.substr(1, command.size() - 2));
  }
  const std::vector<std::string> words = SplitWords(command);
  if (words.empty()) return std::string();
  if (Keywords(words, 0, {"terminate"}) || Keywords(words, 0, {"connect", "reset"}) ||
      Keywords(words, 0, {"disconnect"})) {
    m_session.reset();
    m_connectedAlias.clear();
    return Keywords(words, 0, {"terminate"}) ? CommandCompleted("TERMINATE")
                                             : VelqMessage("VELQ20000I",
                                                           "The SQL command completed "
                                                           "successfully.");
  }
  if (Keywords(words, 0, {"connect", "to"})) return Connect(words, failed);
  const bool directoryCommand =
      Keywords(words, 0, {"create", "database"}) || Keywords(words, 0, {"drop", "database"}) ||
      Keywords(words, 0, {"list", "database", "directory"}) ||
      Keywords(words, 0, {"list", "node", "directory"}) || Keywords(words, 0, {"catalog"}) ||
      Keywords(words, 0, {"uncatalog"});
  if (!directoryCommand) return Sql(command, failed);
  if (!m_store) return Failure(failed, NotInstalled());
  if (Keywords(words, 0, {"create", "database"})) return CreateDatabase(words, failed);
  if (Keywords(words, 0, {"drop", "database"})) return DropDatabase(words, failed);
  if (Keywords(words, 0, {"list", "database", "directory"})) return ListDatabases();
  if (Keywords(words, 0, {"list", "node", "directory"})) return ListNodes();
  if (Keywords(words, 0, {"catalog", "tcpip", "node"})) return CatalogNode(words, failed);
  if (Keywords(words, 0, {"catalog", "database"})) return CatalogDatabase(words, failed);
  if (Keywords(words, 0, {"uncatalog"})) return Uncatalog(words, failed);
  // A directory keyword alone ("catalog") is followed by the statement's end.
  const std::string token = words.size() > 1 ? words[1] : "END-OF-STATEMENT";
  return Failure(failed, VelqMessage("SQL0104N", "An unexpected token \"" + token +
                                                     "\" was found following \"" + words[0] +
                                                     "\".  SQLSTATE=42601"));
}

std::string CommandLine::CreateDatabase(const std::vector<std::string>& words, bool* failed) {
  const std::string given = words.size() > 2 ? words[2] : "";
  const std::optional<std::string> name = VelqName(given);
  if (!name) return Failure(failed, InvalidName(given));
  if (m_knobs.createFails) {
    return Failure(failed, VelqMessage("VELQ1031E",
                                       "The database directory cannot be found on the "
                                       "indicated file system, and the database " +
                                           *name +
                                           " cannot be created on it.  Explanation: the system "
                                           "database directory could not be opened for update."));
  }
  const std::string file = m_store->DatabaseHostFile(*name);
  std::string refused = m_store->ChangeDatabases([&](std::vector<DatabaseEntry>& entries) {
    for (const DatabaseEntry& entry : entries) {
      if (entry.alias == *name) {
        return VelqMessage("SQL1005N", "The database alias \"" + *name +
                                           "\" already exists in either the local database "
                                           "directory or system database directory.");
      }
    }
    // A file without its directory entry is what a crash left behind.
    std::remove(file.c_str());
    SqlSession created(file, true);
    if (!created.ok()) {
      return VelqMessage("SQL1032N",
                         "The database " + *name + " cannot be created: " + created.error() + ".");
    }
    entries.push_back(DatabaseEntry{*name, *name, ""});
    return std::string();
  });
  if (!refused.empty()) return Failure(failed, refused);
  return CommandCompleted("CREATE DATABASE");
}

std::string CommandLine::DropDatabase(const std::vector<std::string>& words, bool* failed) {
  const std::string given = words.size() > 2 ? words[2] : "";
  const std::optional<std::string> name = VelqName(given);
  if (!name) return Failure(failed, InvalidName(given));
  if (m_connectedAlias == *name) m_session.reset();
  std::string refused = m_store->ChangeDatabases([&](std::vector<DatabaseEntry>& entries) {
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
      if (entry->alias == *name && entry->node.empty()) {
        std::remove(m_store->DatabaseHostFile(entry->name).c_str());
        entries.erase(entry);
        return std::string();
      }
    }
    return DatabaseNotFound(*name);
  });
  if (!refused.empty()) return Failure(failed, refused);
  return CommandCompleted("DROP DATABASE");
}

std::string CommandLine::ListDatabases() {
  const std::vector<DatabaseEntry> entries = m_store->Databases();
  if (entries.empty()) {
    return VelqMessage("SQL1057W", "The system database directory is empty.  SQLSTATE=01606");
  }
  constexpr size_t kWidth = 38;
  std::string text = "\n System Database Directory\n\n Number of entries in the directory = " +
                     std::to_string(entries.size()) + "\n\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    const DatabaseEntry& entry = entries[i];
    text += "Database " + std::to_string(i + 1) + " entry:\n\n";
    text += Entry("Database alias", entry.alias, kWidth);
    text += Entry("Database name", entry.name, kWidth);
    if (entry.node.empty()) {
      text += Entry("Local database directory", m_store->DataDirectory(), kWidth);
    } else {
      text += Entry("Node name", entry.node, kWidth);
    }
    text += Entry("Database release level", "a.00", kWidth);
    text += Entry("Comment", "", kWidth);
    text += Entry("Directory entry type", entry.node.empty() ? "Indirect" : "Remote", kWidth);
    text += Entry("Catalog database partition number", "0", kWidth) + "\n";
  }
  return text;
}

std::string CommandLine::ListNodes() {
  const std::vector<NodeEntry> entries = m_store->Nodes();
  if (entries.empty()) return VelqMessage("SQL1027N", "The node directory cannot be found.");
  constexpr size_t kWidth = 32;
  std::string text = "\n Node Directory\n\n Number of entries in the directory = " +
                     std::to_string(entries.size()) + "\n\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    text += "Node " + std::to_string(i + 1) + " entry:\n\n";
    text += Entry("Node name", entries[i].name, kWidth);
    text += Entry("Comment", "", kWidth);
    text += Entry("Directory entry type", "LOCAL", kWidth);
    text += Entry("Protocol", "TCPIP", kWidth);
    text += Entry("Hostname", entries[i].host, kWidth);
    text += Entry("Service name", entries[i].service, kWidth) + "\n";
  }
  return text;
}

std::string CommandLine::CatalogNode(const std::vector<std::string>& words, bool* failed) {
  const std::string given = words.size() > 3 ? words[3] : "";
  const std::optional<std::string> node = VelqName(given);
  const std::string host = ValueAfter(words, 4, "remote");
  const std::string service = ValueAfter(words, 4, "server");
  if (!node) {
    return Failure(failed, VelqMessage("SQL1014N", "The node name \"" + given +
                                                       "\" is not valid.  SQLSTATE=42601"));
  }
  if (host.empty() || service.empty()) {
    return Failure(failed, VelqMessage("SQL0104N",
                                       "An unexpected token \"END-OF-STATEMENT\" "
                                       "was found: REMOTE and SERVER are "
                                       "required.  SQLSTATE=42601"));
  }
  std::string refused = m_store->ChangeNodes([&](std::vector<NodeEntry>& entries) {
    for (const NodeEntry& entry : entries) {
      if (entry.name == *node) {
        return VelqMessage("SQL1018N", "The node name \"" + *node +
                                           "\" specified in the CATALOG NODE command already "
                                           "exists.");
      }
    }
    entries.push_back(NodeEntry{*node, host, service});
    return std::string();
  });
  if (!refused.empty()) return Failure(failed, refused);
  return CommandCompleted("CATALOG TCPIP NODE") + DirectoryChangesNote();
}

std::string CommandLine::CatalogDatabase(const std::vector<std::string>& words, bool* failed) {
  const std::string given = words.size() > 2 ? words[2] : "";
  const std::optional<std::string> name = VelqName(given);
  if (!name) return Failure(failed, InvalidName(given));
  const std::string aliasGiven = ValueAfter(words, 3, "as");
  const std::optional<std::string> alias = aliasGiven.empty() ? name : VelqName(aliasGiven);
  if (!alias) return Failure(failed, InvalidName(aliasGiven));
  std::string node = ValueAfter(words, 3, "node");
  if (!node.empty()) {
    node = Upper(node);
    bool known = false;
    for (const NodeEntry& entry : m_store->Nodes()) known = known || entry.name == node;
    if (!known) {
      return Failure(failed, VelqMessage("SQL1097N", "The node name \"" + node +
                                                         "\" was not found in the node "
                                                         "directory."));
    }
  }
  std::string refused = m_store->ChangeDatabases([&](std::vector<DatabaseEntry>& entries) {
    for (const DatabaseEntry& entry : entries) {
      if (entry.alias == *alias) {
        return VelqMessage("SQL1005N", "The database alias \"" + *alias +
                                           "\" already exists in either the local database "
                                           "directory or system database directory.");
      }
    }
    entries.push_back(DatabaseEntry{*alias, *name, node});
    return std::string();
  });
  if (!refused.empty()) return Failure(failed, refused);
  return CommandCompleted("CATALOG DATABASE") + DirectoryChangesNote();
}

std::string CommandLine::Uncatalog(const std::vector<std::string>& words, bool* failed) {
  const bool node = Keywords(words, 1, {"node"});
  if (!node && !Keywords(words, 1, {"database"})) {
    return Failure(failed, VelqMessage("SQL0104N",
                                       "An unexpected token was found following "
                                       "\"UNCATALOG\".  SQLSTATE=42601"));
  }
  const std::string name = Upper(words.size() > 2 ? words[2] : "");
  std::string refused;
  if (node) {
    refused = m_store->ChangeNodes([&](std::vector<NodeEntry>& entries) {
      for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        if (entry->name != name) continue;
        entries.erase(entry);
        return std::string();
      }
      return VelqMessage("SQL1097N",
                         "The node name \"" + name + "\" was not found in the node directory.");
    });
  } else {
    refused = m_store->ChangeDatabases([&](std::vector<DatabaseEntry>& entries) {
      for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        if (entry->alias != name) continue;
        entries.erase(entry);
        return std::string();
      }
      return DatabaseNotFound(name);
    });
  }
  if (!refused.empty()) return Failure(failed, refused);
  return CommandCompleted(node ? "UNCATALOG NODE" : "UNCATALOG DATABASE") + DirectoryChangesNote();
}

std::string CommandLine::Connect(const std::vector<std::string>& words, bool* failed) {
  if (!m_store) return Failure(failed, NotInstalled());
  const std::string alias = Upper(words.size() > 2 ? words[2] : "");
  const std::string user = ValueAfter(words, 3, "user");
  for (const DatabaseEntry& entry : m_store->Databases()) {
    if (entry.alias != alias) continue;
    if (!entry.node.empty()) {
      return Failure(failed, VelqMessage("SQL30081N",
                                         "A communication error has been detected.  "
                                         "Communication protocol being used: \"TCP/IP\".  "
                                         "Location where the error was detected: node \"" +
                                             entry.node + "\".  SQLSTATE=08001"));
    }
    auto session = std::make_unique<SqlSession>(m_store->DatabaseHostFile(entry.name), false);
    if (!session->ok()) {
      return Failure(failed,
                     VelqMessage("SQL1036C",
                                 "An I/O error occurred while accessing "
                                 "the database " +
                                     entry.name + ": " + session->error() + ".  SQLSTATE=58030"));
    }
    m_session = std::move(session);
    m_connectedAlias = alias;
    m_connectedUser = Upper(user.empty() ? "VELQADMIN" : user);
    return "\n   Database Connection Information\n\n Database server        = VELQ/NT 3.1\n"
           " SQL authorization ID   = " +
           m_connectedUser + "\n Local database alias   = " + alias + "\n\n";
  }
  return Failure(failed, DatabaseNotFound(alias));
}

std::string CommandLine::Sql(const std::string& statement, bool* failed) {
  if (!m_session) return Failure(failed, NotConnected());
  return m_session->Execute(statement, m_knobs.sqlFails, failed);
}

}  // namespace velqsim
