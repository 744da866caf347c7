// Windows' rules for names and paths.
#include "orvane/os/WindowsNames.h"

#include <algorithm>
#include <vector>

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
// its drive named; the letter case as spelt.
std::string NormalPath(const std::string& path) {
  std::string text = path;
  std::replace(text.begin(), text.end(), '/', '\\');
  std::string drive = "C:";
  if (text.size() >= 2 && text[1] == ':') {
    drive = text.substr(0, 2);
    text.erase(0, 2);
  }
  std::vector<std::string> components;
  std::string::size_type start = 0;
  while (start <= text.size()) {
    std::string::size_type end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    const std::string component = text.substr(start, end - start);
    if (component == "..") {
      if (!components.empty()) components.pop_back();
    } else if (!component.empty() && component != ".") {
      components.push_back(component);
    }
    start = end + 1;
  }
  std::string normal = drive;
  for (const std::string& component : components) normal += "\\" + component;
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
