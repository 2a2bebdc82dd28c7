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

std::string cutKeyString(std::string_view text, std::size_t maxLength) {
    if (text.size() <= maxLength)
        return std::string(text);
    // Walked as the keystroke sender reads it, so that a group is what the sender takes for one.
    std::size_t i = 0;
    while (i < maxLength) {
        const char c = text[i];
        if (c == '{') {
            const auto close = text.find('}', i + 1);
            if (close == std::string_view::npos)
                break; // no group from here on: plain characters
            if (close >= maxLength)
                return std::string(text.substr(0, i));
            i = close + 1;
        } else if (c == '@' || c == '^') {
            // Doubled, the prefix is its own character; alone, it goes with the next character.
            if (i + 1 >= maxLength)
                return std::string(text.substr(0, i));
            i += 2;
        } else {
            ++i;
        }
    }
    return std::string(text.substr(0, maxLength));
}

} // namespace travek
