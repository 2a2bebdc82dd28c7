#pragma once

#include "core/quality/Verdict.h"

#include <windows.h>

#include <optional>
#include <string>

namespace travek {

// The verdict's colour as a colour reference; nothing for the usual colour.
std::optional<COLORREF> verdictColourRef(Verdict verdict);

// An owner-drawn part of the status bar: the text on the colour, as the bar draws its own parts.
void drawColouredPanel(const DRAWITEMSTRUCT& item, COLORREF colour, const std::string& text);

// The NOK signal: the system's "critical stop" sound, where beep() is the default one.
void soundNok();

} // namespace travek
