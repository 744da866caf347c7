// What a lifecycle command changed on the machine beyond the files it
// stores itself: the TCP service entries of the services file and the
// Windows services it names, told by comparing the machine before and after
// the command, so that the host repeats none of the library's naming rules.
#ifndef ORVANECTL_MACHINECHANGES_H_
#define ORVANECTL_MACHINECHANGES_H_

#include <nlohmann/json.hpp>

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orvanectl {

// The machine's services file, which the library edits.
std::string ServicesFilePath();

// A file's bytes on the machine; "" when it cannot be read.
std::string ReadMachineFile(const std::string& path);

// The entry lines of a services file's text, without comments, blank lines
// and line ends.
std::set<std::string> ServiceEntryLines(std::string_view text);

class MachineChanges {
 public:
  // Takes the entries and the start types of the services as they are now.
  explicit MachineChanges(std::vector<std::string> services);

  // Adds to result "changes", what changed since: "registered" and
  // "unregistered", the entry lines that came and went, and "services", each
  // changed service with "created", "deleted" or its start types
  // ("demand -> automatic").
  void Report(nlohmann::json& result) const;

 private:
  std::vector<std::string> m_services;
  std::vector<std::string> m_startTypes;
  std::set<std::string> m_entries;
};

}  // namespace orvanectl

#endif  // ORVANECTL_MACHINECHANGES_H_
