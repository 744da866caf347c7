#include "orvane/runtime/Base64.h"

#include <algorithm>

namespace orvane {
namespace {

constexpr char kAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPadding = '=';

// Value of an alphabet character, or -1.
int SymbolValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string Base64Encode(const std::vector<std::uint8_t>& data) {
  std::string text;
  text.reserve(Base64EncodedLength(data.size()));
  for (std::size_t i = 0; i < data.size(); i += 3) {
    const std::size_t count = std::min<std::size_t>(3, data.size() - i);
    std::uint32_t group = static_cast<std::uint32_t>(data[i]) << 16;
    if (count > 1) group |= static_cast<std::uint32_t>(data[i + 1]) << 8;
    if (count > 2) group |= data[i + 2];
    // n input bytes give n + 1 symbols; the rest of the group is padding.
    for (std::size_t symbol = 0; symbol < 4; ++symbol) {
      text += symbol <= count ? kAlphabet[(group >> (18 - 6 * symbol)) & 0x3F] : kPadding;
    }
  }
  return text;
}

std::size_t Base64EncodedLength(std::size_t byteCount) { return (byteCount + 2) / 3 * 4; }

std::optional<std::vector<std::uint8_t>> Base64Decode(std::string_view text) {
  std::vector<std::uint8_t> data;
  std::uint32_t pending = 0;  // bits decoded but not yet emitted
  int pendingBits = 0;
  std::size_t symbols = 0;
  std::size_t paddings = 0;
  for (char c : text) {
    if (IsSkipped(c)) continue;
    if (c == kPadding) {
      ++paddings;
      continue;
    }
    const int value = SymbolValue(c);
    if (value < 0 || paddings > 0) return std::nullopt;
    ++symbols;
    pending = (pending << 6) | static_cast<std::uint32_t>(value);
    pendingBits += 6;
    if (pendingBits >= 8) {
      pendingBits -= 8;
      data.push_back(static_cast<std::uint8_t>(pending >> pendingBits));
      pending &= (1u << pendingBits) - 1;
    }
  }
  const bool wholeGroups = paddings <= 2 && paddings == (4 - symbols % 4) % 4;
  if (!wholeGroups || pending != 0) return std::nullopt;
  return data;
}

}  // namespace orvane
