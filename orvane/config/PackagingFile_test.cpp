#include "orvane/config/PackagingFile.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/testing/TempMachine.h"

namespace {

using orvane::PackagingSetting;

constexpr char kConfigJs[] = "C:\\inst\\html\\en_US\\tqadmin\\common\\config.js";

class PackagingFileTest : public orvane::test::MachineTest {};

TEST_F(PackagingFileTest, FirstLineNamingTheSettingDecidesWhateverItsLength) {
  const std::string blanks(1100, ' ');
  const struct {
    std::string text;
    PackagingSetting expected;
  } cases[] = {
      {"var x = 1;\r\nvar gTQPackaging = kStrStart;\r\n", PackagingSetting::kSet},
      {"var gTQPackaging = false;\r\nvar gTQPackaging = kStrStart;\r\n", PackagingSetting::kClear},
      {"var x = 1;\r\n", PackagingSetting::kUnset},
      // A script on one long line was read in pieces of 1024 characters.
      {"var gTQPackaging =" + blanks + "kStrStart;\r\n", PackagingSetting::kSet},
      {"var x = 1;" + blanks + "var gTQPackaging = 0;" + blanks + "kStrStart;",
       PackagingSetting::kSet},
      {std::string("var x\0 gTQPackaging = kStrStart;\r\n", 34), PackagingSetting::kUnset},
  };
  for (const auto& c : cases) {
    machine.WriteFile(kConfigJs, c.text);
    EXPECT_EQ(orvane::ReadPackagingSetting("C:\\inst"), c.expected) << c.text;
  }
  EXPECT_EQ(orvane::ReadPackagingSetting("C:\\other"), PackagingSetting::kMissingFile);
}

}  // namespace
