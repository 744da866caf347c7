// Secrets of a console session (its access token, its form token): random
// bytes from the operating system, as lower-case hex.
#ifndef ORVANECTL_RANDOMTOKEN_H_
#define ORVANECTL_RANDOMTOKEN_H_

#include <cstddef>
#include <optional>
#include <string>

namespace orvanectl {

// bytes random bytes from /dev/urandom (BCryptGenRandom on Windows) as
// 2 * bytes hex digits; nothing when the source cannot be read, which the
// caller must treat as fatal rather than fall back to a weaker source.
std::optional<std::string> RandomToken(std::size_t bytes = 32);

// Compares a and b in time that depends on their lengths only, so that a
// guess at a token learns nothing from how long the refusal took.
bool SameSecret(const std::string& a, const std::string& b);

}  // namespace orvanectl

#endif  // ORVANECTL_RANDOMTOKEN_H_
