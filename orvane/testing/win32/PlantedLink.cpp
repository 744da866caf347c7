#include "orvane/testing/PlantedLink.h"

#include "orvane/os/win32/WindowsApi.h"

namespace orvane::test {

std::string PlantLink(const std::string& linkPath, const std::string& target, Planter) {
  // A link to a folder must say so; a target that does not exist is a file.
  const DWORD attributes = ::GetFileAttributesA(target.c_str());
  const bool folder = attributes != INVALID_FILE_ATTRIBUTES &&
                      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) |
                SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  if (!::CreateSymbolicLinkA(linkPath.c_str(), target.c_str(), flags)) {
    return "this Windows makes no symbolic link (error " + std::to_string(::GetLastError()) + ")";
  }
  // Wine 8 makes one that it neither reports as a reparse point nor follows.
  const DWORD made = ::GetFileAttributesA(linkPath.c_str());
  if (made == INVALID_FILE_ATTRIBUTES || (made & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    ::RemoveDirectoryA(linkPath.c_str());
    ::DeleteFileA(linkPath.c_str());
    return "this Windows does not report the symbolic link it made as a reparse point";
  }
  return std::string();
}

}  // namespace orvane::test
