#include "orvane/testing/PlantedLink.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "orvane/os/posix/Machine.h"

namespace orvane::test {
namespace {

// The link's text on the host: a host path as it stands, a Windows path with
// "/" for "\", an absolute one mapped onto the machine's drives.
std::string HostTarget(const std::string& target) {
  if (!target.empty() && target[0] == '/') return target;
  if (target.size() > 1 && target[1] == ':') {
    os::Expected<std::string> host = os::posix::HostPath(target);
    return host.ok() ? *host : target;
  }
  std::string text = target;
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

}  // namespace

std::string PlantLink(const std::string& linkPath, const std::string& target, Planter planter) {
  std::string name;
  os::Expected<std::string> folder = os::posix::HostParentPath(linkPath, &name);
  if (!folder.ok()) return "no folder for " + linkPath;
  const std::string text = HostTarget(target);
  const passwd* nobody = getpwnam("nobody");
  const bool dropRights = planter == Planter::kUserWithoutRights && geteuid() == 0;
  if (dropRights && nobody == nullptr) return "no account \"nobody\" to plant the link as";
  // The folder is opened first, so that the user without rights needs no
  // way through the test's private folders: only the right to write in it.
  int folderFd = open(folder->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) return folder->c_str() + std::string(": ") + std::strerror(errno);
  pid_t child = fork();
  if (child == 0) {
    if (dropRights && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) _exit(2);
    _exit(symlinkat(text.c_str(), folderFd, name.c_str()) == 0 ? 0 : 1);
  }
  close(folderFd);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return "cannot start the planter";
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return "the planter could not make " + linkPath + (dropRights ? " as nobody" : "");
  }
  return std::string();
}

}  // namespace orvane::test
