// The public files calls: each reaches the active layer when there is one,
// else the backend.
#include "orvane/os/Files.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "orvane/os/Backend.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {
namespace {

// A process may hold several copies of the seam: the shared library's, and
// the static one of a program that links the library too. They all route
// through one slot for the active layer, which the first copy to look for it
// leaves in the process's environment for the others, marked with the
// process's id, so that a child that inherits the variable makes its own.
constexpr char kSlotVariable[] = "ORVANE_SEAM_LAYER_SLOT";

SeamLayer** FindProcessSlot() {
  const std::string mark = std::to_string(backend::CurrentProcessId()) + ":";
  const char* value = std::getenv(kSlotVariable);
  if (value != nullptr && std::strncmp(value, mark.c_str(), mark.size()) == 0) {
    return reinterpret_cast<SeamLayer**>(
        static_cast<std::uintptr_t>(std::strtoull(value + mark.size(), nullptr, 16)));
  }
  auto** slot = new SeamLayer*(nullptr);  // never freed: every copy holds it to the end
  char address[2 * sizeof(std::uintptr_t) + 1];
  std::snprintf(address, sizeof address, "%" PRIxPTR, reinterpret_cast<std::uintptr_t>(slot));
  backend::SetEnvironmentVariable(kSlotVariable, mark + address);
  return slot;
}

SeamLayer*& ActiveSlot() {
  static SeamLayer** const slot = FindProcessSlot();
  return *slot;
}

// Found while the program loads, before a second thread could look too; a
// program asked to record for its host starts recording then.
const bool g_slotFound = [] {
  ActiveSlot();
  StartRecordingFromEnvironment();
  return true;
}();

class BackendReplacementFile final : public ReplacementFile::Impl {
 public:
  BackendReplacementFile(const std::string& path, const char* mode, int newFileMode,
                         ReplacedFileMode modeRule)
      : m_file(path, mode, newFileMode, modeRule) {}
  FILE* stream() const override { return m_file.stream(); }
  const Status& status() const override { return m_file.status(); }
  Status Finish() override { return m_file.Finish(); }
  Status Commit(const std::string* backupPath) override {
    return backupPath != nullptr ? m_file.Commit(*backupPath) : m_file.Commit();
  }

 private:
  backend::ReplacementFile m_file;
};

class BackendLock final : public FileLock::Impl {
 public:
  BackendLock(const std::string& lockPath, LockWait wait) : m_lock(lockPath, wait) {}
  const Status& status() const override { return m_lock.status(); }

 private:
  backend::FileLock m_lock;
};

}  // namespace

std::unique_ptr<FileLock::Impl> BackendFileLock(const std::string& lockPath, LockWait wait) {
  return std::make_unique<BackendLock>(lockPath, wait);
}

SeamLayer* ActiveSeamLayer() { return ActiveSlot(); }
void SetActiveSeamLayer(SeamLayer* layer) { ActiveSlot() = layer; }

FILE* OpenFile(const std::string& path, const char* mode, int newFileMode) {
  if (SeamLayer* layer = ActiveSlot()) return layer->OpenFile(path, mode, newFileMode);
  return backend::OpenFile(path, mode, newFileMode);
}

ReplacementFile::ReplacementFile(const std::string& path, const char* mode, int newFileMode,
                                 ReplacedFileMode modeRule)
    : m_impl(ActiveSlot() != nullptr
                 ? ActiveSlot()->NewReplacementFile(path, mode, newFileMode, modeRule)
                 : std::make_unique<BackendReplacementFile>(path, mode, newFileMode, modeRule)) {}
ReplacementFile::~ReplacementFile() = default;
FILE* ReplacementFile::stream() const { return m_impl->stream(); }
const Status& ReplacementFile::status() const { return m_impl->status(); }
Status ReplacementFile::Finish() { return m_impl->Finish(); }
Status ReplacementFile::Commit() { return m_impl->Commit(nullptr); }
Status ReplacementFile::Commit(const std::string& backupPath) {
  return m_impl->Commit(&backupPath);
}

FileLock::FileLock(const std::string& lockPath, LockWait wait)
    : m_impl(ActiveSlot() != nullptr ? ActiveSlot()->NewFileLock(lockPath, wait)
                                      : BackendFileLock(lockPath, wait)) {}
FileLock::~FileLock() = default;
const Status& FileLock::status() const { return m_impl->status(); }

FILE* ReopenFile(const std::string& path, const char* mode, FILE* stream) {
  if (SeamLayer* layer = ActiveSlot()) return layer->ReopenFile(path, mode, stream);
  return backend::ReopenFile(path, mode, stream);
}

bool PathExists(const std::string& path) {
  if (SeamLayer* layer = ActiveSlot()) return layer->PathExists(path);
  return backend::PathExists(path);
}

bool DirectoryExists(const std::string& path) {
  if (SeamLayer* layer = ActiveSlot()) return layer->DirectoryExists(path);
  return backend::DirectoryExists(path);
}

bool IsLink(const std::string& path) {
  if (SeamLayer* layer = ActiveSlot()) return layer->IsLink(path);
  return backend::IsLink(path);
}

bool SameFile(const std::string& a, const std::string& b) {
  if (SeamLayer* layer = ActiveSlot()) return layer->SameFile(a, b);
  return backend::SameFile(a, b);
}

Status CopyFile(const std::string& source, const std::string& target, bool failIfExists) {
  if (SeamLayer* layer = ActiveSlot()) return layer->CopyFile(source, target, failIfExists);
  return backend::CopyFile(source, target, failIfExists);
}

Status MoveFile(const std::string& source, const std::string& target) {
  if (SeamLayer* layer = ActiveSlot()) return layer->MoveFile(source, target);
  return backend::MoveFile(source, target);
}

Status DeleteFile(const std::string& path) {
  if (SeamLayer* layer = ActiveSlot()) return layer->DeleteFile(path);
  return backend::DeleteFile(path);
}

Status CreateDirectory(const std::string& path) {
  if (SeamLayer* layer = ActiveSlot()) return layer->CreateDirectory(path);
  return backend::CreateDirectory(path);
}

Status RemoveDirectory(const std::string& path) {
  if (SeamLayer* layer = ActiveSlot()) return layer->RemoveDirectory(path);
  return backend::RemoveDirectory(path);
}

Expected<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory,
                                                    const std::string& pattern) {
  if (SeamLayer* layer = ActiveSlot()) return layer->ListDirectory(directory, pattern);
  return backend::ListDirectory(directory, pattern);
}

Expected<std::string> ShortPathName(const std::string& path) {
  if (SeamLayer* layer = ActiveSlot()) return layer->ShortPathName(path);
  return backend::ShortPathName(path);
}

std::string WindowsDirectory() { return backend::WindowsDirectory(); }

Status SetFileMode(const std::string& path, int mode) {
  if (SeamLayer* layer = ActiveSlot()) return layer->SetFileMode(path, mode);
  return backend::SetFileMode(path, mode);
}

// Owners are recorded nowhere on the emulated machine and are no change a
// plan shows: the call always reaches the backend.
Status SetFileOwner(const std::string& path, const std::string& owner) {
  return backend::SetFileOwner(path, owner);
}

}  // namespace orvane::os
