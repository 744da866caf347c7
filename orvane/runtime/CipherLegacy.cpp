#include "orvane/runtime/CipherLegacy.h"

#include <cstddef>
#include <cstdint>

#include "orvane/runtime/CipherScheme.h"
#include "orvane/runtime/Des.h"
#include "orvane/runtime/DesModes.h"

namespace orvane {
namespace {

constexpr std::size_t kBlockSize = 8;

// Fixed for good: the secrets of the earlier product level depend on them.
constexpr char kLegacyKeyText[] = "3a5e0b71d2c94f68";
constexpr DesBlock kLegacyVector = {0x6b, 0x1d, 0xe2, 0x47, 0x90, 0x3c, 0xa5, 0x58};

int LetterValue(char c) { return (c >= 'a' && c <= 'p') ? c - 'a' : -1; }

std::optional<Bytes> DecodeLetterPairs(std::string_view letters) {
  if (letters.size() % 2 != 0) return std::nullopt;
  Bytes data;
  data.reserve(letters.size() / 2);
  for (std::size_t i = 0; i < letters.size(); i += 2) {
    const int high = LetterValue(letters[i]);
    const int low = LetterValue(letters[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    data.push_back(static_cast<std::uint8_t>(high << 4 | low));
  }
  return data;
}

}  // namespace

std::optional<std::string> DecipherLegacySecret(std::string_view letters) {
  std::optional<Bytes> data = DecodeLetterPairs(letters);
  const std::optional<DesKey> key = ParseKeyText(kLegacyKeyText);
  if (!data || !key) return std::nullopt;
  data->resize((data->size() + kBlockSize - 1) / kBlockSize * kBlockSize, 0);

  const Des des(*key);
  std::string plain;
  for (std::size_t offset = 0; offset < data->size(); offset += kBlockSize) {
    // The register starts afresh from the vector for every block.
    const Bytes block(data->begin() + offset, data->begin() + offset + kBlockSize);
    const Bytes decrypted = CfbDecrypt(des, kLegacyVector, block);
    plain.append(decrypted.begin(), decrypted.end());
  }
  return plain.substr(0, plain.find('\0'));
}

}  // namespace orvane
