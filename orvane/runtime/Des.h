// The DES block cipher (FIPS 46-3), triple DES in its three-key
// encrypt-decrypt-encrypt form (ANSI X9.52, NIST SP 800-67), and the weak and
// semi-weak key test of FIPS 74.
//
// Keys are 8 bytes each, including their parity bits, which the cipher
// ignores. Blocks are 8 bytes, the first byte holding the most significant
// bits, as in the standards' hexadecimal notation.
#ifndef ORVANE_RUNTIME_DES_H_
#define ORVANE_RUNTIME_DES_H_

#include <array>
#include <cstdint>

namespace orvane {

using DesBlock = std::array<std::uint8_t, 8>;
using DesKey = std::array<std::uint8_t, 8>;

// A 64-bit block cipher, so that the modes of operation serve DES and triple
// DES alike.
class BlockCipher64 {
 public:
  virtual ~BlockCipher64() = default;
  virtual DesBlock EncryptBlock(const DesBlock& block) const = 0;
  virtual DesBlock DecryptBlock(const DesBlock& block) const = 0;
};

class Des : public BlockCipher64 {
 public:
  explicit Des(const DesKey& key);

  DesBlock EncryptBlock(const DesBlock& block) const override;
  DesBlock DecryptBlock(const DesBlock& block) const override;

 private:
  static constexpr int kRounds = 16;

  // Runs the sixteen rounds with the round keys taken in the given direction.
  DesBlock Crypt(const DesBlock& block, bool decrypt) const;

  // The 48-bit round keys, in the low bits.
  std::array<std::uint64_t, kRounds> m_roundKeys;
};

// Three independent keys: encrypt with key 1, decrypt with key 2, encrypt
// with key 3; deciphering runs the inverse steps in reverse order.
class TripleDes : public BlockCipher64 {
 public:
  TripleDes(const DesKey& key1, const DesKey& key2, const DesKey& key3);

  DesBlock EncryptBlock(const DesBlock& block) const override;
  DesBlock DecryptBlock(const DesBlock& block) const override;

 private:
  Des m_des1;
  Des m_des2;
  Des m_des3;
};

// True for the four weak and twelve semi-weak keys of FIPS 74. Parity bits
// are disregarded: each byte is brought to odd parity before the comparison.
bool IsWeakDesKey(const DesKey& key);

}  // namespace orvane

#endif  // ORVANE_RUNTIME_DES_H_
