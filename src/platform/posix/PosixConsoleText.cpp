#include "core/text/ConsoleText.h"

#include "core/text/TextHelpers.h"

#include <string>

namespace travek {

void writeConsole(std::FILE* stream, std::string_view text) {
    // A Linux terminal, and whatever reads a redirected stream here, takes UTF-8.
    std::string utf8;
    utf8.reserve(text.size());
    for (char c : text) {
        const char32_t code = win1252ToUnicode(c);
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

} // namespace travek
