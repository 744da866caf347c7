#include "orvane/runtime/Cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "orvane/runtime/CipherScheme.h"
#include "orvane/runtime/Cipher_testutil.h"

namespace {

// Output buffers of exactly the stated size on the heap, so that the address
// sanitizer catches a write past them; filled so that a missing write shows.
class Buffer {
 public:
  explicit Buffer(int size) : m_bytes(static_cast<std::size_t>(size), '#') {
    if (size > 0) m_bytes.back() = '\0';
  }
  char* data() { return m_bytes.data(); }
  int size() const { return static_cast<int>(m_bytes.size()); }
  std::string text() const { return m_bytes.data(); }
  bool IsUntouched() const {
    return std::string(m_bytes.data()) == std::string(m_bytes.size() - 1, '#');
  }

 private:
  std::vector<char> m_bytes;
};

std::string Encrypt(const char* text, int size = 33) {
  Buffer out(size);
  EXPECT_EQ(KelEncrypt(text, out.data(), out.size()), 1);
  return out.text();
}

std::string Decrypt(const char* cipher, int size = 17) {
  Buffer out(size);
  EXPECT_EQ(KelDecrypt(cipher, out.data(), out.size()), 1);
  return out.text();
}

std::string EncKey(const char* key) {
  Buffer out(33);
  EXPECT_EQ(KelEncKey(key, out.data()), 1) << key;
  return out.text();
}

// "password" under the built-in keys, from the openssl command line
// (des-ede3-cbc, base64), confirmed by hand.
constexpr char kPasswordSecret[] = "5JnndTISIFqQyASAk+AnCg==";

TEST(KelEncryptTest, GivesTheStandardSecretEveryTime) {
  EXPECT_EQ(Encrypt("password"), kPasswordSecret);
  EXPECT_EQ(Encrypt("password"), Encrypt("password"));
  EXPECT_NE(Encrypt("password"), Encrypt("Password"));
}

TEST(KelEncryptTest, LengthFollowsThePaddedBlocks) {
  EXPECT_EQ(Encrypt("0123456789abcdef").size(), 32u);
  EXPECT_EQ(Encrypt("01234567").size(), 24u);
  EXPECT_EQ(Encrypt("0123456").size(), 12u);
}

TEST(KelEncryptTest, CutsToTheBufferAndAlwaysTerminates) {
  const std::string whole = Encrypt("01234567");
  EXPECT_EQ(Encrypt("01234567", 17), whole.substr(0, 16));
  EXPECT_EQ(Encrypt("01234567", 1), "");
  Buffer none(0);
  EXPECT_EQ(KelEncrypt("01234567", none.data(), 0), 1);
}

TEST(KelEncryptTest, EmptyTextGivesEmptySecret) {
  EXPECT_EQ(Encrypt(""), "");
  EXPECT_EQ(Encrypt(nullptr), "");
}

TEST(KelDecryptTest, RoundTripsEveryPasswordLength) {
  const std::string alphabet = "Aa0!~ zZ9%\"\\'xyq";
  for (std::size_t length = 1; length <= 16; ++length) {
    const std::string password = alphabet.substr(0, length);
    SCOPED_TRACE(password);
    const std::string secret = Encrypt(password.c_str());
    EXPECT_LE(secret.size(), 32u);
    EXPECT_EQ(Decrypt(secret.c_str()), password);
  }
}

TEST(KelDecryptTest, EmptySecretGivesEmptyText) {
  Buffer out(17);
  EXPECT_EQ(KelDecrypt("", out.data(), out.size()), 1);
  EXPECT_EQ(out.text(), "");
}

TEST(KelDecryptTest, CutsToTheBuffer) {
  const std::string secret = Encrypt("0123456789abcdef");
  EXPECT_EQ(Decrypt(secret.c_str(), 9), "01234567");
  EXPECT_EQ(Decrypt(secret.c_str(), 1), "");
}

TEST(KelDecryptTest, DamagedSecretsGiveEmptyText) {
  std::string flipped = kPasswordSecret;
  flipped[21] = 'w';
  const char* const damaged[] = {
      flipped.c_str(),               // padding no longer checks
      "5JnndTISIFqQyASAk+AnCg",      // base64 cut short
      "5JnndTISIFqQyASAk+An",        // a partial block
      "5JnndTISIFqQ*ASAk+AnCg==",    // foreign character
      "5JnndTISIFqQyASAk+AnCg==AA",  // trailing rubbish
      "Zm9v",                        // three bytes
      "\r\n",                        // nothing but skipped characters
  };
  for (const char* secret : damaged) {
    SCOPED_TRACE(secret);
    EXPECT_EQ(Decrypt(secret, 33), "");
  }
}

TEST(KelDecryptTest, SkipsLineBreaksInTheSecret) {
  EXPECT_EQ(Decrypt("5JnndTISIFqQ\r\nyASAk+AnCg==\n"), "password");
}

TEST(KelEncKeyTest, RoundTripsKeysInTheCaseGiven) {
  for (const char* key : {"0123456789abcdef", "0123456789ABCDEF", "a1B2c3D4e5F60789"}) {
    SCOPED_TRACE(key);
    const std::string secret = EncKey(key);
    EXPECT_EQ(secret.size(), 32u);
    Buffer out(17);
    EXPECT_EQ(KelDecKey(secret.c_str(), out.data()), 1);
    EXPECT_EQ(out.text(), key);
  }
  EXPECT_NE(EncKey("0123456789abcdef"), EncKey("0123456789ABCDEF"));
}

TEST(KelEncKeyTest, RefusesWhatIsNotSixteenHexDigits) {
  for (const char* key : {"0123456789abcde", "0123456789abcdef0", "0123456789abcdeg",
                          "0123456789 abcde", "", static_cast<const char*>(nullptr)}) {
    Buffer out(33);
    EXPECT_EQ(KelEncKey(key, out.data()), 0) << (key ? key : "(null)");
    EXPECT_TRUE(out.IsUntouched());
  }
}

TEST(KelDecKeyTest, EmptySecretEmptiesTheKeyAndFails) {
  Buffer out(17);
  EXPECT_EQ(KelDecKey("", out.data()), 0);
  EXPECT_EQ(out.text(), "");
}

TEST(KelDecKeyTest, RefusesSecretsThatDoNotHoldSixteenCharacters) {
  const std::string seventeen = Encrypt("0123456789abcdef0");
  ASSERT_EQ(seventeen.size(), 32u);
  std::string damaged = EncKey("0123456789abcdef");
  damaged[30] = damaged[30] == 'A' ? 'B' : 'A';
  const std::string secrets[] = {
      kPasswordSecret,                     // 24 characters
      EncKey("0123456789abcdef") + "A",    // 33 characters
      EncKey("0123456789abcdef") + "\n",   // 33 even though the break would be skipped
      seventeen,                           // deciphers to 17 characters
      damaged,                             // padding does not check
      std::string(32, '!'),                // foreign characters
  };
  for (const std::string& secret : secrets) {
    SCOPED_TRACE(secret);
    Buffer out(17);
    EXPECT_EQ(KelDecKey(secret.c_str(), out.data()), 0);
    EXPECT_TRUE(out.IsUntouched());
  }
}

TEST(KelEncryptWithMerKeyTest, UsesTheMerchantKeyInEitherCase) {
  // "password" under merchant key 0123456789abcdef and the built-in keys 2
  // and 3, from the openssl command line, confirmed by hand.
  for (const char* merchantKey : {"0123456789abcdef", "0123456789ABCDEF"}) {
    SCOPED_TRACE(merchantKey);
    Buffer out(33);
    EXPECT_EQ(KelEncryptWithMerKey("password", out.data(), out.size(), EncKey(merchantKey).c_str()), 1);
    EXPECT_EQ(out.text(), "4bkkL3otmrJ+lajhG2zp0w==");
    EXPECT_EQ(orvane::DecipherSecret(merchantKey, out.text()), "password");
  }
}

TEST(KelEncryptWithMerKeyTest, WeakMerchantKeyFallsBackToTheBuiltInKey) {
  Buffer out(33);
  EXPECT_EQ(KelEncryptWithMerKey("password", out.data(), out.size(),
                                 EncKey("0101010101010101").c_str()),
            1);
  EXPECT_EQ(out.text(), kPasswordSecret);
}

TEST(KelEncryptWithMerKeyTest, CutsAndHandlesEmptyTextAsKelEncrypt) {
  const std::string merchantSecret = EncKey("0123456789abcdef");
  Buffer cut(9);
  EXPECT_EQ(KelEncryptWithMerKey("password", cut.data(), cut.size(), merchantSecret.c_str()), 1);
  EXPECT_EQ(cut.text(), "4bkkL3ot");
  Buffer empty(33);
  EXPECT_EQ(KelEncryptWithMerKey("", empty.data(), empty.size(), "no key at all"), 1);
  EXPECT_EQ(empty.text(), "");
}

TEST(KelEncryptWithMerKeyTest, RefusesAMerchantKeyThatDoesNotDecipher) {
  for (const std::string& merchantSecret :
       {std::string(kPasswordSecret), std::string(), EncKey("0123456789abcdef").substr(1)}) {
    Buffer out(33);
    EXPECT_EQ(KelEncryptWithMerKey("password", out.data(), out.size(), merchantSecret.c_str()), 0);
    EXPECT_TRUE(out.IsUntouched());
  }
}

TEST(KelEncryptWithMerKeyTest, RefusesAMerchantKeyOfOtherCharacters) {
  const std::string notHex = Encrypt("not a hex key!!!");
  Buffer out(33);
  EXPECT_EQ(KelEncryptWithMerKey("password", out.data(), out.size(), notHex.c_str()), 0);
  EXPECT_EQ(out.text(), "");
}

TEST(KelConvertCipherTest, LongerNewTextIsKeptWhole) {
  // 16 letters hold one block; a plaintext that fills it needs a whole
  // padding block in the new scheme: 24 characters for 16.
  KelString secret = orvane::testing::EncodeLegacy("8chars!!").c_str();
  ASSERT_EQ(secret.GetLength(), 16);
  EXPECT_EQ(KelConvertCipher(secret), 1);
  EXPECT_EQ(secret.GetLength(), 24);
  EXPECT_EQ(Decrypt(secret), "8chars!!");
}

TEST(KelConvertCipherTest, ConvertsToWhatKelEncryptWrites) {
  for (const char* password : {"p", "password", "sixteen chars!!!"}) {
    SCOPED_TRACE(password);
    KelString secret = orvane::testing::EncodeLegacy(password).c_str();
    EXPECT_EQ(KelConvertCipher(secret), 1);
    EXPECT_EQ(std::string(secret), Encrypt(password));
  }
}

TEST(KelConvertCipherTest, EmptyTextStaysEmpty) {
  KelString secret;
  EXPECT_EQ(KelConvertCipher(secret), 1);
  EXPECT_TRUE(secret.IsEmpty());
}

TEST(KelConvertCipherTest, LeavesTextsNotOfTheOlderFormAlone) {
  for (const char* text : {kPasswordSecret, "abc", "abcdefghijklmnoq"}) {
    KelString secret = text;
    EXPECT_EQ(KelConvertCipher(secret), 0);
    EXPECT_STREQ(secret, text);
  }
}

}  // namespace
