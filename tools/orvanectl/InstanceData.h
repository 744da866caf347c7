// The instance data file as the commands use it: found through the
// installation, locked from load to store by the commands that change it,
// and never stored over when it did not load completely.
//
// The list's Load leaves out a record that its checks refuse. One refusal is
// no conflict at all: a record whose taken ports are held by its own TCP
// service entries, as every created instance's are. Such a record is kept;
// any other refusal, or a file that cannot be read to its end, makes the
// load incomplete, and Store then refuses.
#ifndef ORVANECTL_INSTANCEDATA_H_
#define ORVANECTL_INSTANCEDATA_H_

#include <orvane/orvane.h>

#include <optional>
#include <string>
#include <vector>

#include "orvane/os/Files.h"

namespace orvanectl {

class InstanceData {
 public:
  enum class Access { kRead, kChange };

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

 private:
  void ReportRefused(const MSInfo& record, int flags);

  std::string m_path;
  MSList m_list;
  std::optional<orvane::os::FileLock> m_lock;
  bool m_complete = false;
};

// The library's message ids for conflict flags, in flag order.
std::vector<unsigned int> ConflictMessages(int flags);

}  // namespace orvanectl

#endif  // ORVANECTL_INSTANCEDATA_H_
