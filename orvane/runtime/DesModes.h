// Modes of operation for 64-bit block ciphers (FIPS 81, NIST SP 800-38A) and
// the padding of PKCS #5 (RFC 1423) that fills the last block.
#ifndef ORVANE_RUNTIME_DESMODES_H_
#define ORVANE_RUNTIME_DESMODES_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "orvane/runtime/Des.h"

namespace orvane {

using Bytes = std::vector<std::uint8_t>;

// Cipher block chaining. Both directions need whole blocks and fail without
// them.
std::optional<Bytes> CbcEncrypt(const BlockCipher64& cipher, const DesBlock& iv,
                                const Bytes& plain);
std::optional<Bytes> CbcDecrypt(const BlockCipher64& cipher, const DesBlock& iv,
                                const Bytes& encrypted);

// 64-bit cipher feedback, deciphering direction: each 8-byte segment is
// combined with the encryption of the previous cipher segment (at first the
// vector). A shorter last segment uses the leading keystream bytes.
Bytes CfbDecrypt(const BlockCipher64& cipher, const DesBlock& iv,
                 const Bytes& encrypted);

// Appends 1 to 8 bytes, each holding their count; a text that fills its last
// block gets a whole block of 8.
Bytes AddPkcs5Padding(const Bytes& data);

// Removes the padding after checking it strictly: the last byte must be 1 to
// 8 and the last that many bytes must all equal it. On failure the data is
// left as it was.
bool RemovePkcs5Padding(Bytes& data);

}  // namespace orvane

#endif  // ORVANE_RUNTIME_DESMODES_H_
