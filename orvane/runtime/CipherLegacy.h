// The older scheme of stored secrets, read only so that secrets of an
// earlier product level can be converted to the current scheme.
//
// Single DES in 64-bit cipher feedback whose register is reset to a fixed
// vector at the start of every 8-byte block: every block is combined with the
// same keystream block, the DES encryption of that vector. The data is
// zero-padded to whole blocks, and each byte is written as two letters from
// "abcdefghijklmnop" (letter i stands for the value i, high nibble first).
#ifndef ORVANE_RUNTIME_CIPHERLEGACY_H_
#define ORVANE_RUNTIME_CIPHERLEGACY_H_

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The plaintext of an older secret, ending at its first NUL. Fails on an odd
// number of letters or a character outside "a" to "p".
std::optional<std::string> DecipherLegacySecret(std::string_view letters);

}  // namespace orvane

#endif  // ORVANE_RUNTIME_CIPHERLEGACY_H_
