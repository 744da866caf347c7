// Feeds arbitrary text to every decoder of stored secrets: base64, the
// current scheme's deciphering (KelDecrypt, KelDecKey) and the older scheme's
// conversion. Besides memory faults it traps broken invariants.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "orvane/runtime/Base64.h"
#include "orvane/runtime/Cipher.h"

namespace {

void CheckBase64(const std::string& text) {
  const auto decoded = orvane::Base64Decode(text);
  if (!decoded) return;
  // Every accepted text is the one canonical encoding, blanks aside.
  std::string canonical;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') canonical += c;
  }
  if (orvane::Base64Encode(*decoded) != canonical) std::abort();
}

void CheckKelDecrypt(const char* text) {
  std::vector<char> out(17);
  if (KelDecrypt(text, out.data(), static_cast<int>(out.size())) != 1) std::abort();
  if (std::strlen(out.data()) >= out.size()) std::abort();
}

void CheckKelDecKey(const char* text) {
  std::vector<char> out(17, '#');
  if (KelDecKey(text, out.data()) == 1 && std::strlen(out.data()) != 16) std::abort();
}

void CheckKelConvertCipher(const char* text) {
  KelString secret = text;
  if (KelConvertCipher(secret) != 1) return;
  // The converted secret must decipher again under the current scheme.
  std::vector<char> plain(static_cast<std::size_t>(secret.GetLength()) + 1);
  KelDecrypt(secret, plain.data(), static_cast<int>(plain.size()));
  if (!secret.IsEmpty() && plain[0] == '\0') std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckBase64(text);
  CheckKelDecrypt(text.c_str());
  CheckKelDecKey(text.c_str());
  CheckKelConvertCipher(text.c_str());
  return 0;
}
