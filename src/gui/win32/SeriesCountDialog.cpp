#include "gui/win32/SeriesCountDialog.h"

#include "core/session/Dialogs.h"

namespace travek {

SeriesCountDialog::SeriesCountDialog()
    : DialogWindow("-", 236, 80, WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CENTER, WS_EX_TOOLWINDOW) {}

void SeriesCountDialog::build() {
    add("STATIC", "Anzahl Werte", SS_LEFT, 16, 32, 70, 16, StaticId);
    add("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 90, 29, 56, 22, EditId, WS_EX_CLIENTEDGE);
    add("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 155, 26, 65, 28, IDOK);
}

void SeriesCountDialog::showing() {
    ::SetDlgItemTextA(m_window, EditId, m_text.c_str());
}

void SeriesCountDialog::shown() {
    ::SetFocus(item(EditId));
    ::SendMessageA(item(EditId), EM_SETSEL, 0, -1);
}

void SeriesCountDialog::command(int id, int code) {
    if (id == IDOK) {
        char typed[256] = "";
        ::GetDlgItemTextA(m_window, EditId, typed, sizeof typed);
        m_value = SeriesCountInput::valueOf(typed);
    }
    DialogWindow::command(id, code);
}

} // namespace travek
