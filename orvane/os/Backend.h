// The backend in use (the emulated machine or the Win32 API), under the
// seam's own names in namespace backend. The public names dispatch to it,
// or to the recording layer while one is active (SeamLayer.h); the backend
// calls itself by these names, so that its own calls are never recorded.
#ifndef ORVANE_OS_BACKEND_H_
#define ORVANE_OS_BACKEND_H_

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "orvane/os/FileSnapshot.h"
#include "orvane/os/Files.h"
#include "orvane/os/Network.h"
#include "orvane/os/Odbc.h"
#include "orvane/os/Process.h"
#include "orvane/os/Registry.h"
#include "orvane/os/Services.h"
#include "orvane/os/Shell.h"

namespace orvane::os::backend {

#include "orvane/os/FileSnapshotCalls.inc"
#include "orvane/os/FilesCalls.inc"
#include "orvane/os/NetworkCalls.inc"
#include "orvane/os/OdbcCalls.inc"
#include "orvane/os/ProcessCalls.inc"
#include "orvane/os/RegistryCalls.inc"
#include "orvane/os/ServicesCalls.inc"
#include "orvane/os/ShellCalls.inc"

// Opens a host file (a path of the host, not of the machine) as OpenFile
// opens a machine's file, with the same text stream semantics. The
// recording layer keeps its pending files so.
FILE* OpenHostStream(const std::string& hostPath, const char* mode, int newFileMode = 0666);

// A write stream whose bytes stay in the process, for content that the
// recording layer holds rather than writes: mode "w" or "wb", with
// OpenFile's text semantics. Once it is closed, held->bytes has what was
// written; should that pass limit bytes, they go on into a new private host
// file at the path that newSpillPath gives, and held->spillPath names it.
// Null (kNotSupported) where the C runtime makes no such streams.
struct HeldBytes {
  std::string bytes;
  std::string spillPath;
};
FILE* OpenHeldStream(const char* mode, std::shared_ptr<HeldBytes> held, size_t limit,
                     std::function<std::string()> newSpillPath);

unsigned long CurrentProcessId();

// A file's or folder's mode (its permission bits), not following a link at
// the name; kNotSupported where files have none (Windows).
Expected<int> FileMode(const std::string& path);

// Whether a path names a folder, another file or nothing (links followed,
// as PathExists and DirectoryExists follow them), in one look-up where
// those two take one each.
enum class PathKind { kMissing, kFile, kDirectory };
PathKind KindOfPath(const std::string& path);

// What a path holds, in as few look-ups as the backend can make where
// KindOfPath, FileMode and a read take one each: its kind as KindOfPath
// gives it, its mode as FileMode gives it, and with withBytes a file's bytes
// as OpenFile "rb" reads them (nothing when it is no file or cannot be read).
struct PathState {
  PathKind kind = PathKind::kMissing;
  Expected<int> mode = Status::Failure(kFileNotFound);
  std::optional<std::string> bytes;
};
PathState StateOfPath(const std::string& path, bool withBytes);

// A new empty folder of the host's temporary files, and its removal with
// the files in it.
Expected<std::string> MakeScratchFolder();
void RemoveScratchFolder(const std::string& hostPath);

}  // namespace orvane::os::backend

#endif  // ORVANE_OS_BACKEND_H_
