#include "gui/win32/ServiceWindow.h"

namespace travek {

ServiceWindow::ServiceWindow()
    : DialogWindow("RS232SERVICE", 274, 292, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOPMOST) {}

void ServiceWindow::build() {
    add("STATIC", "Input", SS_LEFT, 9, 9, 256, 16, StaticId);
    add("LISTBOX", "", WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 9, 27, 256, 200, InputListId);
    add("STATIC", "Output", SS_LEFT, 9, 233, 256, 16, StaticId);
    add("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 9, 251, 256, 22, OutputId, WS_EX_CLIENTEDGE);
}

void ServiceWindow::setOutput(const std::string& command) {
    ::SetDlgItemTextA(m_window, OutputId, command.c_str());
}

} // namespace travek
