#include "orvane/runtime/CipherLegacy.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/runtime/Cipher_testutil.h"

namespace orvane {
namespace {

using testing::EncodeLegacy;

TEST(CipherLegacyTest, DecodesWhatTheOlderEncoderWrote) {
  for (const char* plain : {"x", "secret", "8chars!!", "a longer password", "0123456789abcdef"}) {
    SCOPED_TRACE(plain);
    EXPECT_EQ(DecipherLegacySecret(EncodeLegacy(plain)), plain);
  }
}

TEST(CipherLegacyTest, KnownSecretOfOneBlock) {
  // "secret" and two NULs through openssl des-cfb under the older key and
  // vector, confirmed by hand, written as letter pairs.
  EXPECT_EQ(DecipherLegacySecret("ikmbmcafokhnmepg"), "secret");
}

TEST(CipherLegacyTest, ZeroPadsAShortLastBlock) {
  // Three letter pairs only: the block is completed with zero bytes, which
  // decipher to the keystream's last five bytes (none of them NUL).
  const std::vector<std::uint8_t> keystream = testing::HexBytes(testing::kLegacyKeystream);
  EXPECT_EQ(DecipherLegacySecret(EncodeLegacy("abc").substr(0, 6)),
            "abc" + std::string(keystream.begin() + 3, keystream.end()));
  EXPECT_EQ(DecipherLegacySecret(""), "");
}

TEST(CipherLegacyTest, RefusesTextsNotOfTheOlderForm) {
  const std::string good = EncodeLegacy("secret");
  for (const std::string& damaged :
       {good.substr(0, 15), good.substr(0, 14) + "q", good.substr(0, 14) + "Ab",
        good.substr(0, 14) + "a ", std::string("5JnndTISIFqQyASAk+AnCg==")}) {
    SCOPED_TRACE(damaged);
    EXPECT_FALSE(DecipherLegacySecret(damaged));
  }
}

}  // namespace
}  // namespace orvane
