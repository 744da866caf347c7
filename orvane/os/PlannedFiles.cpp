#include "orvane/os/PlannedFiles.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "orvane/os/Backend.h"
#include "orvane/os/WindowsNames.h"

namespace orvane::os {
namespace {

std::optional<std::string> ReadStream(FILE* stream) {
  if (stream == nullptr) return std::nullopt;
  std::string bytes;
  char buffer[8192];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) bytes.append(buffer, got);
  std::fclose(stream);
  return bytes;
}

bool WriteHostFile(const std::string& hostPath, const std::string& bytes) {
  FILE* stream = backend::OpenHostStream(hostPath, "wb");
  if (stream == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
  return std::fclose(stream) == 0 && written;
}

bool Writes(const char* mode) { return mode[0] != 'r' || std::strchr(mode, '+') != nullptr; }

// A ReplacementFile of the plan: written into the process's memory (or a
// scratch file), committed into the overlay.
class PlannedReplacement final : public ReplacementFile::Impl {
 public:
  PlannedReplacement(PlannedFiles& files, const std::string& path, const char* mode,
                     int newFileMode, ReplacedFileMode modeRule, Status status)
      : m_files(files.weak_from_this()),
        m_path(path),
        m_newFileMode(newFileMode),
        m_modeRule(modeRule),
        m_status(status) {
    if (!m_status.ok()) return;
    if (mode[0] != 'w') {
      m_status = Status::Failure(kInvalidParameter);
      return;
    }
    m_stream = files.NewContentStream(mode, newFileMode, &m_held, &m_written.scratch);
    if (m_stream == nullptr) m_status = Status::FromLastError();
  }
  ~PlannedReplacement() override {
    if (m_stream != nullptr) std::fclose(m_stream);
    if (!m_committed) RemoveScratch();
  }

  FILE* stream() const override { return m_stream; }
  const Status& status() const override { return m_status; }
  Status Finish() override {
    if (m_stream == nullptr) return m_status;
    bool failed = std::fflush(m_stream) != 0 || std::ferror(m_stream) != 0;
    failed = std::fclose(m_stream) != 0 || failed;
    m_stream = nullptr;
    if (m_held && !m_held->spillPath.empty()) {
      m_written.scratch = m_held->spillPath;
    } else if (m_held) {
      m_written.held = std::move(m_held->bytes);
    }
    m_held.reset();
    if (failed) m_status = Status::Failure(kWriteFault);
    return m_status;
  }
  Status Commit(const std::string* backupPath) override {
    Status finished = Finish();
    if (!finished.ok() || m_committed) return finished;
    std::shared_ptr<PlannedFiles> files = m_files.lock();
    if (!files) return m_status = Status::Failure(kInvalidHandle);
    if (backupPath != nullptr &&
        files->HoldsContentOf(m_path, m_written, m_newFileMode, m_modeRule)) {
      // As on the machine: the file and its backup stay as they are.
      RemoveScratch();
    } else {
      files->CommitReplacement(m_path, backupPath, m_written, m_newFileMode);
    }
    m_committed = true;
    return m_status;
  }

 private:
  void RemoveScratch() {
    const std::string& scratch = m_held ? m_held->spillPath : m_written.scratch;
    if (!scratch.empty()) std::remove(scratch.c_str());
  }

  std::weak_ptr<PlannedFiles> m_files;
  std::string m_path;
  int m_newFileMode;
  ReplacedFileMode m_modeRule;
  Status m_status;
  FILE* m_stream = nullptr;
  std::shared_ptr<backend::HeldBytes> m_held;  // where a held stream's bytes go
  PlannedFiles::Entry m_written{PlannedFiles::Kind::kFile, std::string(), std::string(), std::nullopt};
  bool m_committed = false;
};

// A ReplacementFile that reaches the backend and records the file (and the
// backup) before its commit changes them.
class RecordedReplacement final : public ReplacementFile::Impl {
 public:
  RecordedReplacement(PlannedFiles& files, const std::string& path, const char* mode,
                      int newFileMode, ReplacedFileMode modeRule)
      : m_files(files.weak_from_this()),
        m_path(path),
        m_newFileMode(newFileMode),
        m_file(path, mode, newFileMode, modeRule) {}

  FILE* stream() const override { return m_file.stream(); }
  const Status& status() const override { return m_file.status(); }
  Status Finish() override { return m_file.Finish(); }
  Status Commit(const std::string* backupPath) override {
    std::shared_ptr<PlannedFiles> files = m_files.lock();
    if (files) files->Touch(m_path, m_newFileMode);
    if (backupPath == nullptr) return m_file.Commit();
    if (files) files->Touch(*backupPath, m_newFileMode);
    return m_file.Commit(*backupPath);
  }

 private:
  std::weak_ptr<PlannedFiles> m_files;
  std::string m_path;
  int m_newFileMode;
  backend::ReplacementFile m_file;
};

// The plan takes no locks: nothing it does is seen by another process.
class PlannedLock final : public FileLock::Impl {
 public:
  const Status& status() const override { return m_status; }

 private:
  Status m_status;
};

// A snapshot of a file as the run sees it. One of a pending file is current
// while the run sees the same bytes, and never once the recorder has gone (a
// reader that keeps it reads the file again, as the machine has it). One read
// from the machine follows the machine's rule (IsMachineSnapshotCurrent): it
// outlives the recorder as long as no layer holds the path and the file is
// unchanged, so a reader's parse serves one recording after another.
class LayerSnapshot final : public FileSnapshot::Impl {
 public:
  LayerSnapshot(const PlannedFiles& files, std::string path, std::string bytes,
                std::optional<backend::FileSnapshot> backendSnapshot)
      : m_files(files.weak_from_this()),
        m_path(std::move(path)),
        m_bytes(std::move(bytes)),
        m_backend(std::move(backendSnapshot)) {}
  const std::string& bytes() const override { return m_backend ? m_backend->bytes() : m_bytes; }
  bool IsCurrent() const override {
    if (m_backend) return IsMachineSnapshotCurrent(*m_backend, m_path);
    std::shared_ptr<const PlannedFiles> files = m_files.lock();
    return files && files->CurrentBytes(m_path) == m_bytes;
  }

 private:
  std::weak_ptr<const PlannedFiles> m_files;
  std::string m_path;
  std::string m_bytes;
  std::optional<backend::FileSnapshot> m_backend;
};

}  // namespace

PlannedFiles::PlannedFiles(Recording mode) : m_mode(mode) {}

PlannedFiles::~PlannedFiles() {
  if (!m_scratchFolder.empty()) backend::RemoveScratchFolder(m_scratchFolder);
}

std::string PlannedFiles::NewScratchPath() {
  // Made when first needed: most plans hold everything in memory.
  if (m_scratchFolder.empty()) {
    Expected<std::string> folder = backend::MakeScratchFolder();
    if (!folder.ok()) return std::string();
    m_scratchFolder = std::move(*folder);
  }
  return m_scratchFolder + "/" + std::to_string(++m_scratchCount);
}

FILE* PlannedFiles::NewContentStream(const char* mode, int newFileMode,
                                     std::shared_ptr<backend::HeldBytes>* held,
                                     std::string* scratch) {
  *held = std::make_shared<backend::HeldBytes>();
  std::weak_ptr<PlannedFiles> files = weak_from_this();
  FILE* stream = backend::OpenHeldStream(mode, *held, kKeptBytes, [files] {
    std::shared_ptr<PlannedFiles> alive = files.lock();
    return alive ? alive->NewScratchPath() : std::string();
  });
  if (stream != nullptr) return stream;
  held->reset();
  *scratch = NewScratchPath();
  return scratch->empty() ? nullptr : backend::OpenHostStream(*scratch, mode, newFileMode);
}

std::optional<std::string> PlannedFiles::BytesOf(const Entry& entry) {
  if (entry.held) return entry.held;
  return ReadStream(backend::OpenHostStream(entry.scratch, "rb"));
}

const PlannedFiles::Entry* PlannedFiles::Pending(const std::string& key) const {
  if (m_pending.empty()) return nullptr;
  auto found = m_pending.find(key);
  return found == m_pending.end() ? nullptr : &found->second;
}

bool PlannedFiles::IsPending(const std::string& path) const {
  return Pending(PathKey(path)) != nullptr;
}

PlannedFiles::Seen& PlannedFiles::Look(const std::string& key, const std::string& path,
                                       bool withBytes) const {
  if (m_mode == Recording::kPassThrough) m_seen.clear();
  auto found = m_seen.find(key);
  // Only a file has bytes to ask for.
  if (found != m_seen.end() &&
      (found->second.withBytes || !withBytes || found->second.state.kind != backend::PathKind::kFile)) {
    return found->second;
  }
  Seen& seen = m_seen[key];
  seen.state = backend::StateOfPath(path, withBytes);
  seen.withBytes = withBytes;
  return seen;
}

backend::PathState PlannedFiles::MachineState(const std::string& key,
                                              const std::string& path) const {
  Seen& seen = Look(key, path, true);
  if (!seen.state.bytes || seen.state.bytes->size() <= kKeptBytes) return seen.state;
  backend::PathState state;
  state.kind = seen.state.kind;
  state.mode = seen.state.mode;
  state.bytes = std::exchange(seen.state.bytes, std::nullopt);
  seen.withBytes = false;  // read again when asked again
  return state;
}

PlannedFiles::Kind PlannedFiles::KindOfState(backend::PathKind kind) {
  switch (kind) {
    case backend::PathKind::kDirectory:
      return Kind::kDirectory;
    case backend::PathKind::kFile:
      return Kind::kFile;
    case backend::PathKind::kMissing:
      break;
  }
  return Kind::kMissing;
}

PlannedFiles::Kind PlannedFiles::KindOf(const std::string& key, const std::string& path,
                                        bool withBytes) const {
  if (const Entry* entry = Pending(key)) return entry->kind;
  return KindOfState(Look(key, path, withBytes).state.kind);
}

std::optional<std::string> PlannedFiles::CurrentBytes(const std::string& path) const {
  return CurrentBytes(PathKey(path), path);
}

std::optional<std::string> PlannedFiles::CurrentBytes(const std::string& key,
                                                      const std::string& path) const {
  if (const Entry* entry = Pending(key)) {
    if (entry->kind != Kind::kFile) return std::nullopt;
    return BytesOf(*entry);
  }
  // Both backends refuse to read a directory as a file.
  return MachineState(key, path).bytes;
}

std::string PlannedFiles::ScratchOf(const std::string& key) {
  Entry& entry = m_pending[key];
  if (entry.held) {
    const std::string scratch = NewScratchPath();
    if (!WriteHostFile(scratch, *entry.held)) return std::string();
    entry.scratch = scratch;
    entry.held.reset();
  }
  return entry.scratch;
}

size_t PlannedFiles::Touch(const std::string& path, int newFileMode) {
  return Touch(PathKey(path), path, newFileMode);
}

size_t PlannedFiles::Touch(const std::string& key, const std::string& path, int newFileMode) {
  auto found = m_beforeIndex.find(key);
  if (found == m_beforeIndex.end()) {
    Before before;
    before.path = path;
    before.key = key;
    // Nothing is pending at a path before its first change: this is the machine's.
    backend::PathState machine = MachineState(key, path);
    before.kind = KindOfState(machine.kind);
    before.bytes = std::move(machine.bytes);
    const Expected<int>& mode = machine.mode;
    if (mode.ok()) before.mode = *mode;
    before.hasModes = mode.ok() || mode.status().code() != kNotSupported;
    m_before.push_back(std::move(before));
    found = m_beforeIndex.emplace(key, m_before.size() - 1).first;
  }
  if (newFileMode >= 0) m_before[found->second].newFileMode = newFileMode;
  return found->second;
}

int PlannedFiles::RecordedModeOf(const std::string& key) const {
  auto found = m_beforeIndex.find(key);
  return found == m_beforeIndex.end() ? 0666 : m_before[found->second].newFileMode;
}

void PlannedFiles::SetPendingFile(const std::string& key, const std::string& path,
                                  const std::string& scratch) {
  m_pending[key] = Entry{Kind::kFile, path, scratch, std::nullopt};
}

void PlannedFiles::SetPendingBytes(const std::string& key, const std::string& path,
                                   std::string bytes) {
  m_pending[key] = Entry{Kind::kFile, path, std::string(), std::move(bytes)};
}

void PlannedFiles::SetPendingLike(const std::string& key, const std::string& path,
                                  const Entry& entry) {
  m_pending[key] = Entry{Kind::kFile, path, entry.scratch, entry.held};
}

void PlannedFiles::SetPendingKind(const std::string& key, const std::string& path, Kind kind) {
  m_pending[key] = Entry{kind, path, std::string(), std::nullopt};
}

Status PlannedFiles::CheckWritableFile(const std::string& key, const std::string& path) const {
  if (KindOf(key, path, true) == Kind::kDirectory) return Status::Failure(kAccessDenied);
  if (KindOf(ParentKey(key), ParentFolder(path)) != Kind::kDirectory) {
    return Status::Failure(kPathNotFound);
  }
  return Status();
}

FILE* PlannedFiles::OpenFile(const std::string& path, const char* mode, int newFileMode) {
  const std::string key = PathKey(path);
  if (!Writes(mode)) {
    const Entry* entry = Pending(key);
    if (entry == nullptr) return backend::OpenFile(path, mode, newFileMode);
    if (entry->kind != Kind::kFile) {
      Status::Failure(entry->kind == Kind::kDirectory ? kAccessDenied : kFileNotFound);
      return nullptr;
    }
    const std::string scratch = ScratchOf(key);
    if (scratch.empty()) {
      Status::Failure(kWriteFault);
      return nullptr;
    }
    return backend::OpenHostStream(scratch, mode);
  }
  if (m_mode == Recording::kPassThrough) {
    Touch(key, path, newFileMode);
    return backend::OpenFile(path, mode, newFileMode);
  }
  Status writable = CheckWritableFile(key, path);
  const bool exists = KindOf(key, path) == Kind::kFile;
  if (writable.ok() && mode[0] == 'r' && !exists) writable = Status::Failure(kFileNotFound);
  if (!writable.ok()) return nullptr;
  Touch(key, path, newFileMode);
  const Entry* entry = Pending(key);
  std::string scratch =
      entry != nullptr && entry->kind == Kind::kFile ? ScratchOf(key) : NewScratchPath();
  // Appending and updating start from the file's bytes.
  const std::optional<std::string> bytes =
      entry == nullptr && exists && mode[0] != 'w' ? CurrentBytes(key, path) : std::nullopt;
  if (scratch.empty() || (bytes && !WriteHostFile(scratch, *bytes))) {
    Status::Failure(kWriteFault);
    return nullptr;
  }
  SetPendingFile(key, path, scratch);
  return backend::OpenHostStream(scratch, mode, newFileMode);
}

std::unique_ptr<ReplacementFile::Impl> PlannedFiles::NewReplacementFile(const std::string& path,
                                                                        const char* mode,
                                                                        int newFileMode,
                                                                        ReplacedFileMode modeRule) {
  if (m_mode == Recording::kPassThrough) {
    return std::make_unique<RecordedReplacement>(*this, path, mode, newFileMode, modeRule);
  }
  return std::make_unique<PlannedReplacement>(*this, path, mode, newFileMode, modeRule,
                                              CheckWritableFile(PathKey(path), path));
}

bool PlannedFiles::HoldsContentOf(const std::string& path, const Entry& written,
                                  int newFileMode, ReplacedFileMode modeRule) const {
  const std::string key = PathKey(path);
  if (KindOf(key, path) != Kind::kFile) return false;
  const std::optional<std::string> bytes = BytesOf(written);
  if (!bytes || bytes != CurrentBytes(key, path)) return false;
  // The mode the replacement would give, where the machine keeps modes; a
  // pending file has the mode it was planned with.
  const Expected<int> mode = Pending(key) == nullptr ? Look(key, path, false).state.mode
                                                     : Expected<int>(RecordedModeOf(key));
  // Without modes (Windows) a private file is written anyway, to close it to others.
  if (!mode.ok()) return mode.status().code() == kNotSupported && (newFileMode & 077) != 0;
  const int replaced = modeRule == ReplacedFileMode::kKept          ? *mode
                       : modeRule == ReplacedFileMode::kWithoutOthers ? *mode & ~07
                                                                      : newFileMode;
  return replaced == *mode;
}

void PlannedFiles::CommitReplacement(const std::string& path, const std::string* backupPath,
                                     const Entry& written, int newFileMode) {
  const std::string key = PathKey(path);
  Touch(key, path, newFileMode);
  if (backupPath != nullptr && KindOf(key, path) == Kind::kFile) {
    const std::string backupKey = PathKey(*backupPath);
    Touch(backupKey, *backupPath, newFileMode);
    if (const Entry* entry = Pending(key)) {
      SetPendingLike(backupKey, *backupPath, *entry);
    } else if (std::optional<std::string> previous = CurrentBytes(key, path)) {
      SetPendingBytes(backupKey, *backupPath, std::move(*previous));
    }
  }
  SetPendingLike(key, path, written);
}

std::unique_ptr<FileLock::Impl> PlannedFiles::NewFileLock(const std::string& lockPath,
                                                          LockWait wait) {
  if (m_mode == Recording::kPlan) return std::make_unique<PlannedLock>();
  return BackendFileLock(lockPath, wait);
}

FILE* PlannedFiles::ReopenFile(const std::string& path, const char* mode, FILE* stream) {
  const std::string key = PathKey(path);
  if (m_mode == Recording::kPassThrough) {
    Touch(key, path, -1);
    return backend::ReopenFile(path, mode, stream);
  }
  if (!CheckWritableFile(key, path).ok()) return nullptr;
  Touch(key, path, -1);
  std::string scratch = NewScratchPath();
  SetPendingFile(key, path, scratch);
  return std::freopen(scratch.c_str(), mode, stream);
}

bool PlannedFiles::PathExists(const std::string& path) const {
  return KindOf(PathKey(path), path) != Kind::kMissing;
}

bool PlannedFiles::DirectoryExists(const std::string& path) const {
  return KindOf(PathKey(path), path) == Kind::kDirectory;
}

bool PlannedFiles::IsLink(const std::string& path) const {
  return Pending(PathKey(path)) == nullptr && backend::IsLink(path);
}

bool PlannedFiles::SameFile(const std::string& a, const std::string& b) const {
  const std::string keyA = PathKey(a);
  const std::string keyB = PathKey(b);
  if (Pending(keyA) == nullptr && Pending(keyB) == nullptr) return backend::SameFile(a, b);
  return keyA == keyB && KindOf(keyA, a) != Kind::kMissing;
}

Status PlannedFiles::CopyFile(const std::string& source, const std::string& target,
                              bool failIfExists) {
  const std::string sourceKey = PathKey(source);
  const std::string targetKey = PathKey(target);
  const int mode = RecordedModeOf(sourceKey);
  if (m_mode == Recording::kPassThrough) {
    Touch(targetKey, target, mode);
    return backend::CopyFile(source, target, failIfExists);
  }
  std::optional<std::string> bytes = CurrentBytes(sourceKey, source);
  if (!bytes) {
    return Status::Failure(KindOf(sourceKey, source) == Kind::kMissing ? kFileNotFound
                                                                       : kAccessDenied);
  }
  Status writable = CheckWritableFile(targetKey, target);
  if (!writable.ok()) return writable;
  if (failIfExists && KindOf(targetKey, target) == Kind::kFile) return Status::Failure(kFileExists);
  Touch(targetKey, target, mode);
  SetPendingBytes(targetKey, target, std::move(*bytes));
  return Status();
}

Status PlannedFiles::MoveFile(const std::string& source, const std::string& target) {
  const std::string sourceKey = PathKey(source);
  const std::string targetKey = PathKey(target);
  const int mode = RecordedModeOf(sourceKey);
  if (m_mode == Recording::kPassThrough) {
    Touch(sourceKey, source, -1);
    Touch(targetKey, target, mode);
    return backend::MoveFile(source, target);
  }
  const Kind kind = KindOf(sourceKey, source);
  if (kind == Kind::kMissing) return Status::Failure(kFileNotFound);
  // A folder's move would carry every pending path below it: the library
  // moves files only, and the plan does not pretend to more.
  if (kind == Kind::kDirectory) return Status::Failure(kNotSupported);
  Status writable = CheckWritableFile(targetKey, target);
  if (!writable.ok()) return writable;
  if (sourceKey == targetKey) return Status();
  std::optional<Entry> moved;
  if (const Entry* entry = Pending(sourceKey)) {
    moved = *entry;
  } else if (std::optional<std::string> bytes = CurrentBytes(sourceKey, source)) {
    moved = Entry{Kind::kFile, source, std::string(), std::move(bytes)};
  } else {
    return Status::Failure(kAccessDenied);
  }
  Touch(sourceKey, source, -1);
  Touch(targetKey, target, mode);
  SetPendingLike(targetKey, target, *moved);
  SetPendingKind(sourceKey, source, Kind::kMissing);
  return Status();
}

Status PlannedFiles::DeleteFile(const std::string& path) {
  const std::string key = PathKey(path);
  if (m_mode == Recording::kPassThrough) {
    Touch(key, path, -1);
    return backend::DeleteFile(path);
  }
  const Kind kind = KindOf(key, path);
  if (kind != Kind::kFile)
    return Status::Failure(kind == Kind::kMissing ? kFileNotFound : kAccessDenied);
  Touch(key, path, -1);
  SetPendingKind(key, path, Kind::kMissing);
  return Status();
}

Status PlannedFiles::CreateDirectory(const std::string& path) {
  const std::string key = PathKey(path);
  if (m_mode == Recording::kPassThrough) {
    Touch(key, path, -1);
    return backend::CreateDirectory(path);
  }
  if (KindOf(key, path) != Kind::kMissing) return Status::Failure(kAlreadyExists);
  if (KindOf(ParentKey(key), ParentFolder(path)) != Kind::kDirectory) {
    return Status::Failure(kPathNotFound);
  }
  Touch(key, path, -1);
  SetPendingKind(key, path, Kind::kDirectory);
  return Status();
}

Status PlannedFiles::RemoveDirectory(const std::string& path) {
  const std::string key = PathKey(path);
  if (m_mode == Recording::kPassThrough) {
    Touch(key, path, -1);
    return backend::RemoveDirectory(path);
  }
  const Kind kind = KindOf(key, path);
  if (kind != Kind::kDirectory) {
    return Status::Failure(kind == Kind::kMissing ? kFileNotFound : kDirectoryInvalid);
  }
  if (ListDirectory(path, "*").ok()) return Status::Failure(kDirectoryNotEmpty);
  Touch(key, path, -1);
  SetPendingKind(key, path, Kind::kMissing);
  return Status();
}

Expected<std::vector<DirectoryEntry>> PlannedFiles::ListDirectory(
    const std::string& directory, const std::string& pattern) const {
  const std::string key = PathKey(directory);
  std::vector<const Entry*> below;
  for (const auto& [entryKey, entry] : m_pending) {
    if (ParentKey(entryKey) == key) below.push_back(&entry);
  }
  if (below.empty() && Pending(key) == nullptr) return backend::ListDirectory(directory, pattern);
  if (KindOf(key, directory) != Kind::kDirectory) return Status::Failure(kPathNotFound);
  std::vector<DirectoryEntry> entries;
  if (Pending(key) == nullptr) {
    Expected<std::vector<DirectoryEntry>> listed = backend::ListDirectory(directory, pattern);
    if (listed.ok()) entries = std::move(*listed);
  }
  for (const Entry* entry : below) {
    const std::string name = LastComponent(entry->spelling);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const DirectoryEntry& listed) {
                                   return PathKey(listed.name) == PathKey(name);
                                 }),
                  entries.end());
    if (entry->kind != Kind::kMissing && MatchesWildcard(name, pattern)) {
      entries.push_back({name, entry->kind == Kind::kDirectory});
    }
  }
  if (entries.empty()) return Status::Failure(kFileNotFound);
  std::sort(entries.begin(), entries.end(), ListedBefore);
  return entries;
}

