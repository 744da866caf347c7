#include <gtest/gtest.h>
TEST(Orvanectl, Placeholder) {}
