#include "orvane/runtime/CipherScheme.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/runtime/Cipher_testutil.h"

namespace orvane {
namespace {

using testing::HexBlock;

// Known answers of a standard triple-DES CBC implementation (the openssl
// command line, des-ede3-cbc with PKCS #5 padding, then base64), checked by
// hand for the built-in keys and vector 912f6cd408b75ea3.
struct KnownSecret {
  const char* key1;
  const char* plain;
  const char* secret;
};
constexpr KnownSecret kKnownSecrets[] = {
    {"5c1e7a93b04fd268", "password", "5JnndTISIFqQyASAk+AnCg=="},
    {"5c1e7a93b04fd268", "a", "UQq1GGI7+9c="},
    {"5c1e7a93b04fd268", "1234567", "EOxdzoVnWWI="},
    {"5c1e7a93b04fd268", "12345678", "QflodGw0MweuagEa6PLlEw=="},
    {"5c1e7a93b04fd268", "0123456789abcdef", "CdpKOMT65fgMtYsqaEc4UDUJF4SPzH7g"},
    {"0123456789abcdef", "password", "4bkkL3otmrJ+lajhG2zp0w=="},
    {"0123456789ABCDEF", "4111111111111111", "bWSdaTd4ad18+X+9pBLVtbPxCssNV1nZ"},
};

TEST(CipherSchemeTest, MatchesStandardTripleDesCbc) {
  for (const KnownSecret& known : kKnownSecrets) {
    SCOPED_TRACE(known.plain);
    EXPECT_EQ(EncipherSecret(known.key1, known.plain), known.secret);
    EXPECT_EQ(DecipherSecret(known.key1, known.secret), known.plain);
  }
}

TEST(CipherSchemeTest, BuiltInKeyIsTheFixedOne) {
  EXPECT_EQ(BuiltInKey1(), "5c1e7a93b04fd268");
  EXPECT_FALSE(IsWeakDesKey(*ParseKeyText(BuiltInKey1())));
}

TEST(CipherSchemeTest, ParsesSixteenHexDigitsOfEitherCase) {
  EXPECT_EQ(ParseKeyText("0123456789abcdef"), HexBlock("0123456789abcdef"));
  EXPECT_EQ(ParseKeyText("0123456789ABCDEF"), HexBlock("0123456789abcdef"));
  EXPECT_FALSE(ParseKeyText("0123456789abcde"));
  EXPECT_FALSE(ParseKeyText("0123456789abcdef0"));
  EXPECT_FALSE(ParseKeyText("0123456789abcdeg"));
  EXPECT_FALSE(ParseKeyText("0x23456789abcdef"));
  EXPECT_FALSE(ParseKeyText(std::string_view("01234567\0009abcdef", 16)));
}

TEST(CipherSchemeTest, WeakKeyOneFallsBackToTheBuiltInKey) {
  const std::optional<std::string> builtIn = EncipherSecret(BuiltInKey1(), "password");
  for (const char* weak : {"0101010101010101", "0000000000000000", "FEFEFEFEFEFEFEFE",
                           "1fe01fe00ef10ef1"}) {
    SCOPED_TRACE(weak);
    EXPECT_EQ(EncipherSecret(weak, "password"), builtIn);
    EXPECT_EQ(DecipherSecret(weak, *builtIn), "password");
  }
}

TEST(CipherSchemeTest, RefusesBadKeysAndEmptyText) {
  EXPECT_FALSE(EncipherSecret("0123456789abcdeg", "password"));
  EXPECT_FALSE(EncipherSecret("", "password"));
  EXPECT_FALSE(EncipherSecret(BuiltInKey1(), ""));
  EXPECT_FALSE(DecipherSecret("0123", "5JnndTISIFqQyASAk+AnCg=="));
}

TEST(CipherSchemeTest, RefusesDamagedSecrets) {
  const char* const damaged[] = {
      "",                          // no block at all
      "5JnndTISIFqQyASAk+AnC===",  // broken base64
      "5JnndTISIFqQyASAk+An",      // 15 bytes: a partial block
      "5JnndTISIFo=",              // first block alone: its padding does not check
      "5JnndTISIFqQyASAk+AnCw==",  // last byte changed
      "5Jnn_TISIFqQyASAk+AnCg==",  // foreign character
  };
  for (const char* secret : damaged) {
    SCOPED_TRACE(secret);
    EXPECT_FALSE(DecipherSecret(BuiltInKey1(), secret));
  }
}

TEST(CipherSchemeTest, PlaintextEndsAtItsFirstNul) {
  const std::optional<std::string> secret =
      EncipherSecret(BuiltInKey1(), std::string_view("abc\0def", 7));
  ASSERT_TRUE(secret);
  EXPECT_EQ(DecipherSecret(BuiltInKey1(), *secret), "abc");
}

TEST(CipherSchemeTest, EncipheredLengthCountsTheWholePaddingBlock) {
  for (std::size_t length = 1; length <= 17; ++length) {
    SCOPED_TRACE(length);
    const std::optional<std::string> secret = EncipherSecret(BuiltInKey1(), std::string(length, 'x'));
    ASSERT_TRUE(secret);
    EXPECT_EQ(secret->size(), EncipheredLength(length));
  }
  EXPECT_EQ(EncipheredLength(16), 32u);
  EXPECT_EQ(EncipheredLength(8), 24u);
  EXPECT_EQ(EncipheredLength(7), 12u);
}

}  // namespace
}  // namespace orvane
