#include "gui/win32/InterfaceDialog.h"

#include "core/session/Dialogs.h"

namespace travek {

InterfaceDialog::InterfaceDialog()
    : DialogWindow("Interface", 320, 260, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 0,
                   true) {}

void InterfaceDialog::build() {
    add("STATIC", "", SS_ETCHEDFRAME, 9, 9, 302, 208, StaticId);
    add("LISTBOX", "", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 18, 18, 284,
        190, ListId);
    // Why the list is empty, in its place.
    ::ShowWindow(add("STATIC", "", SS_LEFT | SS_NOPREFIX, 18, 18, 284, 190, EmptyId), SW_HIDE);
    add("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 140, 226, 80, 25, IDOK);
    add("BUTTON", "Abbrechen", WS_TABSTOP | BS_PUSHBUTTON, 226, 226, 85, 25, IDCANCEL);
}

void InterfaceDialog::showChoice(const InterfaceChoice& choice) {
    if (m_filled)
        return;
    m_filled = true;
    for (const auto& entry : choice.entries())
        ::SendDlgItemMessageA(m_window, ListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    ::SendDlgItemMessageA(m_window, ListId, LB_SETCURSEL, static_cast<WPARAM>(choice.initialRow()), 0);
    if (choice.entries().empty()) {
        ::SetDlgItemTextA(m_window, EmptyId, choice.emptyText().c_str());
        ::ShowWindow(item(ListId), SW_HIDE);
        ::ShowWindow(item(EmptyId), SW_SHOW);
    }
}

int InterfaceDialog::chosenRow() const {
    return selectedRow(ListId);
}

void InterfaceDialog::shown() {
    ::SetFocus(item(IDOK));
}

void InterfaceDialog::command(int id, int code) {
    if (id == ListId && code == LBN_DBLCLK && chosenRow() >= 0) {
        end(IDOK);
        return;
    }
    DialogWindow::command(id, code);
}

} // namespace travek
