#include "orvane/platform/ServicesDatabase.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include "orvane/core/AsciiCase.h"
#include "orvane/os/FileSnapshot.h"
#include "orvane/os/NetworkDatabaseText.h"
#include "orvane/platform/ServicesFile.h"

namespace orvane {
namespace {

// Ports have five digits; more are not taken, so a garbled entry cannot
// overflow the number.
constexpr int kMaxPortDigits = 9;

bool IsWordDelimiter(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string FoldedCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = FoldAsciiCase(c);
  return folded;
}

// Counted with a search for each line end, which is quicker than a
// comparison of every byte.
size_t LineCount(std::string_view text) {
  size_t lines = 1;
  for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', end + 1)) {
    ++lines;
  }
  return lines;
}

// The port of an entry line: the number after the first word's delimiter,
// up to the "/" of the protocol, blanks and tabs skipped.
int EntryPort(std::string_view afterName) {
  size_t i = afterName.empty() ? 0 : 1;  // the delimiter that ends the first word
  while (i < afterName.size() && (afterName[i] == ' ' || afterName[i] == '\t')) ++i;
  int port = 0;
  for (int digits = 0; digits < kMaxPortDigits && i < afterName.size() && IsDigit(afterName[i]);
       ++digits, ++i) {
    port = port * 10 + (afterName[i] - '0');
  }
  return port;
}

// Never destroyed, as the registry's cache: freeing the maps of a large
// file at exit only costs time.
struct CachedDatabase {
  std::mutex mutex;
  std::string path;
  std::optional<os::FileSnapshot> snapshot;
  std::shared_ptr<const ServicesDatabase> database;
};

}  // namespace

std::shared_ptr<const ServicesDatabase> ServicesDatabase::Current() {
  static CachedDatabase& cache = *new CachedDatabase;
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

// The lines as a text stream reads them: CR LF is a line end, a lone CR is
// part of its line. The bytes are kept once, for FirstLineOf; each line is
// looked at where it lies in them, never copied.
ServicesDatabase::ServicesDatabase(const std::string& bytes) : m_bytes(bytes) {
  const size_t lines = LineCount(m_bytes);
  m_firstLineByName.reserve(lines);
  m_entryPorts.reserve(lines);
  m_entryNames.reserve(lines);
  const std::string_view text(m_bytes);
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const bool ended = end < text.size();
    const bool crLf = ended && end > start && text[end - 1] == '\r';
    m_crLfLineEnds = m_crLfLineEnds && (crLf || !ended);
    AddLine(text.substr(start, end - start - (crLf ? 1 : 0)), start, end + (ended ? 1 : 0) - start);
    start = end + 1;
  }
  SortEntriesByPort();
}

void ServicesDatabase::AddLine(std::string_view line, size_t start, size_t length) {
  // The name is read as the C library reads the line: up to a NUL.
  const std::string_view text = line.substr(0, line.find('\0'));
  size_t nameStart = 0;
  while (nameStart < text.size() && IsWordDelimiter(text[nameStart])) ++nameStart;
  size_t nameEnd = nameStart;
  while (nameEnd < text.size() && !IsWordDelimiter(text[nameEnd])) ++nameEnd;
  if (nameEnd > nameStart) {
    m_firstLineByName.emplace(FoldedCase(text.substr(nameStart, nameEnd - nameStart)),
                              FirstLine{EntryPort(text.substr(nameEnd)), start, length});
  }
  if (std::optional<os::ServiceEntry> entry = os::ParseServicesLine(line)) {
    m_entryPorts.push_back(entry->port);
    m_entryNames.push_back(std::move(entry->name));
  }
}

// A stable sort keeps each port's names in file order. Files are mostly in
// port order already, and then nothing moves.
void ServicesDatabase::SortEntriesByPort() {
  if (std::is_sorted(m_entryPorts.begin(), m_entryPorts.end())) return;
  std::vector<size_t> order(m_entryPorts.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [this](size_t a, size_t b) { return m_entryPorts[a] < m_entryPorts[b]; });
  std::vector<int> ports;
  std::vector<std::string> names;
  ports.reserve(order.size());
  names.reserve(order.size());
  for (size_t i : order) {
    ports.push_back(m_entryPorts[i]);
    names.push_back(std::move(m_entryNames[i]));
  }
  m_entryPorts = std::move(ports);
  m_entryNames = std::move(names);
}

int ServicesDatabase::PortOf(const char* name) const {
  const auto found = m_firstLineByName.find(FoldedCase(name));
  return found == m_firstLineByName.end() ? -1 : found->second.port;
}

std::string_view ServicesDatabase::FirstLineOf(const char* name) const {
  const auto found = m_firstLineByName.find(FoldedCase(name));
  if (found == m_firstLineByName.end()) return std::string_view();
  return std::string_view(m_bytes).substr(found->second.start, found->second.length);
}

ServicesDatabase::Names ServicesDatabase::NamesAt(int port) const {
  const auto [first, last] = std::equal_range(m_entryPorts.begin(), m_entryPorts.end(), port);
  const std::string* names = m_entryNames.data();
  return Names(names + (first - m_entryPorts.begin()), names + (last - m_entryPorts.begin()));
}

}  // namespace orvane
