#include "orvane/runtime/Cipher.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/runtime/CipherLegacy.h"
#include "orvane/runtime/CipherScheme.h"

namespace {

constexpr std::size_t kKeyTextLength = 16;
constexpr std::size_t kKeyCipherLength = 32;

std::string_view TextOf(const char* text) { return text == nullptr ? "" : text; }

// Copies at most size - 1 characters and a NUL.
void CopyCut(std::string_view text, char* out, int size) {
  if (size < 1) return;
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(out, text.data(), count);
  out[count] = '\0';
}

bool IsKeyText(std::string_view key) { return orvane::ParseKeyText(key).has_value(); }

}  // namespace

int KelEncKey(const char* key, char* out) {
  const std::string_view keyText = TextOf(key);
  if (!IsKeyText(keyText)) return 0;
  const std::optional<std::string> cipher = orvane::EncipherSecret(orvane::BuiltInKey1(), keyText);
  if (!cipher || cipher->size() != kKeyCipherLength) return 0;
  CopyCut(*cipher, out, kKeyCipherLength + 1);
  return 1;
}

int KelDecKey(const char* cipher, char* out) {
  const std::string_view cipherText = TextOf(cipher);
  if (cipherText.empty()) {
    out[0] = '\0';
    return 0;
  }
  if (cipherText.size() != kKeyCipherLength) return 0;
  const std::optional<std::string> key = orvane::DecipherSecret(orvane::BuiltInKey1(), cipherText);
  if (!key || key->size() != kKeyTextLength) return 0;
  CopyCut(*key, out, kKeyTextLength + 1);
  return 1;
}

int KelEncrypt(const char* text, char* out, int size) {
  const std::string_view plain = TextOf(text);
  if (plain.empty()) {
    CopyCut("", out, size);
    return 1;
  }
  const std::optional<std::string> cipher = orvane::EncipherSecret(orvane::BuiltInKey1(), plain);
  CopyCut(cipher.value_or(""), out, size);
  return 1;
}

int KelDecrypt(const char* cipher, char* out, int size) {
  const std::string_view cipherText = TextOf(cipher);
  if (cipherText.empty()) {
    CopyCut("", out, size);
    return 1;
  }
  const std::optional<std::string> plain = orvane::DecipherSecret(orvane::BuiltInKey1(), cipherText);
  CopyCut(plain.value_or(""), out, size);
  return 1;
}

int KelEncryptWithMerKey(const char* text, char* out, int size, const char* merKeyCipher) {
  const std::string_view plain = TextOf(text);
  if (plain.empty()) {
    CopyCut("", out, size);
    return 1;
  }
  char merKey[kKeyTextLength + 1];
  if (!KelDecKey(merKeyCipher, merKey)) return 0;
  const std::optional<std::string> cipher = orvane::EncipherSecret(merKey, plain);
  CopyCut(cipher.value_or(""), out, size);
  return cipher ? 1 : 0;
}

int KelConvertCipher(KelString& s) {
  const std::optional<std::string> plain = orvane::DecipherLegacySecret(static_cast<const char*>(s));
  if (!plain) return 0;
  // Sized for the whole new text, which may be longer than the older one.
  std::vector<char> converted(orvane::EncipheredLength(plain->size()) + 1);
  const int result = KelEncrypt(plain->c_str(), converted.data(), static_cast<int>(converted.size()));
  s = converted.data();
  return result;
}
