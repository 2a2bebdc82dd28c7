#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace travek {

// The program's texts are 8-bit Windows-1252, as the files written on Windows are; widgets show
// QStrings. These two are the only place where the two meet.
QString fromWin1252(std::string_view text);
// Characters that Windows-1252 cannot hold become "?".
std::string toWin1252(const QString& text);

} // namespace travek
