// The system's TCP services file as the library looks things up in it: the
// port of a service name, and the names registered for a port.
//
// The file is parsed once per version: every look-up tests with one stat
// whether the file is still the one parsed (see os::FileSnapshot), so a
// change, by this process or another, is seen at the next look-up, and an
// unchanged file is never read again.
#ifndef ORVANE_PLATFORM_SERVICESDATABASE_H_
#define ORVANE_PLATFORM_SERVICESDATABASE_H_

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvane {

class ServicesDatabase {
 public:
  // The database of the services file as it is now; null when the file
  // cannot be read. Safe to call from several threads.
  static std::shared_ptr<const ServicesDatabase> Current();

  // Parses the bytes of a services file (CR LF or LF line ends).
  explicit ServicesDatabase(const std::string& bytes);
  // Its look-ups point into its own copy of the bytes.
  ServicesDatabase(const ServicesDatabase&) = delete;
  ServicesDatabase& operator=(const ServicesDatabase&) = delete;

  // The port of the first entry whose first word is name, letter case
  // ignored: the number after that word, up to the "/" of the protocol
  // (blanks and tabs skipped, 0 when there is none). -1 when no line starts
  // with the name.
  int PortOf(const char* name) const;

  // The first line whose first word is name, letter case ignored, as the
  // file holds it: its bytes with its line end (a last line may have none).
  // Empty when no line starts with the name.
  std::string_view FirstLineOf(const char* name) const;

  // True when every line end of the file is CR LF, as a text stream writes
  // it (a last line without one counts as well).
  bool EndsEveryLineWithCrLf() const { return m_crLfLineEnds; }

  // Some of the database's names, valid as long as the database.
  class Names {
   public:
    Names(const std::string* first, const std::string* last) : m_first(first), m_last(last) {}
    const std::string* begin() const { return m_first; }
    const std::string* end() const { return m_last; }
    bool empty() const { return m_first == m_last; }

   private:
    const std::string* m_first;
    const std::string* m_last;
  };

  // The names of the entries for a port, of any protocol, in file order,
  // as the system's services database lists them (comments left out, only
  // lines "name port/protocol ..."). Empty when the port is not registered.
  Names NamesAt(int port) const;

 private:
  // The port of a name's first line, and where that line lies in m_bytes.
  struct FirstLine {
    int port;
    size_t start;
    size_t length;
  };

  // line: without its line end; length: the line's bytes with it.
  void AddLine(std::string_view line, size_t start, size_t length);
  void SortEntriesByPort();

  std::string m_bytes;
  bool m_crLfLineEnds = true;
  std::unordered_map<std::string, FirstLine> m_firstLineByName;  // names folded to lower case
  // The entries' names ordered by port, in file order within a port, and
  // the port of each: one run of names a port, found by a binary search,
  // and no container of its own for each of many thousand ports.
  std::vector<int> m_entryPorts;
  std::vector<std::string> m_entryNames;
};

}  // namespace orvane

#endif  // ORVANE_PLATFORM_SERVICESDATABASE_H_
