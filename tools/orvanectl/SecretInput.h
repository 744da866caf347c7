// Reads a secret from standard input: one line, without echo on a terminal.
#ifndef ORVANECTL_SECRETINPUT_H_
#define ORVANECTL_SECRETINPUT_H_

#include <optional>
#include <string>

namespace orvanectl {

// Prompts on standard error when standard input is a terminal, and turns the
// terminal's echo off while the line is typed. The line end is not part of
// the secret. Nothing when standard input ends before a line.
std::optional<std::string> ReadSecret(const std::string& prompt);

}  // namespace orvanectl

#endif  // ORVANECTL_SECRETINPUT_H_
