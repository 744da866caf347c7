// The "velq" command line processor: directory commands, connections and SQL
// statements, with the real command line's output and messages.
//
// Commands (keywords in any letter case):
//   create database NAME            drop database NAME
//   list database directory         list node directory
//   catalog tcpip node NODE remote HOST server SERVICE
//   catalog database NAME [as ALIAS] [at node NODE]
//   uncatalog database ALIAS        uncatalog node NODE
//   connect to ALIAS [user U using P]   connect reset   terminate
//   any other text: an SQL statement on the connected database, quoted or not
// Options before the command: -f FILE runs the file's statements (one a
// line; with -t each ends with ";", and "--" starts a comment), -v echoes
// each statement, -s stops at the first failing one, -z FILE appends the
// output to FILE as well.
//
// A processor keeps its connection from one command to the next, as the
// command line does inside one command window.
#ifndef TOOLS_VELQSIM_COMMANDLINE_H_
#define TOOLS_VELQSIM_COMMANDLINE_H_

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/velqsim/SqlSession.h"
#include "tools/velqsim/VelqStore.h"

namespace velqsim {

class CommandLine {
 public:
  CommandLine();
  ~CommandLine();

  // Runs one command given as the text after "velq", writing its output to
  // out. Returns the command line's exit code: 0 success, 4 failure.
  int Run(const std::string& command, FILE* out);

 private:
  struct Options;
  int RunFile(const Options& options, FILE* out);
  // One command without options; the output text and whether it failed.
  std::string RunCommand(const std::string& command, bool* failed);
  std::string CreateDatabase(const std::vector<std::string>& words, bool* failed);
  std::string DropDatabase(const std::vector<std::string>& words, bool* failed);
  std::string ListDatabases();
  std::string ListNodes();
  std::string CatalogNode(const std::vector<std::string>& words, bool* failed);
  std::string CatalogDatabase(const std::vector<std::string>& words, bool* failed);
  std::string Uncatalog(const std::vector<std::string>& words, bool* failed);
  std::string Connect(const std::vector<std::string>& words, bool* failed);
  std::string Sql(const std::string& statement, bool* failed);

  std::optional<VelqStore> m_store;
  Knobs m_knobs;
  std::unique_ptr<SqlSession> m_session;
  std::string m_connectedAlias;
  std::string m_connectedUser;
};

// The words of a command: blanks separate, double or single quotes group.
std::vector<std::string> SplitWords(const std::string& text);

}  // namespace velqsim

#endif  // TOOLS_VELQSIM_COMMANDLINE_H_
