// One step of the machine's database set-up.
//
// Every instance's runs share files: the hosting data command file and its
// marker in <installation>\server\admin, the wrapper dbmaster.cmd in the
// schema folder. A step therefore holds a machine-wide lock (a second one
// waits, with a status line), and it begins by removing the command files
// that hold secrets, which a step cut short may have left, whoever ran it.
// The same folder keeps the markers of schema runs that did not complete.
#ifndef ORVANE_DATABASE_SETUPSTEP_H_
#define ORVANE_DATABASE_SETUPSTEP_H_

#include <optional>

#include "orvane/core/KelString.h"
#include "orvane/os/Files.h"

namespace orvane {

// <installation>\server\admin: the command files and markers shared by
// every instance.
KelString SetupFolder(const KelString& installation);
// <installation>\tq_schema\VELQ: the product's database scripts.
KelString SchemaDirectory(const KelString& installation);

// Marks the database's schema run as not complete, <setup folder>\<DB>.incomplete
// (the name in upper case, as Velq keeps it): made before the run and removed
// as the run's last step, so that a database a run left half-made is never
// taken for a complete one.
KelString IncompleteSchemaMarker(const KelString& installation, const char* database);

class SetupStep {
 public:
  explicit SetupStep(const KelString& installation);

  // False when the lock could not be taken: message 24 with the folder.
  bool ok() const { return m_lock.has_value(); }

 private:
  std::optional<os::FileLock> m_lock;
};

}  // namespace orvane

#endif  // ORVANE_DATABASE_SETUPSTEP_H_
