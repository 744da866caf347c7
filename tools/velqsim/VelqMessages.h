// Messages of the Velq command line, printed as the real one prints them:
// the message number ("SQL1013N", "VELQ1031E", "VELQ20000I") and two blanks,
// then the text, broken into lines of at most 76 characters at blanks.
#ifndef TOOLS_VELQSIM_VELQMESSAGES_H_
#define TOOLS_VELQSIM_VELQMESSAGES_H_

#include <string>

namespace velqsim {

// The message with its line end(s).
std::string VelqMessage(const std::string& number, const std::string& text);

// The messages that several commands print.
std::string CommandCompleted(const std::string& command);
std::string DirectoryChangesNote();
std::string NotConnected();
std::string DatabaseNotFound(const std::string& name);

}  // namespace velqsim

#endif  // TOOLS_VELQSIM_VELQMESSAGES_H_
