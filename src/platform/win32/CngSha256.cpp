#include "core/record/Sha256.h"

#include "core/text/Error.h"

#include <windows.h>

#include <bcrypt.h>

namespace travek {

namespace {

[[noreturn]] void unavailable() {
    throw Error("SHA-256 ist nicht verf\xFC"
                "gbar (CNG)");
}

} // namespace

std::array<unsigned char, 32> sha256(std::string_view bytes) {
    // The provider is opened once: opening it costs far more than hashing a row.
    static const BCRYPT_ALG_HANDLE algorithm = [] {
        BCRYPT_ALG_HANDLE handle = nullptr;
        return BCryptOpenAlgorithmProvider(&handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0 ? handle
                                                                                              : nullptr;
    }();
    if (!algorithm)
        unavailable();
    BCRYPT_HASH_HANDLE hash = nullptr;
    std::array<unsigned char, 32> digest{};
    // The hash object's memory is the system's to allocate (a null buffer).
    NTSTATUS status = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
    if (status >= 0)
        status = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                                static_cast<ULONG>(bytes.size()), 0);
    if (status >= 0)
        status = BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
    if (hash)
        BCryptDestroyHash(hash);
    if (status < 0)
        unavailable();
    return digest;
}

} // namespace travek
