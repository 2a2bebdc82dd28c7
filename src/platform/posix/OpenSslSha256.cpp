#include "core/record/Sha256.h"

#include "core/text/Error.h"

#include <openssl/evp.h>

namespace travek {

std::array<unsigned char, 32> sha256(std::string_view bytes) {
    // Fetched once: OpenSSL 3 looks the algorithm up anew for every digest otherwise, which costs
    // more than hashing a row.
    static EVP_MD* const algorithm = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    std::array<unsigned char, 32> digest{};
    unsigned int size = 0;
    if (!algorithm || EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, algorithm, nullptr) != 1 ||
        size != digest.size())
        throw Error("SHA-256 ist nicht verf\xFC"
                    "gbar (libcrypto)");
    return digest;
}

} // namespace travek
