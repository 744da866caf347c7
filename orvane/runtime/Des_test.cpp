#include "orvane/runtime/Des.h"

#include <gtest/gtest.h>

#include "orvane/runtime/Cipher_testutil.h"

namespace orvane {
namespace {

using testing::HexBlock;
using testing::HexOf;

struct KnownAnswer {
  const char* key;
  const char* plain;
  const char* encrypted;
};

// NIST SP 800-20 tables (variable plaintext, variable key, permutation and
// substitution tests) and the classic worked example of DES.
constexpr KnownAnswer kDesKnownAnswers[] = {
    {"133457799bbcdff1", "0123456789abcdef", "85e813540f0ab405"},
    {"0101010101010101", "8000000000000000", "95f8a5e5dd31d900"},
    {"0101010101010101", "4000000000000000", "dd7f121ca5015619"},
    {"0101010101010101", "2000000000000000", "2e8653104f3834ea"},
    {"0101010101010101", "1000000000000000", "4bd388ff6cd81d4f"},
    {"0101010101010101", "0800000000000000", "20b9e767b2fb1456"},
    {"0101010101010101", "0400000000000000", "55579380d77138ef"},
    {"0101010101010101", "0200000000000000", "6cc5defaaf04512f"},
    {"0101010101010101", "0100000000000000", "0d9f279ba5d87260"},
    {"0101010101010101", "0000000000000001", "166b40b44aba4bd6"},
    {"8001010101010101", "0000000000000000", "95a8d72813daa94d"},
    {"4001010101010101", "0000000000000000", "0eec1487dd8c26d5"},
    {"2001010101010101", "0000000000000000", "7ad16ffb79c45926"},
    {"1001010101010101", "0000000000000000", "d3746294ca6a6cf3"},
    {"0801010101010101", "0000000000000000", "809f5f873c1fd761"},
    {"0401010101010101", "0000000000000000", "c02faffec989d1fc"},
    {"0201010101010101", "0000000000000000", "4615aa1d33e72f10"},
    {"0180010101010101", "0000000000000000", "2055123350c00858"},
    {"0101010101010102", "0000000000000000", "869efd7f9f265a09"},
    {"1046913489980131", "0000000000000000", "88d55e54f54c97b4"},
    {"1007103489988020", "0000000000000000", "0c0cc00c83ea48fd"},
    {"10071034c8980120", "0000000000000000", "83bc8ef3a6570183"},
    {"7ca110454a1a6e57", "01a1d6d039776742", "690f5b0d9a26939b"},
    {"0131d9619dc1376e", "5cd54ca83def57da", "7a389d10354bd271"},
    {"07a1133e4a0b2686", "0248d43806f67172", "868ebb51cab4599a"},
    {"3849674c2602319e", "51454b582ddf440a", "7178876e01f19b2a"},
    {"04b915ba43feb5b6", "42fd443059577fa2", "af37fb421f8c4095"},
};

TEST(DesTest, MatchesPublishedKnownAnswersBothWays) {
  for (const KnownAnswer& answer : kDesKnownAnswers) {
    SCOPED_TRACE(answer.key);
    const Des des(HexBlock(answer.key));
    EXPECT_EQ(HexOf(des.EncryptBlock(HexBlock(answer.plain))), answer.encrypted);
    EXPECT_EQ(HexOf(des.DecryptBlock(HexBlock(answer.encrypted))), answer.plain);
  }
}

TEST(DesTest, IgnoresParityBits) {
  const Des withParity(HexBlock("133457799bbcdff1"));
  const Des withoutParity(HexBlock("123456789abcdef0"));
  const DesBlock plain = HexBlock("0123456789abcdef");
  EXPECT_EQ(withParity.EncryptBlock(plain), withoutParity.EncryptBlock(plain));
}

TEST(TripleDesTest, MatchesThreeKeyExample) {
  // The worked example of NIST SP 800-67, three independent keys.
  const TripleDes tdea(HexBlock("0123456789abcdef"), HexBlock("23456789abcdef01"),
                       HexBlock("456789abcdef0123"));
  const char* const plain[] = {"5468652071756663", "6b2062726f776e20", "666f78206a756d70"};
  const char* const encrypted[] = {"a826fd8ce53b855f", "cce21c8112256fe6", "68d5c05dd9b6b900"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(HexOf(tdea.EncryptBlock(HexBlock(plain[i]))), encrypted[i]);
    EXPECT_EQ(HexOf(tdea.DecryptBlock(HexBlock(encrypted[i]))), plain[i]);
  }
}

TEST(TripleDesTest, EqualKeysReduceToSingleDes) {
  const DesKey key = HexBlock("133457799bbcdff1");
  const TripleDes tdea(key, key, key);
  EXPECT_EQ(HexOf(tdea.EncryptBlock(HexBlock("0123456789abcdef"))), "85e813540f0ab405");
}

constexpr const char* kWeakKeys[] = {
    "0101010101010101", "fefefefefefefefe", "1f1f1f1f0e0e0e0e", "e0e0e0e0f1f1f1f1",
    "01fe01fe01fe01fe", "fe01fe01fe01fe01", "1fe01fe00ef10ef1", "e01fe01ff10ef10e",
    "01e001e001f101f1", "e001e001f101f101", "1ffe1ffe0efe0efe", "fe1ffe1ffe0efe0e",
    "011f011f010e010e", "1f011f010e010e01", "e0fee0fef1fef1fe", "fee0fee0fef1fef1"};

TEST(WeakDesKeyTest, RecognisesTheSixteenKeysWhateverTheirParity) {
  for (const char* hex : kWeakKeys) {
    SCOPED_TRACE(hex);
    DesKey key = HexBlock(hex);
    EXPECT_TRUE(IsWeakDesKey(key));
    for (std::uint8_t& byte : key) byte ^= 0x01;
    EXPECT_TRUE(IsWeakDesKey(key));
  }
  EXPECT_TRUE(IsWeakDesKey(HexBlock("0000000000000000")));
  EXPECT_TRUE(IsWeakDesKey(HexBlock("ffffffffffffffff")));
  EXPECT_TRUE(IsWeakDesKey(HexBlock("1e1e1e1e0f0f0f0f")));
}

TEST(WeakDesKeyTest, AcceptsKeysOneKeyBitAway) {
  for (const char* hex : kWeakKeys) {
    SCOPED_TRACE(hex);
    DesKey key = HexBlock(hex);
    key[3] ^= 0x80;
    EXPECT_FALSE(IsWeakDesKey(key));
  }
  EXPECT_FALSE(IsWeakDesKey(HexBlock("133457799bbcdff1")));
}

TEST(WeakDesKeyTest, WeakKeysAreTheirOwnInverseAndSemiWeakPairsEachOthers) {
  const DesBlock plain = HexBlock("0123456789abcdef");
  for (int i = 0; i < 4; ++i) {
    const Des weak(HexBlock(kWeakKeys[i]));
    EXPECT_EQ(weak.EncryptBlock(weak.EncryptBlock(plain)), plain) << kWeakKeys[i];
  }
  for (int i = 4; i < 16; i += 2) {
    const Des first(HexBlock(kWeakKeys[i]));
    const Des second(HexBlock(kWeakKeys[i + 1]));
    EXPECT_EQ(second.EncryptBlock(first.EncryptBlock(plain)), plain) << kWeakKeys[i];
  }
}

}  // namespace
}  // namespace orvane
