#include "orvane/os/WindowsNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::os {
namespace {

struct PathCase {
  const char* path;
  const char* key;
  const char* parent;  // as spelt
};

TEST(WindowsNamesTest, KeysAndParentFoldersOfPathSpellings) {
  const std::vector<PathCase> cases = {
      {"C:\\Data\\x.txt", "C:\\DATA\\X.TXT", "C:\\Data"},
      {"c:/Data//Sub/./x", "C:\\DATA\\SUB\\X", "c:\\Data\\Sub"},
      {"\\WINNT\\httpd.cnf", "C:\\WINNT\\HTTPD.CNF", "C:\\WINNT"},
      {"D:\\a\\..\\b\\", "D:\\B", "D:"},
      {"C:\\x", "C:\\X", "C:"},
      {"C:\\..\\a\\..\\..\\b\\c", "C:\\B\\C", "C:\\b"},  // never above the drive
      {"E:x\\.\\y", "E:\\X\\Y", "E:\\x"},
  };
  for (const PathCase& test : cases) {
    SCOPED_TRACE(test.path);
    EXPECT_EQ(PathKey(test.path), test.key);
    EXPECT_EQ(ParentFolder(test.path), test.parent);
    EXPECT_EQ(PathKey(ParentFolder(test.path)), ParentKey(PathKey(test.path)))
        << "the spelt folder names the key's folder";
  }
}

}  // namespace
}  // namespace orvane::os