Expected<std::string> PlannedFiles::ShortPathName(const std::string& path) const {
  if (const Entry* entry = Pending(PathKey(path))) {
    if (entry->kind == Kind::kMissing) return Status::Failure(kFileNotFound);
    return path;
  }
  return backend::ShortPathName(path);
}

Status PlannedFiles::SetFileMode(const std::string& path, int mode) {
  const std::string key = PathKey(path);
  const size_t index = Touch(key, path, -1);  // the mode before, taken before it changes
  Status set = m_mode == Recording::kPassThrough ? backend::SetFileMode(path, mode)
               : KindOf(key, path) == Kind::kMissing ? Status::Failure(kFileNotFound)
                                                     : Status();
  if (set.ok() && m_before[index].hasModes) m_before[index].modeSet = mode;
  return set;
}

Expected<std::unique_ptr<FileSnapshot::Impl>> PlannedFiles::TakeFileSnapshot(
    const std::string& path) const {
  if (Pending(PathKey(path)) == nullptr) {
    Expected<backend::FileSnapshot> snapshot = backend::FileSnapshot::Take(path);
    if (!snapshot.ok()) return snapshot.status();
    return std::unique_ptr<FileSnapshot::Impl>(
        std::make_unique<LayerSnapshot>(*this, path, std::string(), std::move(*snapshot)));
  }
  std::optional<std::string> bytes = CurrentBytes(path);
  if (!bytes) return Status::Failure(kFileNotFound);
  return std::unique_ptr<FileSnapshot::Impl>(
      std::make_unique<LayerSnapshot>(*this, path, std::move(*bytes), std::nullopt));
}

void PlannedFiles::AppendChanges(ChangeSet* changes) const {
  for (const Before& before : m_before) {
    const Kind now = KindOf(before.key, before.path, true);
    std::optional<std::string> after =
        now == Kind::kFile ? CurrentBytes(before.key, before.path) : std::nullopt;
    if (before.bytes != after) {
      changes->files.push_back({before.path, before.bytes, after, before.newFileMode});
    }
    if ((before.kind == Kind::kDirectory) != (now == Kind::kDirectory)) {
      changes->directories.push_back({before.path, now == Kind::kDirectory});
    }
    if (before.modeSet && before.modeSet != before.mode) {
      changes->modes.push_back({before.path, *before.modeSet});
    }
  }
}

}  // namespace orvane::os
