// The emulated machine of a fuzz target and the checks its targets share.
//
// A target's process gets one temporary machine, made on first use (drive C
// with the Windows directory C:\WINNT\system32, as TempMachine lays it out)
// and removed when the process exits; every iteration writes its input into
// it and reuses it. A failure of the machine itself, and every broken
// property, aborts the process: that is what the fuzzer reports.
#ifndef ORVANE_TESTING_FUZZMACHINE_H_
#define ORVANE_TESTING_FUZZMACHINE_H_

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "orvane/core/MSList.h"
#include "orvane/os/Files.h"
#include "orvane/os/posix/RegistryFile.h"
#include "orvane/os/posix/RegistryStore.h"
#include "orvane/runtime/Messages.h"

namespace orvane::fuzz {

// Aborts when a property does not hold.
inline void Require(bool holds) {
  if (!holds) std::abort();
}

// Where the machine's folder goes: TMPDIR, else memory where the host has it
// (/dev/shm), since the library forces every file it replaces to disk and a
// disk would make each iteration a hundred times slower.
inline std::string TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  if (tmp != nullptr && *tmp != '\0') return tmp;
  std::error_code error;
  return std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : "/tmp";
}

// The machine's root on the host; ORVANE_MACHINE names it from the first call.
inline const std::string& MachineRoot() {
  static const std::string root = [] {
    std::string folder = TemporaryFolder() + "/orvane-fuzz-XXXXXX";
    Require(mkdtemp(folder.data()) != nullptr);
    setenv("ORVANE_MACHINE", folder.c_str(), 1);
    std::error_code error;
    std::filesystem::create_directories(folder + "/drive_c/WINNT/system32", error);
    Require(!error);
    return folder;
  }();
  static const bool removedAtExit = std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }) == 0;
  Require(removedAtExit);
  return root;
}

// Makes a directory of the machine and those above it.
inline void MakeDirectories(const std::string& windowsPath) {
  MachineRoot();
  for (std::string::size_type at = windowsPath.find('\\', 3); at != std::string::npos;
       at = windowsPath.find('\\', at + 1)) {
    os::CreateDirectory(windowsPath.substr(0, at));
  }
  os::CreateDirectory(windowsPath);
  Require(os::DirectoryExists(windowsPath));
}

// Writes bytes into a file of the machine as they are (no line end
// translation); its folder must exist.
inline void WriteFile(const std::string& windowsPath, std::string_view bytes) {
  MachineRoot();
  FILE* file = os::OpenFile(windowsPath, "wb");
  Require(file != nullptr);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  Require(std::fclose(file) == 0 && written);
}

// The content of a file of the machine, which must be readable: its bytes
// ("rb"), or its text as the library's text streams read it ("r": CR LF
// read as "\n").
inline std::string ReadFile(const std::string& windowsPath, const char* mode = "rb") {
  FILE* file = os::OpenFile(windowsPath, mode);
  Require(file != nullptr);
  std::string bytes;
  char chunk[4096];
  for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    bytes.append(chunk, count);
  }
  Require(!std::ferror(file));
  std::fclose(file);
  return bytes;
}

// The checks of a rewrite's one-generation backup: the target writes
// kUntouchedBackup into the backup first, and afterwards the backup holds the
// file's previous bytes when the rewrite changed the file, and is untouched
// when it wrote the same bytes again (so a second run keeps the backup of
// the first).
inline constexpr char kUntouchedBackup[] = "the backup before the rewrite\n";
inline void RequireBackup(const std::string& backupPath, const std::string& previous,
                          const std::string& filePath) {
  const bool changed = ReadFile(filePath) != previous;
  Require(ReadFile(backupPath) == (changed ? previous : std::string(kUntouchedBackup)));
}

// Merges registry editor text ("Windows Registry Editor Version 5.00" and
// keys) into the machine's registry.
inline void ImportRegistry(const std::string& regText) {
  MachineRoot();
  const std::string text = "Windows Registry Editor Version 5.00\r\n" + regText;
  const os::Status imported =
      os::posix::ChangeRegistry([&](os::posix::RegistryNode* tree, bool* changed) {
        std::string error;
        if (!os::posix::ParseRegistryText(text, "fuzz.reg", tree, &error)) {
          return os::Status::Failure(os::kInvalidParameter);
        }
        *changed = true;
        return os::Status();
      });
  Require(imported.ok());
}

// Registry records for ImportRegistry: Velq in C:\Velq, and the web server
// in C:\WWW with its configuration directory C:\WWW\conf.
constexpr char kVelqRecord[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VXR\\VELQ]\r\n\"VELQ Path Name\"=\"C:\\\\Velq\"\r\n";
constexpr char kWebServerRecord[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6]\r\n"
    "\"ETCpath\"=\"C:\\\\WWW\\\\conf\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenlo\\Quenta Go Webserver\\4.6\\Directories]\r\n"
    "\"Executables\"=\"C:\\\\WWW\\\\bin\"\r\n\"CGI Bin Scripts\"=\"C:\\\\WWW\\\\cgi-bin\"\r\n"
    "\"HTML\"=\"C:\\\\WWW\\\\html\"\r\n\"Main Directory\"=\"C:\\\\WWW\"\r\n";

// The library reports to its host's callbacks only, and the target has none:
// no message box stops a run.
inline void SilenceMessages() {
  bCgiApp = 1;
  pfnError = nullptr;
  pfnInfo = nullptr;
  pfnUpdate = nullptr;
}

// A list stored in the instance data file loads back to the same records:
// the file is read to its end, no record is refused, and the reloaded list
// stores the same file again.
inline void RequireDataFileRoundTrip(const MSList& list) {
  constexpr char kStored[] = "C:\\fuzz-stored.dat";
  constexpr char kRestored[] = "C:\\fuzz-restored.dat";
  Require(list.Store(kStored) == 1);
  MSList reloaded;
  Require(reloaded.Load(kStored) == 1);
  Require(reloaded.GetCount() == list.GetCount() && reloaded.GetRefusedCount() == 0);
  Require(reloaded.Store(kRestored) == 1);
  Require(ReadFile(kRestored) == ReadFile(kStored));
}

// The lines of a text, each with its "\n" (the last one may have none).
inline std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::string_view::size_type end = text.find('\n');
    const std::string_view::size_type length = end == std::string_view::npos ? text.size() : end + 1;
    lines.emplace_back(text.substr(0, length));
    text.remove_prefix(length);
  }
  return lines;
}

// True when every line of part stands in whole, in its order, among lines.
inline bool KeepsInOrder(const std::vector<std::string>& lines,
                         const std::vector<std::string>& part) {
  std::size_t next = 0;
  for (const std::string& line : lines) {
    if (next < part.size() && line == part[next]) ++next;
  }
  return next == part.size();
}

// A fuzz input cut into pieces at form feeds, for targets that read several
// files; missing pieces are empty.
inline std::vector<std::string> Pieces(std::string_view input, std::size_t count) {
  std::vector<std::string> pieces(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view::size_type end = i + 1 < count ? input.find('\f') : input.npos;
    pieces[i] = std::string(input.substr(0, end));
    input.remove_prefix(end == input.npos ? input.size() : end + 1);
  }
  return pieces;
}

}  // namespace orvane::fuzz

#endif  // ORVANE_TESTING_FUZZMACHINE_H_
