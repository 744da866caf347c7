// Helpers for the cipher tests: hexadecimal conversions, as the known answers
// come in hexadecimal tables, and the older scheme's encoder.
#ifndef ORVANE_RUNTIME_CIPHER_TESTUTIL_H_
#define ORVANE_RUNTIME_CIPHER_TESTUTIL_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/runtime/Des.h"

namespace orvane::testing {

inline std::vector<std::uint8_t> HexBytes(std::string_view hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

inline DesBlock HexBlock(std::string_view hex) {
  const std::vector<std::uint8_t> bytes = HexBytes(hex);
  DesBlock block{};
  for (std::size_t i = 0; i < block.size() && i < bytes.size(); ++i) block[i] = bytes[i];
  return block;
}

template <typename ByteRange>
std::string HexOf(const ByteRange& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (std::uint8_t byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex;
}

// The DES encryption of the older scheme's vector 6b1de247903ca558 under its
// key 3a5e0b71d2c94f68, confirmed by hand with the openssl command line
// (des-ecb): the one keystream block of the older scheme.
inline constexpr char kLegacyKeystream[] = "f9a4a1778f09c4f6";

// The older scheme's encoder, as the earlier product level wrote secrets:
// zero-pad to whole blocks, combine each block with the keystream, write each
// byte as two letters.
inline std::string EncodeLegacy(std::string_view plain) {
  const std::vector<std::uint8_t> keystream = HexBytes(kLegacyKeystream);
  std::string padded(plain);
  padded.resize((padded.size() + 7) / 8 * 8, '\0');
  std::string letters;
  for (std::size_t i = 0; i < padded.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(padded[i] ^ keystream[i % 8]);
    letters += static_cast<char>('a' + (byte >> 4));
    letters += static_cast<char>('a' + (byte & 0xF));
  }
  return letters;
}

}  // namespace orvane::testing

#endif  // ORVANE_RUNTIME_CIPHER_TESTUTIL_H_
