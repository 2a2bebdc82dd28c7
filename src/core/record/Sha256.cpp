#include "core/record/Sha256.h"

namespace travek {

std::string sha256Hex(std::string_view bytes) {
    static constexpr char Hex[] = "0123456789abcdef";
    const std::array<unsigned char, 32> digest = sha256(bytes);
    std::string text;
    text.reserve(2 * digest.size());
    for (unsigned char byte : digest) {
        text += Hex[byte >> 4];
        text += Hex[byte & 0xF];
    }
    return text;
}

} // namespace travek
