#include "core/text/KeyString.h"

#include "core/files/FileIo.h"
#include "core/files/IniFile.h"
#include "core/text/Error.h"

#include <cstdio>

namespace travek {

char readKeySeparator(const std::string& iniPath) {
    try {
        const std::int32_t code =
            IniFile::load(findPathIgnoreCase(iniPath)).readInteger("STRINGS", "SEPCHAR", 59);
        return static_cast<char>(static_cast<unsigned char>(code & 0xFF));
    } catch (const Error& error) {
        // Read before any window exists, so the reason goes to standard error; the program works
        // on with the separator every key string has unless the user set another.
        std::fprintf(stderr, "travek: %s; the key separator stays ';'\n", error.what());
        return DefaultKeySeparator;
    }
}

std::vector<std::string> splitKeyString(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    for (auto pos = text.find(separator); pos != std::string_view::npos; pos = text.find(separator)) {
        pieces.emplace_back(text.substr(0, pos));
        text.remove_prefix(pos + 1);
    }
    if (!text.empty())
        pieces.emplace_back(text);
    return pieces;
}

std::string joinKeyString(const std::vector<std::string>& pieces, char separator) {
    std::string text;
    for (const auto& piece : pieces) {
        text += piece;
        text += separator;
    }
    return text;
}

namespace {

// The end of the group that starts at i, as the keystroke sender reads it: a named key with its
// braces, a doubled prefix (its own character), or a plain character; a single "@" or "^" goes
// with the group after it, so "^{ENTER}" and "@^c" are one group each. lastClose is the text's
// last "}", so that a long run of braces nothing closes is not searched again and again.
std::size_t groupEnd(std::string_view text, std::size_t i, std::size_t lastClose) {
    while (i < text.size()) {
        const char c = text[i];
        if (c == '{') {
            if (lastClose == std::string_view::npos || lastClose < i)
                return i + 1;
            return text.find('}', i + 1) + 1;
        }
        if (c != '@' && c != '^')
            return i + 1;
        if (i + 1 < text.size() && text[i + 1] == c)
            return i + 2;
        ++i;
    }
    return i; // a prefix at the very end: nothing follows it to break
}

} // namespace

std::string cutKeyString(std::string_view text, std::size_t maxLength) {
    if (text.size() <= maxLength)
        return std::string(text);
    const auto lastClose = text.rfind('}');
    std::size_t i = 0;
    for (auto end = groupEnd(text, 0, lastClose); end <= maxLength; end = groupEnd(text, i, lastClose))
        i = end;
    return std::string(text.substr(0, i));
}

} // namespace travek
