#include "orvane/platform/ServicesDatabase.h"

#include <cstring>
#include <mutex>
#include <optional>

#include "orvane/core/AsciiCase.h"
#include "orvane/os/FileSnapshot.h"
#include "orvane/os/NetworkDatabaseText.h"
#include "orvane/platform/ServicesFile.h"

namespace orvane {
namespace {

constexpr char kWordDelimiters[] = " \t\r\n";
// Ports have five digits; more are not taken, so a garbled entry cannot
// overflow the number.
constexpr int kMaxPortDigits = 9;

std::string FoldedCase(const char* text, size_t length) {
  std::string folded(text, length);
  for (char& c : folded) c = FoldAsciiCase(c);
  return folded;
}

// The port of an entry line: the number after the first word's delimiter,
// up to the "/" of the protocol, blanks and tabs skipped.
int EntryPort(const char* afterName) {
  const char* text = afterName;
  if (*text != '\0') ++text;  // the delimiter that ends the first word
  text += std::strspn(text, " \t");
  int port = 0;
  for (int digits = 0; digits < kMaxPortDigits && *text >= '0' && *text <= '9'; ++digits, ++text) {
    port = port * 10 + (*text - '0');
  }
  return port;
}

// The lines of a text file as a text stream reads them: CR LF is a line end,
// a lone CR is part of its line.
std::vector<std::string> TextLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    size_t length = end - start;
    if (length > 0 && bytes[end - 1] == '\r' && end < bytes.size()) --length;
    lines.emplace_back(bytes, start, length);
    start = end + 1;
  }
  return lines;
}

struct CachedDatabase {
  std::mutex mutex;
  std::string path;
  std::optional<os::FileSnapshot> snapshot;
  std::shared_ptr<const ServicesDatabase> database;
};

}  // namespace

std::shared_ptr<const ServicesDatabase> ServicesDatabase::Current() {
  static CachedDatabase cache;
  KelString path;
  GetServicesFilePath(path);
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (cache.database != nullptr && cache.path == static_cast<const char*>(path) &&
      cache.snapshot->IsCurrent()) {
    return cache.database;
  }
  cache.database.reset();
  cache.snapshot.reset();
  os::Expected<os::FileSnapshot> snapshot = os::FileSnapshot::Take(static_cast<const char*>(path));
  if (!snapshot.ok()) return nullptr;
  cache.path = static_cast<const char*>(path);
  cache.database = std::make_shared<const ServicesDatabase>(snapshot->bytes());
  cache.snapshot = std::move(*snapshot);
  return cache.database;
}

ServicesDatabase::ServicesDatabase(const std::string& bytes) {
  for (const std::string& line : TextLines(bytes)) AddLine(line);
}

void ServicesDatabase::AddLine(const std::string& line) {
  const char* text = line.c_str();
  const size_t nameStart = std::strspn(text, kWordDelimiters);
  const size_t nameLength = std::strcspn(text + nameStart, kWordDelimiters);
  if (nameLength > 0) {
    m_portByName.emplace(FoldedCase(text + nameStart, nameLength),
                         EntryPort(text + nameStart + nameLength));
  }
  if (std::optional<os::ServiceEntry> entry = os::ParseServicesLine(line)) {
    m_namesByPort[entry->port].push_back(std::move(entry->name));
  }
}

int ServicesDatabase::PortOf(const char* name) const {
  const auto found = m_portByName.find(FoldedCase(name, std::strlen(name)));
  return found == m_portByName.end() ? -1 : found->second;
}

const std::vector<std::string>& ServicesDatabase::NamesAt(int port) const {
  static const std::vector<std::string> kNone;
  const auto found = m_namesByPort.find(port);
  return found == m_namesByPort.end() ? kNone : found->second;
}

}  // namespace orvane
