// A recording layer over the OS seam: what a run of the library changes on
// the machine, or would change.
//
// While a ChangeRecorder lives, every call of the seam in the process goes
// through it, over whichever backend is in use; the library does not know.
//
// - Recording::kPassThrough: every call reaches the machine as before, and
//   what it changes is recorded.
// - Recording::kPlan: nothing on the machine changes. Reads see the
//   recorder's pending writes (a file written is read back with its new
//   bytes, a deleted one is missing, a set registry value is there, a started
//   service is running), writes are held, programs are not started (a started
//   program is recorded with its command line; a piped child's input is
//   discarded and its exit code taken as 0), sleeping returns at once, and
//   locks are not taken.
//
// The change set is the net effect per resource, listed in the order in which
// each resource was first changed: a file written twice is one change from its
// first content to its last, a file created and deleted again is no change.
// So a plan and the real run that follows it give equal change sets, however
// each reached its result (temporaries, backups, retries).
//
// Calls that a backend makes inside its own implementation (the emulated
// machine keeps its services and data sources in its registry) are not seen:
// a change is recorded once, as the seam call that the library made. What a
// started program changes in its own process is not recorded either.
#ifndef ORVANE_OS_CHANGERECORDER_H_
#define ORVANE_OS_CHANGERECORDER_H_

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "orvane/os/Odbc.h"
#include "orvane/os/Registry.h"
#include "orvane/os/Services.h"
#include "orvane/os/Status.h"

namespace orvane::os {

// A file's bytes before and after (no line end translation); nothing when the
// file is missing on that side. newFileMode is the mode the new content was
// written with (0600 marks a private file, such as a command file that holds
// a password): the one its last writing call asked for (a copy or a move
// carries its source's), which is what a plan knows.
struct FileChange {
  std::string path;  // the Windows path the library used
  std::optional<std::string> before;
  std::optional<std::string> after;
  int newFileMode = 0666;
};

struct DirectoryChange {
  std::string path;
  bool created = true;  // false: removed
};

struct ModeChange {
  std::string path;
  int mode = 0;
};

// One value of a key ("" for the default value), or, with value unset, the
// key itself created (before nothing, after an empty value) or deleted
// (before an empty value, after nothing).
struct RegistryChange {
  RegistryRoot root = RegistryRoot::kLocalMachine;
  std::string key;  // "SOFTWARE\VXR\..." below the root, spelt as the library spelt it
  std::optional<std::string> value;
  std::optional<RegistryValue> before;  // nothing: absent
  std::optional<RegistryValue> after;
};

// A service's configuration and run state before and after; nothing when the
// service does not exist on that side.
struct ServiceChange {
  std::string name;
  std::optional<ServiceConfig> before;
  std::optional<ServiceConfig> after;
  ServiceState stateBefore = ServiceState::kStopped;
  ServiceState stateAfter = ServiceState::kStopped;
};

struct DataSourceChange {
  DataSourceRequest request = DataSourceRequest::kAddSystem;
  std::string driver;
  std::vector<std::string> attributes;  // "KEY=value" texts, in order
};

// A program that a step started (StartProcess) or ran with a pipe to its
// input (ChildPipe); the plan does not know what it would have done.
struct ProgramRun {
  std::string commandLine;
  std::string workingDirectory;
  bool piped = false;
};

struct StartupItemChange {
  std::string displayName;  // deleted
};

struct ChangeSet {
  std::vector<FileChange> files;
  std::vector<DirectoryChange> directories;
  std::vector<ModeChange> modes;
  std::vector<RegistryChange> registry;
  std::vector<ServiceChange> services;
  std::vector<DataSourceChange> dataSources;
  std::vector<ProgramRun> programs;
  std::vector<StartupItemChange> startupItems;

  bool Empty() const;
};

bool operator==(const ChangeSet& a, const ChangeSet& b);

// Writes a change set to a stream and reads it back, so that a program
// started for a step (which records in its own process) hands its changes to
// the host that started it. Load gives nothing for a damaged or cut file.
bool SaveChangeSet(const ChangeSet& changes, std::FILE* out);
std::optional<ChangeSet> LoadChangeSet(std::FILE* in);

enum class Recording { kPassThrough, kPlan };

// One per process at a time (a second one while the first lives fails with
// status() kAlreadyExists and records nothing), made and ended while no
// other thread uses the seam. Handles that the library
// opened while it lived (keys, services, replacement files) fail with
// kInvalidHandle once it has gone. A file snapshot is never current while a
// recorder holds a change of its file that it does not show: one of the
// machine's file is stale while a plan holds the file pending, one of a
// pending file once the plan has gone. A plan does not write hive files
// (RegistryKey::SaveToFile, RestoreFromFile) nor move directories: those
// fail with kNotSupported.
class ChangeRecorder {
 public:
  explicit ChangeRecorder(Recording mode);
  ~ChangeRecorder();
  ChangeRecorder(const ChangeRecorder&) = delete;
  ChangeRecorder& operator=(const ChangeRecorder&) = delete;

  const Status& status() const;
  Recording mode() const;

  // What was changed (or would be) since the recorder was made.
  ChangeSet Changes() const;

  class Impl;

 private:
  Recording m_mode;
  Status m_status;
  std::unique_ptr<Impl> m_impl;  // null when the recorder failed
};

// The environment variable that makes a program record for the host that
// starts it: when it names a file, a recorder starts as the program loads
// (kPlan when the value begins with "plan:", the file name following, else
// kPassThrough), and its change set is saved to the file when the program
// ends.
constexpr char kRecordingVariable[] = "ORVANE_RECORD_CHANGES";

}  // namespace orvane::os

#endif  // ORVANE_OS_CHANGERECORDER_H_
