// What a person types: a secret from standard input (one line, without echo
// on a terminal), and the answer to a question on a terminal.
#ifndef ORVANECTL_SECRETINPUT_H_
#define ORVANECTL_SECRETINPUT_H_

#include <optional>
#include <string>

namespace orvanectl {

// Prompts on standard error when standard input is a terminal, and turns the
// terminal's echo off while the line is typed. The line end is not part of
// the secret. Nothing when standard input ends before a line.
std::optional<std::string> ReadSecret(const std::string& prompt);

// True when standard input is a terminal.
bool InputIsTerminal();

// Asks on standard error and reads one line from the terminal; true only for
// "y" or "yes".
bool Confirm(const std::string& question);

}  // namespace orvanectl

#endif  // ORVANECTL_SECRETINPUT_H_
