// Text-mode streams on host files, as the Windows C runtime gives them: "\n"
// written becomes CR LF, CR LF read becomes "\n", a CR not followed by LF
// passes through unchanged.
//
// The stream is a glibc fopencookie stream with a full stdio buffer, so a
// line costs no system call. ftell and fseek still work with the file's byte
// offsets exactly: the translation knows how the characters that stdio holds
// map to the file's bytes. Written text reaches the file when the buffer
// fills, at fflush and at fclose; a failed write makes fclose (or fflush)
// report EOF and sets the stream's error indicator.
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
  int createMode = 0666;  // the permission bits of a file that open creates
};
std::optional<StreamMode> ParseStreamMode(const char* mode);

// Appends text as a text stream writes it: each "\n" as CR LF.
void AppendWithCrLf(const char* data, size_t size, std::string* out);

// A text stream on an open descriptor, which the stream takes over (closed
// with it, also when this fails); stdioMode as StreamMode::stdioMode.
FILE* OpenTextStreamOn(int fd, const char* stdioMode);

}  // namespace orvane::os::posix

#endif  // ORVANE_OS_POSIX_TEXTSTREAM_H_
