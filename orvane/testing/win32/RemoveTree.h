// Removes a file, or a folder with everything in it, for the test helpers.
// Header only, so that every test program that takes TempMachine.cpp has it.
#ifndef ORVANE_TESTING_WIN32_REMOVETREE_H_
#define ORVANE_TESTING_WIN32_REMOVETREE_H_

#include <cstring>
#include <string>

#include "orvane/os/win32/WindowsApi.h"

namespace orvane::testing {

inline void RemoveTree(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only files too
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::DeleteFileA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0) {
        RemoveTree(path + "\\" + found.cFileName);
      }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryA(path.c_str());
}

}  // namespace orvane::testing

#endif  // ORVANE_TESTING_WIN32_REMOVETREE_H_
