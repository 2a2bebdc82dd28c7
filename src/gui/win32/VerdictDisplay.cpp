#include "gui/win32/VerdictDisplay.h"

#include "core/quality/VerdictColour.h"

namespace travek {

std::optional<COLORREF> verdictColourRef(Verdict verdict) {
    const auto rgb = verdictColour(verdict);
    if (!rgb)
        return std::nullopt;
    return RGB((*rgb >> 16) & 0xFF, (*rgb >> 8) & 0xFF, *rgb & 0xFF);
}

void drawColouredPanel(const DRAWITEMSTRUCT& item, COLORREF colour, const std::string& text) {
    const HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(item.hDC, &item.rcItem, brush);
    ::DeleteObject(brush);
    RECT inside = item.rcItem;
    inside.left += 2;
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, RGB(0, 0, 0));
    ::DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &inside,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void soundNok() {
    ::MessageBeep(MB_ICONHAND);
}

} // namespace travek
