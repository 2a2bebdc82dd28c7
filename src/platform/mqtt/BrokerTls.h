#pragma once

#include <string>

namespace travek {

// Why the broker's certificate was not accepted, in words, from the TLS connection the client
// library had (its SSL object); empty when the verification did not fail. Defined where the build
// has TLS (OpenSSL on Linux); the Windows build has none yet.
std::string tlsVerifyFailure(void* ssl);

} // namespace travek
