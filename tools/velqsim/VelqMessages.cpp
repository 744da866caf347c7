#include "tools/velqsim/VelqMessages.h"

namespace velqsim {
namespace {

constexpr std::string::size_type kLineWidth = 76;

}  // namespace

std::string VelqMessage(const std::string& number, const std::string& text) {
  std::string remaining = number + "  " + text;
  std::string wrapped;
  while (remaining.size() > kLineWidth) {
    // A word too long for the line stays whole on a longer one.
    std::string::size_type cut = remaining.rfind(' ', kLineWidth);
    if (cut == std::string::npos || cut <= number.size() + 1) cut = remaining.find(' ', kLineWidth);
    if (cut == std::string::npos) break;
    wrapped += remaining.substr(0, cut) + "\n";
    const std::string::size_type next = remaining.find_first_not_of(' ', cut);
    remaining = next == std::string::npos ? std::string() : remaining.substr(next);
  }
  return wrapped + remaining + "\n";
}

std::string CommandCompleted(const std::string& command) {
  return VelqMessage("VELQ20000I", "The " + command + " command completed successfully.");
}

std::string DirectoryChangesNote() {
  return VelqMessage("VELQ21056W",
                     "Directory changes may not be effective until the directory cache is "
                     "refreshed.");
}

std::string NotConnected() {
  return VelqMessage("SQL1024N", "A database connection does not exist.  SQLSTATE=08003");
}

std::string DatabaseNotFound(const std::string& name) {
  return VelqMessage("SQL1013N", "The database alias name or database name \"" + name +
                                     "\" could not be found.  SQLSTATE=42705");
}

}  // namespace velqsim
