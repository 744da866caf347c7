// Windows' rules for names and paths.
#include "orvane/os/WindowsNames.h"

#include <algorithm>

namespace orvane::os {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Windows' wildcard match: "*" any run of characters, "?" any one, letter
// case ignored; "*.*" matches every name, dotted or not.
bool MatchesWildcard(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*") return true;
  size_t n = 0, p = 0;
  size_t starAt = std::string::npos, resumeAt = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || UpperAscii(pattern[p]) == UpperAscii(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeAt = n;
    } else if (starAt != std::string::npos) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Names in the order NTFS lists them: compared as upper case.
bool ListedBefore(const DirectoryEntry& a, const DirectoryEntry& b) {
  return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                      [](char x, char y) {
                                        return static_cast<unsigned char>(UpperAscii(x)) <
                                               static_cast<unsigned char>(UpperAscii(y));
                                      });
}

namespace {

// A path with "\" for "/", "." and ".." resolved, no trailing separator and
// its drive named; the letter case as spelt. Built in one pass: the plan
// takes the key of every path at every call.
std::string NormalPath(const std::string& path) {
  size_t at = 0;
  std::string normal = "C:";
  if (path.size() >= 2 && path[1] == ':') {
    normal = path.substr(0, 2);
    at = 2;
  }
  normal.reserve(path.size() + 2);
  while (at <= path.size()) {
    size_t end = at;
    while (end < path.size() && path[end] != '\\' && path[end] != '/') ++end;
    const size_t length = end - at;
    if (length == 2 && path[at] == '.' && path[at + 1] == '.') {
      const size_t separator = normal.rfind('\\');
      if (separator != std::string::npos && separator >= 2) normal.resize(separator);
    } else if (length > 0 && !(length == 1 && path[at] == '.')) {
      normal.push_back('\\');
      normal.append(path, at, length);
    }
    at = end + 1;
  }
  return normal;
}

}  // namespace

std::string PathKey(const std::string& path) {
  std::string key = NormalPath(path);
  std::transform(key.begin(), key.end(), key.begin(), UpperAscii);
  return key;
}

std::string ParentFolder(const std::string& path) { return ParentKey(NormalPath(path)); }

std::string ParentKey(const std::string& key) {
  std::string::size_type separator = key.rfind('\\');
  return separator == std::string::npos ? std::string() : key.substr(0, separator);
}

std::string LastComponent(const std::string& path) {
  std::string::size_type end = path.find_last_not_of("\\/");
  if (end == std::string::npos) return std::string();
  std::string::size_type separator = path.find_last_of("\\/:", end);
  return path.substr(separator == std::string::npos ? 0 : separator + 1,
                     end - (separator == std::string::npos ? 0 : separator + 1) + 1);
}

}  // namespace orvane::os
