#include "orvane/runtime/CipherScheme.h"

#include <array>
#include <cstdint>

#include "orvane/runtime/Base64.h"
#include "orvane/runtime/DesModes.h"

namespace orvane {
namespace {

constexpr std::size_t kKeyTextLength = 16;
constexpr std::size_t kBlockSize = 8;

// The built-in keys are never stored whole; each is joined from its pieces
// when needed. Their values are fixed for good: stored secrets depend on them.
using KeyPieces = std::array<const char*, 4>;
constexpr KeyPieces kKey1Pieces = {"5c1e", "7a93", "b04f", "d268"};
constexpr KeyPieces kKey2Pieces = {"a7d0", "3c91", "e6b2", "584f"};
constexpr KeyPieces kKey3Pieces = {"3e9b", "51c8", "d702", "6fa4"};

std::string JoinPieces(const KeyPieces& pieces) {
  std::string text;
  for (const char* piece : pieces) text += piece;
  return text;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct SchemeKeys {
  DesKey key1;
  DesKey key2;
  DesKey key3;
};

std::optional<SchemeKeys> ConvertKeys(std::string_view key1Text) {
  const std::optional<DesKey> key1 = ParseKeyText(key1Text);
  const std::optional<DesKey> key2 = ParseKeyText(JoinPieces(kKey2Pieces));
  const std::optional<DesKey> key3 = ParseKeyText(JoinPieces(kKey3Pieces));
  if (!key1 || !key2 || !key3) return std::nullopt;
  return SchemeKeys{*key1, *key2, *key3};
}

bool IsRefused(const SchemeKeys& keys) {
  return IsWeakDesKey(keys.key1) || IsWeakDesKey(keys.key2) || IsWeakDesKey(keys.key3);
}

// Falls back to the built-in key 1 when the given key 1 makes a weak key.
std::optional<TripleDes> SetUpCipher(std::string_view key1Text) {
  std::optional<SchemeKeys> keys = ConvertKeys(key1Text);
  if (!keys) return std::nullopt;
  if (IsRefused(*keys)) {
    keys = ConvertKeys(BuiltInKey1());
    if (!keys || IsRefused(*keys)) return std::nullopt;
  }
  return TripleDes(keys->key1, keys->key2, keys->key3);
}

DesBlock SchemeVector() {
  DesBlock iv;
  iv[0] = 0x91;
  iv[1] = 0x2f;
  iv[2] = 0x6c;
  iv[3] = 0xd4;
  iv[4] = 0x08;
  iv[5] = 0xb7;
  iv[6] = 0x5e;
  iv[7] = 0xa3;
  return iv;
}

}  // namespace

std::string BuiltInKey1() { return JoinPieces(kKey1Pieces); }

std::optional<DesKey> ParseKeyText(std::string_view text) {
  if (text.size() != kKeyTextLength) return std::nullopt;
  DesKey key;
  for (std::size_t i = 0; i < key.size(); ++i) {
    const int high = HexDigitValue(text[2 * i]);
    const int low = HexDigitValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    key[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return key;
}

std::optional<std::string> EncipherSecret(std::string_view key1Text, std::string_view plain) {
  if (plain.empty()) return std::nullopt;
  const std::optional<TripleDes> cipher = SetUpCipher(key1Text);
  if (!cipher) return std::nullopt;
  const std::optional<Bytes> encrypted =
      CbcEncrypt(*cipher, SchemeVector(), AddPkcs5Padding(Bytes(plain.begin(), plain.end())));
  if (!encrypted) return std::nullopt;
  return Base64Encode(*encrypted);
}

std::optional<std::string> DecipherSecret(std::string_view key1Text, std::string_view printable) {
  const std::optional<TripleDes> cipher = SetUpCipher(key1Text);
  if (!cipher) return std::nullopt;
  const std::optional<Bytes> encrypted = Base64Decode(printable);
  if (!encrypted) return std::nullopt;
  std::optional<Bytes> plain = CbcDecrypt(*cipher, SchemeVector(), *encrypted);
  if (!plain || !RemovePkcs5Padding(*plain)) return std::nullopt;
  const std::string text(plain->begin(), plain->end());
  return text.substr(0, text.find('\0'));
}

std::size_t EncipheredLength(std::size_t plainLength) {
  return Base64EncodedLength((plainLength / kBlockSize + 1) * kBlockSize);
}

}  // namespace orvane
