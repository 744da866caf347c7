// The current scheme for stored secrets: three-key triple DES in CBC mode with
// a fixed vector, PKCS #5 padding and base64 text.
//
// Key 1 is given as 16 hexadecimal digits (the built-in key 1 or a merchant
// key); keys 2 and 3 are always the library's own. When one of the three keys
// is weak or semi-weak, the built-in key 1 silently takes key 1's place.
// Fixed vector, no salt: a text always enciphers to the same secret.
#ifndef ORVANE_RUNTIME_CIPHERSCHEME_H_
#define ORVANE_RUNTIME_CIPHERSCHEME_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "orvane/runtime/Des.h"

namespace orvane {

// The built-in key 1 as 16 hexadecimal digits.
std::string BuiltInKey1();

// Converts exactly 16 hexadecimal digits of either case, pair by pair with
// the first digit as the high nibble.
std::optional<DesKey> ParseKeyText(std::string_view text);

// Enciphers the characters of `plain`; fails on an empty text or a key 1 that
// is not 16 hexadecimal digits.
std::optional<std::string> EncipherSecret(std::string_view key1Text, std::string_view plain);

// Decodes and deciphers `printable`; the plaintext ends at its first NUL.
// Fails on a bad key 1, a damaged text (foreign characters, partial blocks)
// or padding that does not check.
std::optional<std::string> DecipherSecret(std::string_view key1Text, std::string_view printable);

// Length of the secret that a plaintext of `plainLength` characters gives.
std::size_t EncipheredLength(std::size_t plainLength);

}  // namespace orvane

#endif  // ORVANE_RUNTIME_CIPHERSCHEME_H_
