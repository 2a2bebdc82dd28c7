#include "gui/win32/PortListWindow.h"

#include "core/session/Dialogs.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

namespace travek {

PortListWindow::PortListWindow(PortList& ports, EventLoop& loop,
                               std::function<void(const std::string&)> errorBox)
    : DialogWindow("Comport List", 260, 260, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW),
      m_ports(ports), m_loop(loop), m_errorBox(std::move(errorBox)) {}

PortListWindow::~PortListWindow() {
    stopRefreshing();
}

void PortListWindow::build() {
    // Display only.
    add("LISTBOX", "", WS_BORDER | WS_VSCROLL | WS_DISABLED | LBS_NOINTEGRALHEIGHT, 5, 5, 250, 216, ListId);
    add("BUTTON", "O K", WS_TABSTOP | BS_DEFPUSHBUTTON, 5, 226, 250, 29, CloseId);
}

void PortListWindow::show() {
    ::ShowWindow(m_window, SW_SHOW);
    ::SetForegroundWindow(m_window);
    stopRefreshing();
    if (refresh())
        scheduleRefresh();
}

void PortListWindow::hide() {
    stopRefreshing();
    ::ShowWindow(m_window, SW_HIDE);
}

void PortListWindow::command(int id, int) {
    if (id == CloseId)
        hide();
}

bool PortListWindow::refresh() {
    try {
        if (!m_ports.refresh())
            return true; // leave the list alone while nothing changed
    } catch (const Error& error) {
        if (m_errorBox)
            m_errorBox(SystemTextToWin1252(error.what()));
        return false;
    }
    ::SendDlgItemMessageA(m_window, ListId, LB_RESETCONTENT, 0, 0);
    for (const auto& line : m_ports.lines())
        ::SendDlgItemMessageA(m_window, ListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    return true;
}

void PortListWindow::scheduleRefresh() {
    m_refreshTask = m_loop.after(std::chrono::milliseconds(PortList::RefreshMs), [this] {
        m_refreshTask = 0;
        scheduleRefresh();
        refresh();
    });
}

void PortListWindow::stopRefreshing() {
    if (m_refreshTask != 0)
        m_loop.cancel(m_refreshTask);
    m_refreshTask = 0;
}

} // namespace travek
