// The instance data file as the commands use it: found through the
// installation, locked from load to store by the commands that change it,
// and never stored over when it did not load completely.
//
// The list's Load leaves out a record that its checks refuse. One refusal is
// no conflict at all: a record whose taken ports are held by its own TCP
// service entries, as every created instance's are. Such a record is kept;
// any other refusal, or a file that cannot be read to its end, makes the
// load incomplete, and Store then refuses. The repair opens the file for
// itself: it is told the refused records and stores what it made of them.
#ifndef ORVANECTL_INSTANCEDATA_H_
#define ORVANECTL_INSTANCEDATA_H_

#include <orvane/orvane.h>

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "orvane/os/Files.h"

namespace orvanectl {

class InstanceData {
 public:
  // kRepair locks as kChange does, but leaves the refused records to the
  // caller (Refused) instead of reporting them.
  enum class Access { kRead, kChange, kRepair };

  struct RefusedRecord {
    MSInfo record;
    int flags;  // the conflict flags that refused it
  };

  // Finds the data file (overridePath, or "server\admin\tqconfig.dat" under
  // the installation directory), takes the lock for kChange, and loads it. A
  // missing file is an empty list. Reports what went wrong and returns the
  // exit code: 0, or 4 without an installation or with an incomplete load
  // (then the list holds what did load).
  int Open(const std::string& overridePath, Access access);

  MSList& List() { return m_list; }
  const std::string& Path() const { return m_path; }

  // Makes the record named name current (letter case ignored) and copies it
  // into record; false with a message when there is none.
  bool Select(const std::string& name, MSInfo& record);

  // Writes the list back; refuses (with a message) after an incomplete load.
  bool Store();

  // The records the load refused, and whether the file was read to its end.
  const std::vector<RefusedRecord>& Refused() const { return m_refused; }
  bool Readable() const { return m_readable; }

  // After kRepair: keeps the file as it is in "<path>.bak" (one generation),
  // then stores the list followed by kept as they are (records the repair
  // leaves for later, which the next load refuses again).
  bool StoreRepaired(std::vector<MSInfo>& kept);

 private:
  bool KeepBackup();

  std::string m_path;
  MSList m_list;
  std::optional<orvane::os::FileLock> m_lock;
  std::vector<RefusedRecord> m_refused;
  bool m_readable = true;
  bool m_complete = false;
};

// Instance names compare without regard to letter case.
bool SameName(const char* a, const std::string& b);

// What record conflicts with: "instance shop1", or "a TCP service of another
// program"; skipIndex is the record's own place when it is in the list, else -1.
std::string ConflictPartner(const MSList& list, const MSInfo& record, int skipIndex);
// The fields of the conflict flags ("host, port"), without repeats.
std::string ConflictFields(int flags);
// The library's message ids for conflict flags, in flag order.
std::vector<unsigned int> ConflictMessages(int flags);
// Each conflict flag's field and the library's text of it, in flag order, as
// the JSON result's "refused" entries: [{"field": "port", "text": "..."}].
nlohmann::json ConflictRefusals(int flags);

// Reports, as errors, "<lead> conflicts with <partner> on <fields>:" and the
// library's message for each conflict flag.
void ReportConflicts(const std::string& lead, MSList& list, const MSInfo& record, int flags,
                     int skipIndex);

}  // namespace orvanectl

#endif  // ORVANECTL_INSTANCEDATA_H_
