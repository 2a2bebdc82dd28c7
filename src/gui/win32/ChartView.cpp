#include "gui/win32/ChartView.h"

#include <cmath>
#include <map>
#include <utility>

namespace travek {

namespace {

COLORREF colourRef(ChartColour c) {
    return RGB(c.r, c.g, c.b);
}

int px(double v) {
    return static_cast<int>(std::lround(v));
}

// GDI objects made while one chart is drawn, deleted with it.
class Objects {
public:
    explicit Objects(HDC dc) : m_dc(dc) {}
    ~Objects() {
        ::SelectObject(m_dc, ::GetStockObject(BLACK_PEN));
        ::SelectObject(m_dc, ::GetStockObject(WHITE_BRUSH));
        ::SelectObject(m_dc, ::GetStockObject(SYSTEM_FONT));
        for (auto& [key, pen] : m_pens)
            ::DeleteObject(pen);
        for (auto& [key, brush] : m_brushes)
            ::DeleteObject(brush);
        for (auto& [key, font] : m_fonts)
            ::DeleteObject(font);
    }
    Objects(const Objects&) = delete;
    Objects& operator=(const Objects&) = delete;

    HPEN pen(ChartColour c, double width, bool dashed) {
        // A dashed GDI pen is one pixel wide.
        const int w = dashed ? 1 : std::max(1, px(width));
        auto& pen = m_pens[{colourRef(c), w * 2 + (dashed ? 1 : 0)}];
        if (!pen)
            pen = ::CreatePen(dashed ? PS_DASH : PS_SOLID, w, colourRef(c));
        return pen;
    }
    HBRUSH brush(ChartColour c) {
        auto& brush = m_brushes[colourRef(c)];
        if (!brush)
            brush = ::CreateSolidBrush(colourRef(c));
        return brush;
    }
    HFONT font(double size, bool bold) {
        auto& font = m_fonts[{px(size), bold}];
        if (!font)
            font = ::CreateFontA(-px(size), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                 ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH, "Arial");
        return font;
    }

private:
    HDC m_dc;
    std::map<std::pair<COLORREF, int>, HPEN> m_pens;
    std::map<COLORREF, HBRUSH> m_brushes;
    std::map<std::pair<int, bool>, HFONT> m_fonts;
};

} // namespace

void ChartView::paint(HDC dc, const ChartGeometry& g) {
    Objects objects(dc);
    RECT all{0, 0, px(g.width), px(g.height)};
    ::FillRect(dc, &all, objects.brush(g.background));
    for (const ChartGeometry::Band& b : g.bands) {
        RECT r{px(b.left), px(b.top), px(b.right), px(b.bottom)};
        ::FillRect(dc, &r, objects.brush(b.colour));
    }
    ::SetBkMode(dc, TRANSPARENT);
    for (const ChartGeometry::Line& l : g.lines) {
        ::SelectObject(dc, objects.pen(l.colour, l.width, l.dashed));
        ::MoveToEx(dc, px(l.x1), px(l.y1), nullptr);
        ::LineTo(dc, px(l.x2), px(l.y2));
    }
    for (const ChartGeometry::Point& p : g.points) {
        if (p.marked) {
            const double r = p.radius + ChartGeometry::RingGap;
            ::SelectObject(dc, objects.pen(ChartGeometry::Ring, 1.5, false));
            ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
            ::Ellipse(dc, px(p.x - r), px(p.y - r), px(p.x + r) + 1, px(p.y + r) + 1);
        }
        ::SelectObject(dc, ::GetStockObject(NULL_PEN));
        ::SelectObject(dc, objects.brush(p.colour));
        ::Ellipse(dc, px(p.x - p.radius), px(p.y - p.radius), px(p.x + p.radius) + 1, px(p.y + p.radius) + 1);
    }
    for (const ChartGeometry::Text& t : g.texts) {
        ::SelectObject(dc, objects.font(t.size, t.bold));
        ::SetTextColor(dc, colourRef(t.colour));
        const UINT align = t.anchor == ChartGeometry::Anchor::Start    ? TA_LEFT
                           : t.anchor == ChartGeometry::Anchor::Middle ? TA_CENTER
                                                                       : TA_RIGHT;
        ::SetTextAlign(dc, TA_BASELINE | align);
        ::TextOutA(dc, px(t.x), px(t.y), t.text.c_str(), static_cast<int>(t.text.size()));
    }
}

void ChartView::registerClass() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &ChartView::windowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = WindowClass;
    ::RegisterClassA(&windowClass); // fails harmlessly when it is registered already
}

void ChartView::attach(HWND window, const ChartSeries* series) {
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(series));
    ::InvalidateRect(window, nullptr, FALSE);
}

LRESULT CALLBACK ChartView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers all
    case WM_PAINT: {
        PAINTSTRUCT paintStruct;
        const HDC dc = ::BeginPaint(window, &paintStruct);
        RECT client;
        ::GetClientRect(window, &client);
        const auto* series = reinterpret_cast<const ChartSeries*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        const HDC buffer = ::CreateCompatibleDC(dc);
        const HBITMAP bitmap = ::CreateCompatibleBitmap(dc, client.right, client.bottom);
        const HGDIOBJ old = ::SelectObject(buffer, bitmap);
        paint(buffer, ChartGeometry::layout(series ? *series : ChartSeries{}, client.right, client.bottom));
        ::BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
        ::SelectObject(buffer, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(buffer);
        ::EndPaint(window, &paintStruct);
        return 0;
    }
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace travek
