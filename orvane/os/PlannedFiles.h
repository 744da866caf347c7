// The files part of the recording layer (ChangeRecorder.h).
//
// Under Recording::kPlan the pending state is an overlay keyed by PathKey:
// a path is a file (its bytes held in memory or in a host file of the
// scratch folder, with the mode it would have), a directory, or deleted;
// whatever the overlay does not hold is read from the backend. Under kPassThrough the overlay stays
// empty and every call reaches the backend. Both keep each path's state at
// its first change, and the change set compares it with the state seen now.
#ifndef ORVANE_OS_PLANNEDFILES_H_
#define ORVANE_OS_PLANNEDFILES_H_

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "orvane/os/Backend.h"
#include "orvane/os/ChangeRecorder.h"
#include "orvane/os/SeamLayer.h"

namespace orvane::os {

// Owned by a shared pointer: the handles it gives (replacements, snapshots)
// hold it weakly, so that one kept after the recorder has gone fails
// (kInvalidHandle) instead of reaching it.
class PlannedFiles : public std::enable_shared_from_this<PlannedFiles> {
 public:
  // Pending files that are not held in memory go into a scratch folder of
  // the host's, made when first needed and removed with the object.
  explicit PlannedFiles(Recording mode);
  ~PlannedFiles();
  PlannedFiles(const PlannedFiles&) = delete;
  PlannedFiles& operator=(const PlannedFiles&) = delete;

  // The SeamLayer calls of the files seam.
  FILE* OpenFile(const std::string& path, const char* mode, int newFileMode);
  std::unique_ptr<ReplacementFile::Impl> NewReplacementFile(const std::string& path,
                                                            const char* mode, int newFileMode,
                                                            ReplacedFileMode modeRule);
  std::unique_ptr<FileLock::Impl> NewFileLock(const std::string& lockPath, LockWait wait);
  FILE* ReopenFile(const std::string& path, const char* mode, FILE* stream);
  bool PathExists(const std::string& path) const;
  bool DirectoryExists(const std::string& path) const;
  bool IsLink(const std::string& path) const;
  bool SameFile(const std::string& a, const std::string& b) const;
  Status CopyFile(const std::string& source, const std::string& target, bool failIfExists);
  Status MoveFile(const std::string& source, const std::string& target);
  Status DeleteFile(const std::string& path);
  Status CreateDirectory(const std::string& path);
  Status RemoveDirectory(const std::string& path);
  Expected<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory,
                                                      const std::string& pattern) const;
  Expected<std::string> ShortPathName(const std::string& path) const;
  Status SetFileMode(const std::string& path, int mode);
  Expected<std::unique_ptr<FileSnapshot::Impl>> TakeFileSnapshot(const std::string& path) const;

  // A file's bytes as the run sees them now; nothing when it is no file.
  std::optional<std::string> CurrentBytes(const std::string& path) const;
  // True when the overlay holds the path (kPlan only).
  bool IsPending(const std::string& path) const;
  // A new host file name in the scratch folder ("" when the folder cannot be made).
  std::string NewScratchPath();
  // A write stream for a file's new content ("w" or "wb"): held in memory
  // (*held receives it once the stream is closed) up to kKeptBytes, else in
  // the host file *scratch.
  FILE* NewContentStream(const char* mode, int newFileMode,
                         std::shared_ptr<backend::HeldBytes>* held, std::string* scratch);

  // The net changes, in the order of each path's first change.
  void AppendChanges(ChangeSet* changes) const;

  enum class Kind { kMissing, kFile, kDirectory };
  struct Entry {
    Kind kind = Kind::kMissing;
    std::string spelling;  // the path as the library spelt it
    // kFile: the pending bytes, held here (a copy, a move, a backup: bytes
    // read whole anyway; a replacement up to kKeptBytes) or in a host file of
    // the scratch folder (what the library writes through OpenFile's
    // streams, and larger replacements).
    std::string scratch;
    std::optional<std::string> held;
  };

  // The bytes of a pending file's entry.
  static std::optional<std::string> BytesOf(const Entry& entry);

  // A ReplacementFile's content (written, a kFile entry), committed into the
  // overlay; the backup (if any) takes the file's previous content.
  // True when written would change nothing of the file at path: the same
  // bytes, and the same mode after modeRule.
  bool HoldsContentOf(const std::string& path, const Entry& written, int newFileMode,
                      ReplacedFileMode modeRule) const;
  void CommitReplacement(const std::string& path, const std::string* backupPath,
                         const Entry& written, int newFileMode);
  // Records what path was before the run first changes it; its index in m_before.
  size_t Touch(const std::string& path, int newFileMode = -1);

 private:
  // The internal calls take a path with its PathKey, made once per call.
  Kind KindOf(const std::string& key, const std::string& path, bool withBytes = false) const;
  std::optional<std::string> CurrentBytes(const std::string& key, const std::string& path) const;
  const Entry* Pending(const std::string& key) const;
  size_t Touch(const std::string& key, const std::string& path, int newFileMode);
  // The path becomes a file with these bytes (kPlan).
  void SetPendingFile(const std::string& key, const std::string& path, const std::string& scratch);
  void SetPendingBytes(const std::string& key, const std::string& path, std::string bytes);
  // The path becomes a file with the pending bytes of entry.
  void SetPendingLike(const std::string& key, const std::string& path, const Entry& entry);
  // The scratch file of a pending file, written from its held bytes first
  // when it has none: for a stream on it. "" when it cannot be written.
  std::string ScratchOf(const std::string& key);
  void SetPendingKind(const std::string& key, const std::string& path, Kind kind);
  // The mode a copy or move of source carries: the one its last write gave.
  int RecordedModeOf(const std::string& key) const;
  // Checks common to every call that writes a file at path. The file's
  // bytes are looked up with it: the write's Touch takes them next.
  Status CheckWritableFile(const std::string& key, const std::string& path) const;

  // What the machine holds at a path, below the overlay. Under kPlan it is
  // looked up once per path and kept: the plan changes nothing on the
  // machine, so what it saw first stays what the run sees there, and it is
  // what the change set's "before" is taken from anyway (a second process's
  // later change is seen by the next plan, as if it came after this one).
  // Bytes past kKeptBytes are not kept. Under kPassThrough the run changes
  // the machine, and every look reaches it.
  struct Seen {
    backend::PathState state;
    bool withBytes = false;  // state.bytes were asked for
  };
  static constexpr size_t kKeptBytes = 1 << 20;
  Seen& Look(const std::string& key, const std::string& path, bool withBytes) const;
  // The machine's state at path, bytes included.
  backend::PathState MachineState(const std::string& key, const std::string& path) const;
  static Kind KindOfState(backend::PathKind kind);

  struct Before {
    std::string path;
    std::string key;
    Kind kind = Kind::kMissing;
    std::optional<std::string> bytes;
    int newFileMode = 0666;
    std::optional<int> mode;     // the mode it had, where the backend keeps modes
    bool hasModes = true;        // false on Windows: a mode set changes nothing
    std::optional<int> modeSet;  // the last mode the run gave it
  };

  Recording m_mode;
  std::string m_scratchFolder;
  unsigned long m_scratchCount = 0;
  std::unordered_map<std::string, Entry> m_pending;
  std::vector<Before> m_before;
  std::unordered_map<std::string, size_t> m_beforeIndex;
  mutable std::unordered_map<std::string, Seen> m_seen;
};

}  // namespace orvane::os

#endif  // ORVANE_OS_PLANNEDFILES_H_
