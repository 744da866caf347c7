// Enciphering of the secrets that instance records keep: the database
// password, the CMS password and the merchant key.
//
// Secrets are held only in a printable enciphered form (triple DES, base64;
// see CipherScheme.h). Passwords and the merchant key are enciphered with the
// library's built-in key; other data may be enciphered with a merchant key.
// Secrets of an earlier product level are converted with KelConvertCipher.
//
// Results are 1 for success and 0 for failure. Input texts may be null, which
// counts as empty. Output buffers belong to the caller and must hold the
// stated number of bytes; a `size` below 1 writes nothing. No function keeps
// state between calls; all may be called from any thread.
#ifndef ORVANE_RUNTIME_CIPHER_H_
#define ORVANE_RUNTIME_CIPHER_H_

#include "orvane/core/KelString.h"
#include "orvane/export.h"

// Enciphers a merchant key: `key` must be exactly 16 characters 0-9, a-f or
// A-F. The characters themselves are enciphered, so their case comes back as
// given. `out` holds 33 bytes; 1 only when the result has exactly 32
// characters. On failure `out` is left as it was.
ORVANE_C_API int KelEncKey(const char* key, char* out);

// Deciphers a merchant key enciphered by KelEncKey. An empty `cipher` makes
// `out` empty and returns 0; a `cipher` that is not exactly 32 characters, or
// that does not decipher to exactly 16 characters, returns 0 with `out` left
// as it was. `out` holds 17 bytes.
ORVANE_C_API int KelDecKey(const char* cipher, char* out);

// Enciphers `text` with the built-in key into `out`, cut to at most size - 1
// characters and always NUL-terminated. An empty text gives an empty result.
// Always 1.
ORVANE_C_API int KelEncrypt(const char* text, char* out, int size);

// Deciphers `cipher` with the built-in key into `out`, up to the plaintext's
// first NUL, cut to at most size - 1 characters and NUL-terminated. A damaged
// cipher text gives an empty result. Always 1.
ORVANE_C_API int KelDecrypt(const char* cipher, char* out, int size);

// Enciphers `text` as KelEncrypt does, but with the merchant key that
// `merKeyCipher` holds (as KelEncKey wrote it) in place of the built-in key.
// An empty text gives an empty result and 1. A merchant key that does not
// decipher returns 0 with `out` left as it was; one that deciphers to other
// than hexadecimal digits returns 0 with `out` empty.
ORVANE_C_API int KelEncryptWithMerKey(const char* text, char* out, int size,
                                      const char* merKeyCipher);

// Converts a secret of the older scheme (pairs of letters "a" to "p") in
// place into the current form, as KelEncrypt writes it, and returns
// KelEncrypt's result. A text that is not of the older form returns 0 and is
// left as it was.
ORVANE_API int KelConvertCipher(KelString& s);

#endif  // ORVANE_RUNTIME_CIPHER_H_
