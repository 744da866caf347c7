#include "tools/velqsim/VelqStore.h"

#include <cctype>
#include <cstdio>
#include <sstream>

#include "orvane/os/Files.h"
#include "orvane/os/Registry.h"
#include "tools/velqsim/HostSystem.h"

namespace velqsim {
namespace os = orvane::os;
namespace {

constexpr char kKnobsKey[] = "EMULATION\\Velq";
constexpr std::string::size_type kMaxNameLength = 8;

std::string ReadString(const os::RegistryKey& key, const char* name) {
  os::Expected<os::RegistryValue> value = key.QueryValue(name);
  return value ? value->AsString() : std::string();
}

unsigned long ReadDword(const os::RegistryKey& key, const char* name) {
  os::Expected<os::RegistryValue> value = key.QueryValue(name);
  return value && value->type == os::ValueType::kDword ? value->AsDword() : 0;
}

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  for (;;) {
    std::string::size_type tab = line.find('\t', start);
    fields.push_back(
        line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

std::string ReadBytes(const std::string& windowsPath) {
  std::string bytes;
  FILE* file = os::OpenFile(windowsPath, "rb");
  if (file == nullptr) return bytes;
  char buffer[4096];
  for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    bytes.append(buffer, count);
  }
  std::fclose(file);
  return bytes;
}

// The lines of a directory file, each split into its fields.
std::vector<std::vector<std::string>> ReadTable(const std::string& windowsPath) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(ReadBytes(windowsPath));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) rows.push_back(SplitFields(line));
  }
  return rows;
}

std::string FormatTable(const std::vector<std::vector<std::string>>& rows) {
  std::string text;
  for (const std::vector<std::string>& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) text += (i > 0 ? "\t" : "") + row[i];
    text += "\r\n";
  }
  return text;
}

std::string Field(const std::vector<std::string>& row, size_t i) {
  return i < row.size() ? row[i] : std::string();
}

// Reads, changes and writes back one directory file under the lock.
template <typename Entry, typename ToEntry, typename ToRow>
std::string ChangeTable(const std::string& data, const char* file,
                        const std::function<std::string(std::vector<Entry>&)>& change,
                        ToEntry toEntry, ToRow toRow) {
  os::FileLock lock(data + "\\directory.lock");
  if (!lock.status()) return "the Velq directory cannot be locked";
  const std::string path = data + "\\" + file;
  std::vector<Entry> entries;
  for (const auto& row : ReadTable(path)) entries.push_back(toEntry(row));
  std::string refused = change(entries);
  if (!refused.empty()) return refused;
  std::vector<std::vector<std::string>> rows;
  for (const Entry& entry : entries) rows.push_back(toRow(entry));
  const std::string text = FormatTable(rows);
  os::ReplacementFile replacement(path, "wb");
  if (replacement.stream() == nullptr ||
      std::fwrite(text.data(), 1, text.size(), replacement.stream()) != text.size() ||
      !replacement.Commit()) {
    return "the Velq directory file " + std::string(file) + " cannot be written";
  }
  return std::string();
}

DatabaseEntry ToDatabase(const std::vector<std::string>& row) {
  return DatabaseEntry{Field(row, 0), Field(row, 1), Field(row, 2)};
}
std::vector<std::string> DatabaseRow(const DatabaseEntry& entry) {
  return {entry.alias, entry.name, entry.node};
}
NodeEntry ToNode(const std::vector<std::string>& row) {
  return NodeEntry{Field(row, 0), Field(row, 1), Field(row, 2)};
}
std::vector<std::string> NodeRow(const NodeEntry& entry) {
  return {entry.name, entry.host, entry.service};
}

}  // namespace

Knobs Knobs::Read() {
  Knobs knobs;
  os::Expected<os::RegistryKey> key =
      os::RegistryKey::Open(os::RegistryRoot::kLocalMachine, kKnobsKey, os::RegistryAccess::kRead);
  if (!key) return knobs;
  knobs.createFails = ReadDword(*key, "CreateFails") == 1;
  knobs.sqlFails = ReadString(*key, "SqlFails");
  knobs.hangScript = ReadString(*key, "HangScript");
  knobs.hangSeconds = ReadDword(*key, "HangSeconds");
  return knobs;
}

std::optional<VelqStore> VelqStore::Open() {
  os::Expected<os::RegistryKey> key =
      os::RegistryKey::Open(os::RegistryRoot::kLocalMachine, kVelqKey, os::RegistryAccess::kRead);
  if (!key) return std::nullopt;
  std::string directory = ReadString(*key, kVelqPathValue);
  if (directory.empty()) return std::nullopt;
  while (directory.size() > 3 && (directory.back() == '\\' || directory.back() == '/')) {
    directory.pop_back();
  }
  const std::string data = directory + "\\DATA";
  for (const std::string& path : {directory, data}) {
    if (!os::DirectoryExists(path) && !os::CreateDirectory(path) && !os::DirectoryExists(path)) {
      return std::nullopt;
    }
  }
  return VelqStore(data);
}

std::string VelqStore::DatabaseFile(const std::string& name) const {
  return m_data + "\\" + name + ".db";
}

std::string VelqStore::DatabaseHostFile(const std::string& name) const {
  return HostPathOf(DatabaseFile(name));
}

std::vector<DatabaseEntry> VelqStore::Databases() const {
  std::vector<DatabaseEntry> entries;
  for (const auto& row : ReadTable(m_data + "\\databases.dir")) {
    entries.push_back(ToDatabase(row));
  }
  return entries;
}

std::vector<NodeEntry> VelqStore::Nodes() const {
  std::vector<NodeEntry> entries;
  for (const auto& row : ReadTable(m_data + "\\nodes.dir")) {
    entries.push_back(ToNode(row));
  }
  return entries;
}

std::string VelqStore::ChangeDatabases(const DatabaseChange& change) const {
  return ChangeTable<DatabaseEntry>(m_data, "databases.dir", change, ToDatabase, DatabaseRow);
}

std::string VelqStore::ChangeNodes(const NodeChange& change) const {
  return ChangeTable<NodeEntry>(m_data, "nodes.dir", change, ToNode, NodeRow);
}

std::optional<std::string> VelqName(const std::string& text) {
  if (text.empty() || text.size() > kMaxNameLength ||
      std::isdigit(static_cast<unsigned char>(text[0]))) {
    return std::nullopt;
  }
  std::string name;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (!std::isalnum(u) && c != '@' && c != '#' && c != '$') return std::nullopt;
    name += static_cast<char>(std::toupper(u));
  }
  return name;
}

}  // namespace velqsim
