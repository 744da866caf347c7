#include "orvane/runtime/Base64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

std::vector<std::uint8_t> BytesOf(std::string_view text) { return {text.begin(), text.end()}; }

// RFC 4648, section 10.
struct Vector {
  const char* data;
  const char* encoded;
};
constexpr Vector kRfc4648Vectors[] = {
    {"", ""},         {"f", "Zg=="},        {"fo", "Zm8="},         {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
};

TEST(Base64Test, MatchesRfc4648Vectors) {
  for (const Vector& vector : kRfc4648Vectors) {
    SCOPED_TRACE(vector.data);
    EXPECT_EQ(Base64Encode(BytesOf(vector.data)), vector.encoded);
    EXPECT_EQ(Base64EncodedLength(std::string_view(vector.data).size()),
              std::string_view(vector.encoded).size());
    EXPECT_EQ(Base64Decode(vector.encoded), BytesOf(vector.data));
  }
}

TEST(Base64Test, RoundTripsEveryByteValueAndUsesTheWholeAlphabet) {
  std::vector<std::uint8_t> all;
  for (int value = 0; value < 256; ++value) all.push_back(static_cast<std::uint8_t>(value));
  const std::string encoded = Base64Encode(all);
  EXPECT_NE(encoded.find('+'), std::string::npos);
  EXPECT_NE(encoded.find('/'), std::string::npos);
  EXPECT_EQ(encoded.find('\n'), std::string::npos);
  EXPECT_EQ(Base64Decode(encoded), all);
  EXPECT_EQ(Base64Encode({0xfb, 0xff}), "+/8=");
}

TEST(Base64Test, SkipsBlanksTabsAndLineEnds) {
  EXPECT_EQ(Base64Decode(" Zm9v\r\nYmFy\t"), BytesOf("foobar"));
  EXPECT_EQ(Base64Decode("Zm9vYg= =\n"), BytesOf("foob"));
  EXPECT_EQ(Base64Decode(" \t\r\n"), BytesOf(""));
}

TEST(Base64Test, RefusesForeignCharactersAndBrokenGroups) {
  const char* const damaged[] = {
      "Zm9v-mFy",    // URL-safe alphabet is foreign here
      "Zm9v\vYmFy",  // vertical tab is not skipped
      "Zm9vY",      // partial group
      "Zm9vYg",     // group without its padding
      "Zm9vYg=",    // padding short
      "Zm8==",      // padding long
      "Z===",       // a lone symbol carries no byte
      "Zg==Zg==",   // padding inside the text
      "Zm=8",       // symbol after padding
      "Zh==",       // unused bits not zero
      "Zm9=",       // unused bits not zero
      "====",
      "Zm9v\xc3\xa9",
  };
  for (const char* text : damaged) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(Base64Decode(text));
  }
  EXPECT_FALSE(Base64Decode(std::string_view("Zm9v\0YmFy", 9)));  // an embedded NUL
}

}  // namespace
}  // namespace orvane
