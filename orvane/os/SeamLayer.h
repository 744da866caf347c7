// The interface of a layer stacked on the backend: while one is active, the
// seam's public calls reach it instead of the backend (the recording layer
// of ChangeRecorder.h is the one there is). The handle classes' Impl are the
// interfaces that a backend's handle and a layer's handle both implement.
#ifndef ORVANE_OS_SEAMLAYER_H_
#define ORVANE_OS_SEAMLAYER_H_

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "orvane/os/Backend.h"
#include "orvane/os/FileSnapshot.h"
#include "orvane/os/Files.h"
#include "orvane/os/Network.h"
#include "orvane/os/Odbc.h"
#include "orvane/os/Process.h"
#include "orvane/os/Registry.h"
#include "orvane/os/Services.h"
#include "orvane/os/Shell.h"

namespace orvane::os {

class ReplacementFile::Impl {
 public:
  virtual ~Impl() = default;
  virtual FILE* stream() const = 0;
  virtual const Status& status() const = 0;
  virtual Status Finish() = 0;
  // backupPath null: no backup.
  virtual Status Commit(const std::string* backupPath) = 0;
};

class FileLock::Impl {
 public:
  virtual ~Impl() = default;
  virtual const Status& status() const = 0;
};

class FileSnapshot::Impl {
 public:
  virtual ~Impl() = default;
  virtual const std::string& bytes() const = 0;
  virtual bool IsCurrent() const = 0;
};

class RegistryKey::Impl {
 public:
  virtual ~Impl() = default;
  virtual Expected<std::unique_ptr<Impl>> OpenSubkey(const std::string& subkey,
                                                     RegistryAccess access) const = 0;
  virtual Expected<RegistryValue> QueryValue(const std::string& name) const = 0;
  virtual Status SetValue(const std::string& name, const RegistryValue& value) = 0;
  virtual Status DeleteValue(const std::string& name) = 0;
  virtual Expected<std::string> EnumerateSubkey(unsigned long index) const = 0;
  virtual Expected<std::string> EnumerateValue(unsigned long index) const = 0;
  virtual Expected<std::string> KeyClass() const = 0;
  virtual Status SaveToFile(const std::string& path) const = 0;
  virtual Status RestoreFromFile(const std::string& path) = 0;
};

class Service::Impl {
 public:
  virtual ~Impl() = default;
  virtual const std::string& name() const = 0;
  virtual Status Start() = 0;
  virtual Status Stop() = 0;
  virtual Expected<ServiceStatus> QueryStatus() const = 0;
  virtual Expected<ServiceConfig> QueryConfig(unsigned long bufferBytes,
                                              unsigned long* bytesNeeded) const = 0;
  virtual Status ChangeStartType(StartType startType) = 0;
  virtual Status Delete() = 0;
};

class ServiceDatabaseLock::Impl {
 public:
  virtual ~Impl() = default;
};

class ServiceManager::Impl {
 public:
  virtual ~Impl() = default;
  virtual Expected<std::unique_ptr<Service::Impl>> OpenService(const std::string& name) const = 0;
  virtual Expected<std::unique_ptr<Service::Impl>> CreateService(const std::string& name,
                                                                 const ServiceConfig& config) = 0;
  virtual Expected<std::unique_ptr<ServiceDatabaseLock::Impl>> LockDatabase() = 0;
};

class ChildPipe::Impl {
 public:
  virtual ~Impl() = default;
  virtual FILE* stream() = 0;
  virtual int Close() = 0;
};

// The calls that a layer takes over; the others (names resolution, accounts,
// the environment, ...) always reach the backend.
class SeamLayer {
 public:
  virtual ~SeamLayer() = default;

