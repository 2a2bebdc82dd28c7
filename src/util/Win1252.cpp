#include "Win1252.h"

#include <array>

namespace travek {

namespace {

// 0x80..0x9F; 0 marks the five codes that Windows-1252 leaves undefined (kept as C1 controls).
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QString fromWin1252(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (unsigned char c : text) {
        char16_t u = c;
        if (c >= 0x80 && c <= 0x9F && HighControls[c - 0x80] != 0)
            u = HighControls[c - 0x80];
        result.append(QChar(u));
    }
    return result;
}

std::string toWin1252(const QString& text) {
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            result.push_back(static_cast<char>(u));
            continue;
        }
        char mapped = '?';
        for (std::size_t i = 0; i < HighControls.size(); ++i)
            if (HighControls[i] == u || (HighControls[i] == 0 && u == 0x80 + i))
                mapped = static_cast<char>(0x80 + i);
        result.push_back(mapped);
    }
    return result;
}

} // namespace travek
