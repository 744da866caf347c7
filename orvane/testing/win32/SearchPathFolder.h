// A folder put first on this process's program search path (PATH) while the
// object lives, so that a program which the library starts by its bare name
// ("velqcmd") is found there; the previous search path comes back after.
// Programs the test starts inherit it. Header only, for every test program.
#ifndef ORVANE_TESTING_WIN32_SEARCHPATHFOLDER_H_
#define ORVANE_TESTING_WIN32_SEARCHPATHFOLDER_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "orvane/os/Process.h"

namespace orvane::testing {

class SearchPathFolder {
 public:
  explicit SearchPathFolder(const std::string& folder) {
    const char* previous = std::getenv("PATH");
    m_previous = previous != nullptr ? previous : "";
    EXPECT_TRUE(os::SetEnvironmentVariable("PATH", folder + ";" + m_previous));
  }
  ~SearchPathFolder() { os::SetEnvironmentVariable("PATH", m_previous); }
  SearchPathFolder(const SearchPathFolder&) = delete;
  SearchPathFolder& operator=(const SearchPathFolder&) = delete;

 private:
  std::string m_previous;
};

}  // namespace orvane::testing

#endif  // ORVANE_TESTING_WIN32_SEARCHPATHFOLDER_H_
