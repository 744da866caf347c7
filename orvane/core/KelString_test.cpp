#include "orvane/core/KelString.h"

#include <gtest/gtest.h>

namespace {

TEST(KelStringTest, PathJoinPlacesOneBackslashUnconditionally) {
  EXPECT_STREQ(KelString("C:\\x") ^ "y.cfg", "C:\\x\\y.cfg");
  EXPECT_STREQ(KelString() ^ KelString(), "\\");
  EXPECT_STREQ(KelString("a\\") ^ "b", "a\\\\b");
}

}  // namespace
