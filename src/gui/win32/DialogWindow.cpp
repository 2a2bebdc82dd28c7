#include "gui/win32/DialogWindow.h"

#include "gui/win32/Win32EventLoop.h"

#include <cstring>

namespace travek {

int scaled(int designPixels) {
    static const int dpi = [] {
        const HDC screen = ::GetDC(nullptr);
        const int dotsPerInch = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
        return dotsPerInch > 0 ? dotsPerInch : 96;
    }();
    return ::MulDiv(designPixels, dpi, 96);
}

int textWidth(HWND window, HFONT font, std::string_view text) {
    const HDC dc = ::GetDC(window);
    const HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return size.cx;
}

HFONT createDesignFont(bool bold) {
    const HDC screen = ::GetDC(nullptr);
    const int height = -::MulDiv(8, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return ::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                         "MS Sans Serif");
}

DialogWindow::DialogWindow(std::string title, int width, int height, DWORD style, DWORD exStyle, bool bold)
    : m_title(std::move(title)), m_width(width), m_height(height), m_style(style), m_exStyle(exStyle),
      m_font(createDesignFont(bold)) {}

DialogWindow::~DialogWindow() {
    if (m_window)
        ::DestroyWindow(m_window);
    if (m_font)
        ::DeleteObject(m_font);
}

void DialogWindow::create(HWND owner) {
    // A template with no controls and an empty menu, class and title (the title is set in ANSI
    // afterwards); the words after the header must start on a DWORD boundary.
    alignas(DWORD) WORD words[32]{};
    DLGTEMPLATE header{};
    header.style = m_style;
    header.dwExtendedStyle = m_exStyle;
    std::memcpy(words, &header, sizeof header);
    m_window =
        ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(words),
                                     owner, &DialogWindow::dialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogWindow::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<DialogWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogWindow*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        self->m_window = window;
        ::SetWindowTextA(window, self->m_title.c_str());
        RECT frame{0, 0, scaled(self->m_width), scaled(self->m_height)};
        ::AdjustWindowRectEx(&frame, self->m_style, FALSE, self->m_exStyle);
        ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(self->m_font), FALSE);
        self->build();
        return FALSE; // the focus is set when shown
    }
    if (!self)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        self->command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        self->closeRequested();
        return TRUE;
    default:
        return FALSE;
    }
}

void DialogWindow::command(int id, int) {
    if (id == IDOK || id == IDCANCEL)
        end(id);
}

HWND DialogWindow::add(const char* className, const char* text, DWORD style, int x, int y, int width,
                       int height, int id, DWORD exStyle) {
    const HWND control = ::CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, scaled(x),
                                           scaled(y), scaled(width), scaled(height), m_window,
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                           ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    return control;
}

int DialogWindow::runModal(Win32EventLoop& loop) {
    // Gone with its owner: the program is ending.
    if (!::IsWindow(m_window))
        return IDCANCEL;
    const HWND owner = ::GetWindow(m_window, GW_OWNER);
    m_result = IDCANCEL;
    m_running = true;
    showing();
    if (owner)
        ::EnableWindow(owner, FALSE);
    if (m_style & DS_CENTER)
        centreOnScreen();
    ::ShowWindow(m_window, SW_SHOW);
    ::SetForegroundWindow(m_window);
    shown();
    loop.runUntil([this] { return !m_running; });
    m_running = false;
    // The owner first, so the activation goes back to it and not to another program.
    if (owner)
        ::EnableWindow(owner, TRUE);
    ::ShowWindow(m_window, SW_HIDE);
    if (owner)
        ::SetActiveWindow(owner);
    return m_result;
}

void DialogWindow::centreOnScreen() {
    // The template's DS_CENTER centres the empty window it is made as, before build() gives it
    // its size: it is centred again, on the work area of the screen the program is on.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    const HWND owner = ::GetWindow(m_window, GW_OWNER);
    if (!::GetMonitorInfoA(::MonitorFromWindow(owner ? owner : m_window, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    RECT frame;
    ::GetWindowRect(m_window, &frame);
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(m_window, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::end(int result) {
    m_result = result;
    m_running = false;
}

int DialogWindow::selectedRow(int listId) const {
    const LRESULT selected = ::SendDlgItemMessageA(m_window, listId, LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

} // namespace travek
