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

  // The port of the first entry whose first word is name, letter case
  // ignored: the number after that word, up to the "/" of the protocol
  // (blanks and tabs skipped, 0 when there is none). -1 when no line starts
  // with the name.
  int PortOf(const char* name) const;

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
  void AddLine(std::string_view line);
  void SortEntriesByPort();

  std::unordered_map<std::string, int> m_portByName;  // names folded to lower case
  // The entries' names ordered by port, in file order within a port, and
  // the port of each: one run of names a port, found by a binary search,
  // and no container of its own for each of many thousand ports.
  std::vector<int> m_entryPorts;
  std::vector<std::string> m_entryNames;
};

}  // namespace orvane

#endif  // ORVANE_PLATFORM_SERVICESDATABASE_H_
