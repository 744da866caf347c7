#include "RandomToken.h"

#include <cstdio>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#include <bcrypt.h>
#endif

namespace orvanectl {

namespace {

bool FillRandom(std::vector<unsigned char>& bytes) {
#if defined(_WIN32)
  return BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                         BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
#else
  std::FILE* source = std::fopen("/dev/urandom", "rb");
  if (source == nullptr) return false;
  const bool read = std::fread(bytes.data(), 1, bytes.size(), source) == bytes.size();
  std::fclose(source);
  return read;
#endif
}

}  // namespace

std::optional<std::string> RandomToken(std::size_t bytes) {
  std::vector<unsigned char> random(bytes);
  if (bytes == 0 || !FillRandom(random)) return std::nullopt;
  static const char kDigits[] = "0123456789abcdef";
  std::string token;
  for (unsigned char byte : random) {
    token += kDigits[byte >> 4];
    token += kDigits[byte & 0x0f];
  }
  return token;
}

bool SameSecret(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  }
  return difference == 0;
}

}  // namespace orvanectl
