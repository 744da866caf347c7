#include "tools/velqsim/SqlSession.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "tools/velqsim/VelqMessages.h"

namespace velqsim {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// What follows prefix in message, or "" when prefix is not there.
std::string After(const std::string& message, const std::string& prefix) {
  std::string::size_type at = message.find(prefix);
  return at == std::string::npos ? std::string() : message.substr(at + prefix.size());
}

struct Column {
  std::string header;
  bool numeric = true;
  std::string::size_type width = 0;
};

struct ResultTable {
  std::vector<Column> columns;
  std::vector<std::vector<std::string>> rows;
};

std::string CellText(sqlite3_stmt* statement, int i, Column& column) {
  const int type = sqlite3_column_type(statement, i);
  if (type == SQLITE_NULL) return "-";
  if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) column.numeric = false;
  const unsigned char* text = sqlite3_column_text(statement, i);
  return text == nullptr ? std::string() : reinterpret_cast<const char*>(text);
}

std::string Pad(const std::string& text, std::string::size_type width, bool right) {
  if (text.size() >= width) return text;
  const std::string fill(width - text.size(), ' ');
  return right ? fill + text : text + fill;
}

std::string FormatTable(ResultTable& table) {
  for (Column& column : table.columns) column.width = column.header.size();
  for (const auto& row : table.rows) {
    for (size_t i = 0; i < row.size(); ++i) {
      table.columns[i].width = std::max(table.columns[i].width, row[i].size());
    }
  }
  std::string header;
  std::string underline;
  for (size_t i = 0; i < table.columns.size(); ++i) {
    const Column& column = table.columns[i];
    header += (i > 0 ? " " : "") + Pad(column.header, column.width, false);
    underline += (i > 0 ? " " : "") + std::string(column.width, '-');
  }
  std::string text = "\n" + header + "\n" + underline + "\n";
  for (const auto& row : table.rows) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      line += (i > 0 ? " " : "") + Pad(row[i], table.columns[i].width, table.columns[i].numeric);
    }
    text += line + "\n";
  }
  return text + "\n  " + std::to_string(table.rows.size()) + " record(s) selected.\n";
}

bool ContainsIgnoringCase(const std::string& text, const std::string& part) {
  return Upper(text).find(Upper(part)) != std::string::npos;
}

}  // namespace

SqlSession::SqlSession(const std::string& hostFile, bool create) {
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(hostFile.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
    m_error = m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory";
    sqlite3_close(m_db);
    m_db = nullptr;
    return;
  }
  // A second command line on the same database waits instead of failing.
  sqlite3_busy_timeout(m_db, 10000);
}

SqlSession::~SqlSession() { sqlite3_close(m_db); }

std::string SqlSession::Execute(const std::string& statementText, const std::string& failWith,
                                bool* failed) {
  *failed = true;
  if (!failWith.empty() && ContainsIgnoringCase(statementText, failWith)) {
    return VelqMessage("SQL0204N",
                       "\"" + Upper(failWith) + "\" is an undefined name.  SQLSTATE=42704");
  }
  sqlite3_stmt* statement = nullptr;
  const char* rest = nullptr;
  if (sqlite3_prepare_v2(m_db, statementText.c_str(), static_cast<int>(statementText.size()),
                         &statement, &rest) != SQLITE_OK) {
    return SqlErrorMessage(sqlite3_errmsg(m_db));
  }
  if (statement == nullptr) {
    *failed = false;
    return VelqMessage("VELQ20000I", "The SQL command completed successfully.");
  }
  ResultTable table;
  const int count = sqlite3_column_count(statement);
  for (int i = 0; i < count; ++i) {
    const char* name = sqlite3_column_name(statement, i);
    table.columns.push_back(Column{Upper(name != nullptr ? name : ""), true, 0});
  }
  int step;
  while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int i = 0; i < count; ++i) row.push_back(CellText(statement, i, table.columns[i]));
    table.rows.push_back(std::move(row));
  }
  sqlite3_finalize(statement);
  if (step != SQLITE_DONE) return SqlErrorMessage(sqlite3_errmsg(m_db));
  *failed = false;
  if (count == 0) return VelqMessage("VELQ20000I", "The SQL command completed successfully.");
  return FormatTable(table);
}

std::string SqlErrorMessage(const std::string& sqliteMessage) {
  std::string name = After(sqliteMessage, "no such table: ");
  if (!name.empty()) {
    return VelqMessage("SQL0204N", "\"" + Upper(name) + "\" is an undefined name.  SQLSTATE=42704");
  }
  name = After(sqliteMessage, "no such column: ");
  if (!name.empty()) {
    return VelqMessage("SQL0206N", "\"" + Upper(name) +
                                       "\" is not valid in the context where it is used.  "
                                       "SQLSTATE=42703");
  }
  if (sqliteMessage.find("already exists") != std::string::npos) {
    return VelqMessage("SQL0601N",
                       "The name of the object to be created is identical to the existing "
                       "name. (" +
                           sqliteMessage + ")  SQLSTATE=42710");
  }
  if (sqliteMessage.find("UNIQUE constraint failed") != std::string::npos) {
    return VelqMessage("SQL0803N",
                       "One or more values in the INSERT statement or UPDATE statement are not "
                       "valid because they would produce duplicate rows for a table with a "
                       "primary key, unique constraint, or unique index.  SQLSTATE=23505");
  }
  std::string token = After(sqliteMessage, "near \"");
  if (!token.empty()) {
    token = token.substr(0, token.find('"'));
    return VelqMessage("SQL0104N", "An unexpected token \"" + token +
                                       "\" was found in the statement.  SQLSTATE=42601");
  }
  return VelqMessage("SQL0901N",
                     "The SQL statement failed because of a non-severe system "
                     "error. (Reason \"" +
                         sqliteMessage + "\".)  SQLSTATE=58004");
}

}  // namespace velqsim
