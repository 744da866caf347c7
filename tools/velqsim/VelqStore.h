// The Velq installation on the emulated machine: where it lives, its
// database and node directories, its databases, and the emulation's knobs.
//
// The Velq directory is the registry's HKLM\SOFTWARE\VXR\VELQ
// "VELQ Path Name". Below it, DATA holds one SQLite database per created
// database (<NAME>.db, open it with sqlite3) and the two directories as text
// files beside them, one entry a line, fields separated by tabs:
//
//   databases.dir   alias, database name, node ("" for a local database)
//   nodes.dir       node name, host, service name
//
// Directory changes are made under a lock (DATA\directory.lock) and written
// beside the file and renamed into place, so two command lines running at
// once never lose each other's entries.
#ifndef TOOLS_VELQSIM_VELQSTORE_H_
#define TOOLS_VELQSIM_VELQSTORE_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velqsim {

struct DatabaseEntry {
  std::string alias;
  std::string name;
  std::string node;  // "" for a database of this machine
};

struct NodeEntry {
  std::string name;
  std::string host;
  std::string service;
};

// Test knobs, HKLM\EMULATION\Velq:
//   CreateFails  dword 1: "create database" fails with a Velq error
//   SqlFails     string: an SQL statement that contains it (letter case
//                ignored) fails with an SQL error
//   HangScript   string: a command file of that name (as called, without
//                its directory; letter case ignored) hangs: the command
//                environment stops there and runs nothing after it
//   HangSeconds  dword: how long (real seconds, default 0) it stays before
//                it ends, as a hung window that someone closes
struct Knobs {
  bool createFails = false;
  std::string sqlFails;
  std::string hangScript;
  unsigned long hangSeconds = 0;

  static Knobs Read();
};

// The Velq directory's registry key and value.
constexpr char kVelqKey[] = "SOFTWARE\\VXR\\VELQ";
constexpr char kVelqPathValue[] = "VELQ Path Name";

class VelqStore {
 public:
  // The installation of the machine; nothing when Velq is not installed
  // (no registry record, or its directory cannot be made).
  static std::optional<VelqStore> Open();

  // Windows paths.
  const std::string& DataDirectory() const { return m_data; }
  std::string DatabaseFile(const std::string& name) const;
  // The host path of a database's SQLite file.
  std::string DatabaseHostFile(const std::string& name) const;

  std::vector<DatabaseEntry> Databases() const;
  std::vector<NodeEntry> Nodes() const;

  // Changes a directory under the lock: change receives the entries as they
  // are and returns "" to write them back, or a message to leave them as
  // they were; that text is returned.
  using DatabaseChange = std::function<std::string(std::vector<DatabaseEntry>&)>;
  using NodeChange = std::function<std::string(std::vector<NodeEntry>&)>;
  std::string ChangeDatabases(const DatabaseChange& change) const;
  std::string ChangeNodes(const NodeChange& change) const;

 private:
  explicit VelqStore(std::string data) : m_data(std::move(data)) {}
  std::string m_data;
};

// Velq names (databases, aliases, nodes): 1 to 8 letters, digits, @, # or $,
// not beginning with a digit; kept in upper case.
std::optional<std::string> VelqName(const std::string& text);

}  // namespace velqsim

#endif  // TOOLS_VELQSIM_VELQSTORE_H_
