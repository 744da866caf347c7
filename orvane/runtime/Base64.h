// The printable encoding of RFC 1421 (the base64 alphabet of RFC 4648: A-Z,
// a-z, 0-9, "+", "/", with "=" padding), written as one run without line
// breaks.
#ifndef ORVANE_RUNTIME_BASE64_H_
#define ORVANE_RUNTIME_BASE64_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

std::string Base64Encode(const std::vector<std::uint8_t>& data);

// Length of the encoding of `byteCount` bytes.
std::size_t Base64EncodedLength(std::size_t byteCount);

// Blanks, tabs, carriage returns and line feeds are skipped. Fails on any
// other character outside the alphabet, on a length that is not whole groups
// of four, on "=" anywhere but at the end of the last group, and on unused
// bits that are not zero, so that every text has exactly one decoding.
std::optional<std::vector<std::uint8_t>> Base64Decode(std::string_view text);

}  // namespace orvane

#endif  // ORVANE_RUNTIME_BASE64_H_
