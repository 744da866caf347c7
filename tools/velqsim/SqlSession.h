// A connection to one database of the Velq command line, on SQLite, and the
// command line's table form of query results:
//
//   REFNUM      NAME
//   ----------- ----------
//             1 tq3_shipRule
//
//     1 record(s) selected.
//
// Column headers are in upper case and underlined with dashes as wide as the
// column; numbers are right-aligned, texts left-aligned, NULL shows as "-".
// SQLite's failures come out as the SQL messages of the real command line.
#ifndef TOOLS_VELQSIM_SQLSESSION_H_
#define TOOLS_VELQSIM_SQLSESSION_H_

#include <string>

struct sqlite3;

namespace velqsim {

class SqlSession {
 public:
  // Opens (create: creates) the SQLite file; ok() tells whether it worked.
  SqlSession(const std::string& hostFile, bool create);
  ~SqlSession();
  SqlSession(const SqlSession&) = delete;
  SqlSession& operator=(const SqlSession&) = delete;

  bool ok() const { return m_db != nullptr; }
  // Why opening failed.
  const std::string& error() const { return m_error; }

  // Runs one statement; the output as the command line prints it. *failed
  // tells whether the statement failed. failWith, when not empty, is a text
  // that makes a statement holding it fail (the emulation's knob).
  std::string Execute(const std::string& statement, const std::string& failWith, bool* failed);

 private:
  sqlite3* m_db = nullptr;
  std::string m_error;
};

// The SQL message of the real command line for an SQLite error message.
std::string SqlErrorMessage(const std::string& sqliteMessage);

}  // namespace velqsim

#endif  // TOOLS_VELQSIM_SQLSESSION_H_
