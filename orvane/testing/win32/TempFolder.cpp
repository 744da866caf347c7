#include "orvane/testing/win32/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

#include "orvane/os/win32/WindowsApi.h"
#include "orvane/testing/win32/RemoveTree.h"

namespace orvane::testing {

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH + 1];
  DWORD length = ::GetTempPathA(sizeof temp, temp);
  std::string base(temp, length);
  if (!base.empty() && base.back() == '\\') base.pop_back();
  m_path = base + "\\orvane-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(counter++);
  RemoveTree(m_path);  // left over by a crashed run with the same process id
  EXPECT_TRUE(::CreateDirectoryA(m_path.c_str(), nullptr)) << "cannot create " << m_path;
}

TempFolder::~TempFolder() { RemoveTree(m_path); }

bool WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

std::string ReadBytes(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "";
  std::string bytes;
  char buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
  std::fclose(file);
  return bytes;
}

}  // namespace orvane::testing
