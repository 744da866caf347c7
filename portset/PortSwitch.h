// The port switch tools: one edit of the web server's configuration file
// that moves its port directive between 80 and 8000.
//
// The first whole-word occurrence of the searched directive (letter case
// ignored) is replaced by the replacement directive exactly as written here;
// every other byte of the file is kept. When the directive is not found the
// file is not written at all.
#ifndef PORTSET_PORTSWITCH_H_
#define PORTSET_PORTSWITCH_H_

#include <string>

namespace orvane {

// The file both tools edit; they never look up where the web server lives.
inline constexpr char kPortConfigurationFile[] = "C:\\winnt\\httpd.cnf";

// What one tool looks for and what it puts in its place. The directives are
// the word Port, exactly five spaces and the port number.
struct PortSwitch {
  const char* programName;
  const char* searched;
  const char* replacement;
};

inline constexpr PortSwitch kPortSwitchTo8000{"portset8000", "Port     80", "Port     8000"};
inline constexpr PortSwitch kPortSwitchTo80{"portset80", "Port     8000", "Port     80"};

// Edits the file at path (a Windows path). Returns the exit status of the
// tool: 0 when the file was edited or holds no match, 1 when it cannot be
// read or the edited text cannot be saved; a failure leaves the file as it
// was and is reported in one line on standard error. Nothing is printed on
// success.
int SwitchPort(const PortSwitch& portSwitch, const std::string& path = kPortConfigurationFile);

}  // namespace orvane

#endif  // PORTSET_PORTSWITCH_H_
