#include "orvane/os/Backend.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orvane::os::backend {
namespace {

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class HeldStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = std::filesystem::temp_directory_path() /
               ("orvane-held-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(m_folder);
    std::filesystem::create_directories(m_folder);
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  // Writes text through a held stream of mode and limit; what was held.
  HeldBytes Written(const char* mode, size_t limit, const std::string& text) {
    auto held = std::make_shared<HeldBytes>();
    const std::string spill = (m_folder / "spill").string();
    FILE* stream = OpenHeldStream(mode, held, limit, [spill] { return spill; });
    EXPECT_NE(stream, nullptr);
    if (stream == nullptr) return *held;
    EXPECT_EQ(std::fwrite(text.data(), 1, text.size(), stream), text.size());
    EXPECT_EQ(std::fclose(stream), 0);
    return *held;
  }

  std::filesystem::path m_folder;
};

TEST_F(HeldStreamTest, KeepsWhatATextOrBinaryStreamWouldWrite) {
  struct Case {
    const char* mode;
    std::string text;
    std::string held;
  };
  for (const Case& c : {Case{"w", "a\nb\r\n\n", "a\r\nb\r\r\n\r\n"}, Case{"wb", "a\nb\r\n", "a\nb\r\n"},
                        Case{"w", "", ""}}) {
    SCOPED_TRACE(c.mode + (" " + c.text));
    const HeldBytes held = Written(c.mode, 1 << 20, c.text);
    EXPECT_EQ(held.bytes, c.held);
    EXPECT_TRUE(held.spillPath.empty());
  }
}

TEST_F(HeldStreamTest, PastItsLimitItGoesOnIntoAPrivateHostFile) {
  std::string text;
  for (int line = 0; line < 2000; ++line) text += "line " + std::to_string(line) + "\n";
  const HeldBytes held = Written("w", 1000, text);
  ASSERT_EQ(held.spillPath, (m_folder / "spill").string());
  EXPECT_TRUE(held.bytes.empty());
  std::string expected;
  for (int line = 0; line < 2000; ++line) expected += "line " + std::to_string(line) + "\r\n";
  EXPECT_EQ(ReadHost(held.spillPath), expected);
  EXPECT_EQ(std::filesystem::status(held.spillPath).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(HeldStreamTest, AnswersFtellWithTheBytesWrittenAndRefusesReadingModes) {
  auto held = std::make_shared<HeldBytes>();
  FILE* stream = OpenHeldStream("w", held, 1 << 20, [] { return std::string(); });
  ASSERT_NE(stream, nullptr);
  std::fputs("x\ny\n", stream);
  EXPECT_EQ(std::ftell(stream), 6);
  EXPECT_NE(std::fseek(stream, 0, SEEK_SET), 0);
  std::fclose(stream);
  for (const char* mode : {"r", "w+", "a"}) {
    EXPECT_EQ(OpenHeldStream(mode, held, 1, [] { return std::string(); }), nullptr) << mode;
  }
}

TEST_F(HeldStreamTest, ASpillThatCannotBeMadeFailsTheStream) {
  auto held = std::make_shared<HeldBytes>();
  FILE* stream = OpenHeldStream("wb", held, 4, [] { return std::string(); });
  ASSERT_NE(stream, nullptr);
  std::fputs("more than four bytes", stream);
  EXPECT_NE(std::fclose(stream), 0);
}

}  // namespace
}  // namespace orvane::os::backend
