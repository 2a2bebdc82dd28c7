#include "core/text/KeyString.h"

#include "core/files/FileIo.h"
#include "core/files/IniFile.h"

namespace travek {

char readKeySeparator(const std::string& iniPath) {
    const std::int32_t code = IniFile::load(FindPathIgnoreCase(iniPath)).readInteger("STRINGS", "SEPCHAR", 59);
    return static_cast<char>(static_cast<unsigned char>(code & 0xFF));
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

std::string cutToWholePieces(std::string_view text, char separator, std::size_t maxLength) {
    if (text.size() <= maxLength)
        return std::string(text);
    // The piece that ends at the limit is whole even when its separator falls just beyond it.
    if (text[maxLength] == separator)
        return std::string(text.substr(0, maxLength));
    const auto lastSeparator = text.substr(0, maxLength).rfind(separator);
    if (lastSeparator == std::string_view::npos)
        return std::string();
    return std::string(text.substr(0, lastSeparator + 1));
}

} // namespace travek