  virtual FILE* OpenFile(const std::string& path, const char* mode, int newFileMode) = 0;
  virtual std::unique_ptr<ReplacementFile::Impl> NewReplacementFile(const std::string& path,
                                                                    const char* mode,
                                                                    int newFileMode,
                                                                    ReplacedFileMode modeRule) = 0;
  virtual std::unique_ptr<FileLock::Impl> NewFileLock(const std::string& lockPath,
                                                      LockWait wait) = 0;
  virtual FILE* ReopenFile(const std::string& path, const char* mode, FILE* stream) = 0;
  virtual bool PathExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  virtual bool IsLink(const std::string& path) = 0;
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;
  virtual Status CopyFile(const std::string& source, const std::string& target,
                          bool failIfExists) = 0;
  virtual Status MoveFile(const std::string& source, const std::string& target) = 0;
  virtual Status DeleteFile(const std::string& path) = 0;
  virtual Status CreateDirectory(const std::string& path) = 0;
  virtual Status RemoveDirectory(const std::string& path) = 0;
  virtual Expected<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory,
                                                              const std::string& pattern) = 0;
  virtual Expected<std::string> ShortPathName(const std::string& path) = 0;
  virtual Status SetFileMode(const std::string& path, int mode) = 0;
  virtual Expected<std::unique_ptr<FileSnapshot::Impl>> TakeFileSnapshot(
      const std::string& path) = 0;
  // True when the layer holds a change of the file at path that the machine
  // does not show (a write, a copy or move onto it, its move or deletion).
  virtual bool HoldsChangeOf(const std::string& path) const = 0;

  virtual Expected<std::unique_ptr<RegistryKey::Impl>> OpenRegistryKey(RegistryRoot root,
                                                                       const std::string& subkey,
                                                                       RegistryAccess access) = 0;
  virtual Expected<std::unique_ptr<RegistryKey::Impl>> CreateRegistryKey(
      RegistryRoot root, const std::string& subkey, const std::string& keyClass,
      RegistryAccess access) = 0;
  virtual Status DeleteRegistryKey(RegistryRoot root, const std::string& subkey) = 0;

  virtual Expected<std::unique_ptr<ServiceManager::Impl>> OpenServiceManager() = 0;

  virtual Status StartProcess(const std::string& commandLine,
                              const std::string& workingDirectory) = 0;
  virtual Expected<std::unique_ptr<ChildPipe::Impl>> OpenChildPipe(
      const std::string& commandLine) = 0;
  virtual void SleepMilliseconds(unsigned long milliseconds) = 0;

  virtual Status ConfigureDataSource(DataSourceRequest request, const std::string& driver,
                                     const char* attributes) = 0;
  virtual Expected<std::vector<std::string>> ListStartupItems() = 0;
  virtual Status DeleteStartupItem(const std::string& displayName) = 0;
  virtual Expected<ServiceEntry> LookupServiceByPort(int port, const std::string& protocol) = 0;
};

// The backend's handles as the Impl of the public classes, for the calls
// that reach the backend (also a pass-through layer's).
std::unique_ptr<FileLock::Impl> BackendFileLock(const std::string& lockPath, LockWait wait);
std::unique_ptr<ChildPipe::Impl> BackendChildPipe(backend::ChildPipe pipe);
std::unique_ptr<ServiceDatabaseLock::Impl> BackendDatabaseLock(backend::ServiceDatabaseLock lock);

// Whether a snapshot read from the machine still shows what a reader of path
// sees: the machine's file is unchanged, and the active layer (if any) holds
// no change of it that a reader would see instead.
bool IsMachineSnapshotCurrent(const backend::FileSnapshot& snapshot, const std::string& path);

// The active layer, null when there is none: each public call tests it once.
SeamLayer* ActiveSeamLayer();
void SetActiveSeamLayer(SeamLayer* layer);

// When kRecordingVariable names a file, starts the process's recorder for
// its host and saves the change set to the file when the process ends; the
// variable is cleared, so the process's own children do not record into it.
void StartRecordingFromEnvironment();

}  // namespace orvane::os

#endif  // ORVANE_OS_SEAMLAYER_H_
