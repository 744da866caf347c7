#include "orvane/runtime/DesModes.h"

#include <gtest/gtest.h>

#include <string>

#include "orvane/runtime/Cipher_testutil.h"

namespace orvane {
namespace {

using testing::HexBlock;
using testing::HexBytes;
using testing::HexOf;

// The worked examples of FIPS 81: "Now is the time for all " under key
// 0123456789abcdef with vector 1234567890abcdef.
const Bytes kFips81Plain = HexBytes("4e6f77206973207468652074696d6520666f7220616c6c20");
constexpr char kFips81Cbc[] = "e5c7cdde872bf27c43e934008c389c0f683788499a7c05f6";
constexpr char kFips81Cfb64[] = "f3096249c7f46e51a69e839b1a92f78403467133898ea622";

class DesModesTest : public ::testing::Test {
 protected:
  const Des m_des{HexBlock("0123456789abcdef")};
  const DesBlock m_iv = HexBlock("1234567890abcdef");
};

TEST_F(DesModesTest, CbcMatchesFips81Example) {
  const std::optional<Bytes> encrypted = CbcEncrypt(m_des, m_iv, kFips81Plain);
  ASSERT_TRUE(encrypted);
  EXPECT_EQ(HexOf(*encrypted), kFips81Cbc);
  const std::optional<Bytes> plain = CbcDecrypt(m_des, m_iv, HexBytes(kFips81Cbc));
  ASSERT_TRUE(plain);
  EXPECT_EQ(*plain, kFips81Plain);
}

TEST_F(DesModesTest, CbcRefusesPartialBlocks) {
  EXPECT_FALSE(CbcEncrypt(m_des, m_iv, Bytes(7, 0x41)));
  EXPECT_FALSE(CbcDecrypt(m_des, m_iv, Bytes(9, 0x41)));
}

TEST_F(DesModesTest, CfbMatchesFips81Example) {
  EXPECT_EQ(CfbDecrypt(m_des, m_iv, HexBytes(kFips81Cfb64)), kFips81Plain);
}

TEST_F(DesModesTest, CfbShortLastSegmentUsesLeadingKeystream) {
  const Bytes encrypted = HexBytes(std::string(kFips81Cfb64).substr(0, 2 * 19));
  EXPECT_EQ(CfbDecrypt(m_des, m_iv, encrypted),
            Bytes(kFips81Plain.begin(), kFips81Plain.begin() + 19));
}

TEST(Pkcs5PaddingTest, FillsTheLastBlockOrAddsAWholeOne) {
  for (std::size_t length = 0; length <= 16; ++length) {
    SCOPED_TRACE(length);
    const Bytes data(length, 0x5a);
    const Bytes padded = AddPkcs5Padding(data);
    const std::size_t count = 8 - length % 8;
    ASSERT_EQ(padded.size(), length + count);
    EXPECT_EQ(Bytes(padded.begin() + length, padded.end()), Bytes(count, count));
    Bytes unpadded = padded;
    ASSERT_TRUE(RemovePkcs5Padding(unpadded));
    EXPECT_EQ(unpadded, data);
  }
}

TEST(Pkcs5PaddingTest, RefusesPaddingThatDoesNotCheck) {
  const char* const damaged[] = {
      "",                                  // nothing at all
      "4142434445464700",                  // count 0
      "4142434445464709",                  // count above 8
      "4142434445460302",                  // bytes differ from the count
      "4142434403030203",                  // one byte of three differs
      "0303",                              // count longer than the data
      "41424344454647484142434445464710",  // 16 is no count
  };
  for (const char* hex : damaged) {
    SCOPED_TRACE(hex);
    Bytes data = HexBytes(hex);
    const Bytes before = data;
    EXPECT_FALSE(RemovePkcs5Padding(data));
    EXPECT_EQ(data, before);
  }
}

}  // namespace
}  // namespace orvane
