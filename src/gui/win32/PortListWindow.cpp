#include "gui/win32/PortListWindow.h"

#include "core/session/Dialogs.h"

namespace travek {

PortListWindow::PortListWindow(PortList& ports, std::function<void(const std::string&)> errorBox)
    : DialogWindow("Comport List", 260, 260, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW),
      m_ports(ports), m_errorBox(std::move(errorBox)) {}

PortListWindow::~PortListWindow() {
    m_ports.stop();
}

void PortListWindow::build() {
    // Display only.
    add("LISTBOX", "", WS_BORDER | WS_VSCROLL | WS_DISABLED | LBS_NOINTEGRALHEIGHT, 5, 5, 250, 216, ListId);
    add("BUTTON", "O K", WS_TABSTOP | BS_DEFPUSHBUTTON, 5, 226, 250, 29, CloseId);
}

void PortListWindow::show() {
    keepInWorkArea();
    ::ShowWindow(m_window, SW_SHOW);
    ::SetForegroundWindow(m_window);
    m_ports.start([this] { showLines(); }, m_errorBox);
}

void PortListWindow::hide() {
    m_ports.stop();
    ::ShowWindow(m_window, SW_HIDE);
}

void PortListWindow::command(int id, int) {
    if (id == CloseId)
        hide();
}

void PortListWindow::showLines() {
    ::SendDlgItemMessageA(m_window, ListId, LB_RESETCONTENT, 0, 0);
    for (const auto& line : m_ports.lines())
        ::SendDlgItemMessageA(m_window, ListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

} // namespace travek
