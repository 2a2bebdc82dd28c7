#include "gui/qt/Win1252.h"

#include "core/text/TextHelpers.h"

namespace travek {

QString fromWin1252(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text)
        result.append(QChar(static_cast<char16_t>(win1252ToUnicode(c))));
    return result;
}

std::string toWin1252(const QString& text) {
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (QChar ch : text)
        result.push_back(unicodeToWin1252(ch.unicode()).value_or('?'));
    return result;
}

} // namespace travek
