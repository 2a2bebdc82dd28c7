#include "core/record/HashChain.h"

#include "core/record/Sha256.h"

namespace travek {

namespace {

constexpr std::string_view ContinuationPrefix = "Kette fortgesetzt von ";

} // namespace

namespace HashChain {

std::string next(std::string_view previous, std::string_view body) {
    std::string input;
    input.reserve(previous.size() + body.size());
    input.append(previous).append(body);
    return sha256Hex(input);
}

bool isValue(std::string_view text) {
    if (text.size() != ValueLength)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

std::string continuationNote(std::string_view previous) {
    return std::string(ContinuationPrefix) + std::string(previous);
}

std::optional<std::string> continuedFrom(std::string_view note) {
    if (note.size() != ContinuationPrefix.size() + ValueLength ||
        note.substr(0, ContinuationPrefix.size()) != ContinuationPrefix)
        return std::nullopt;
    const std::string_view value = note.substr(ContinuationPrefix.size());
    if (!isValue(value))
        return std::nullopt;
    return std::string(value);
}

} // namespace HashChain

} // namespace travek
