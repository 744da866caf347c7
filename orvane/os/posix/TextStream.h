// Text-mode streams on host files, as the Windows C runtime gives them: "\n"
// written becomes CR LF, CR LF read becomes "\n", a CR not followed by LF
// passes through unchanged.
//
// The stream is a glibc fopencookie stream without stdio buffering: the
// translation keeps its own read-ahead, so ftell and fseek work with the
// file's byte positions exactly, and every write reaches the file at once
// (fflush has nothing to do).
#ifndef ORVANE_OS_POSIX_TEXTSTREAM_H_
#define ORVANE_OS_POSIX_TEXTSTREAM_H_

#include <cstdio>
#include <optional>
#include <string>

namespace orvane::os::posix {

// An fopen mode taken apart: "r", "w", "a", each optionally with "+", "b"
// for binary, "x" with "w" for a file that must not exist yet; "t" and the
// C runtime's other letters are accepted and ignored.
struct StreamMode {
  int openFlags = 0;  // O_RDONLY ... | O_CREAT | O_TRUNC | O_APPEND
  bool binary = false;
  std::string stdioMode;  // the mode for fopen/fopencookie, without "b"
};
std::optional<StreamMode> ParseStreamMode(const char* mode);

// Opens a host file as a text stream with the given mode (binary ignored);
// null with errno set on failure. Close it with fclose.
FILE* OpenTextStream(const std::string& hostPath, const StreamMode& mode);

// A text stream on an open descriptor, which the stream takes over (closed
// with it, also when this fails); stdioMode as StreamMode::stdioMode.
FILE* OpenTextStreamOn(int fd, const char* stdioMode);

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_TEXTSTREAM_H_
