#pragma once

#include <array>
#include <string>
#include <string_view>

namespace travek {

// The SHA-256 digest of bytes. Defined by the platform layer with the system's own implementation
// (OpenSSL's libcrypto on Linux, CNG on Windows): the proof that a record was not altered rests
// on it, and a hash written by hand is one more thing an auditor would have to trust. Throws
// Error when the system cannot compute it.
std::array<unsigned char, 32> sha256(std::string_view bytes);

// The digest as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view bytes);

} // namespace travek
