#include "orvane/runtime/DesModes.h"

#include <algorithm>
#include <cstddef>

namespace orvane {
namespace {

constexpr std::size_t kBlockSize = 8;

DesBlock BlockAt(const Bytes& data, std::size_t offset) {
  DesBlock block;
  std::copy_n(data.begin() + offset, kBlockSize, block.begin());
  return block;
}

DesBlock Xor(const DesBlock& left, const DesBlock& right) {
  DesBlock result;
  for (std::size_t i = 0; i < kBlockSize; ++i) {
    result[i] = static_cast<std::uint8_t>(left[i] ^ right[i]);
  }
  return result;
}

bool IsWholeBlocks(const Bytes& data) { return data.size() % kBlockSize == 0; }

}  // namespace

std::optional<Bytes> CbcEncrypt(const BlockCipher64& cipher, const DesBlock& iv,
                                const Bytes& plain) {
  if (!IsWholeBlocks(plain)) return std::nullopt;
  Bytes encrypted;
  encrypted.reserve(plain.size());
  DesBlock chain = iv;
  for (std::size_t offset = 0; offset < plain.size(); offset += kBlockSize) {
    chain = cipher.EncryptBlock(Xor(BlockAt(plain, offset), chain));
    encrypted.insert(encrypted.end(), chain.begin(), chain.end());
  }
  return encrypted;
}

std::optional<Bytes> CbcDecrypt(const BlockCipher64& cipher, const DesBlock& iv,
                                const Bytes& encrypted) {
  if (!IsWholeBlocks(encrypted)) return std::nullopt;
  Bytes plain;
  plain.reserve(encrypted.size());
  DesBlock chain = iv;
  for (std::size_t offset = 0; offset < encrypted.size(); offset += kBlockSize) {
    const DesBlock block = BlockAt(encrypted, offset);
    const DesBlock decrypted = Xor(cipher.DecryptBlock(block), chain);
    plain.insert(plain.end(), decrypted.begin(), decrypted.end());
    chain = block;
  }
  return plain;
}

Bytes CfbDecrypt(const BlockCipher64& cipher, const DesBlock& iv,
                 const Bytes& encrypted) {
  Bytes plain(encrypted.size());
  DesBlock feedback = iv;
  for (std::size_t offset = 0; offset < encrypted.size(); offset += kBlockSize) {
    const DesBlock keystream = cipher.EncryptBlock(feedback);
    const std::size_t count = std::min(kBlockSize, encrypted.size() - offset);
    for (std::size_t i = 0; i < count; ++i) {
      plain[offset + i] = static_cast<std::uint8_t>(encrypted[offset + i] ^ keystream[i]);
    }
    if (count == kBlockSize) feedback = BlockAt(encrypted, offset);
  }
  return plain;
}

Bytes AddPkcs5Padding(const Bytes& data) {
  const std::size_t count = kBlockSize - data.size() % kBlockSize;
  Bytes padded = data;
  padded.insert(padded.end(), count, static_cast<std::uint8_t>(count));
  return padded;
}

bool RemovePkcs5Padding(Bytes& data) {
  if (data.empty()) return false;
  const std::uint8_t count = data.back();
  if (count < 1 || count > kBlockSize || count > data.size()) return false;
  const bool allEqual =
      std::all_of(data.end() - count, data.end(), [count](std::uint8_t b) { return b == count; });
  if (!allEqual) return false;
  data.resize(data.size() - count);
  return true;
}

}  // namespace orvane
