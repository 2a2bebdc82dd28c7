#pragma once

#include <optional>
#include <string>

namespace travek {

// The boundary between program texts (Windows-1252) and the system's UTF-16. Paths always cross
// it through these: the ANSI functions of Windows take the system's code page, which cannot name a
// folder such as "Łódź" and turns such letters into '?'.
std::wstring toWide(const std::string& text);
// The program text of a system text; nothing when a character has no place in Windows-1252.
std::optional<std::string> fromWide(const std::wstring& text);

} // namespace travek
