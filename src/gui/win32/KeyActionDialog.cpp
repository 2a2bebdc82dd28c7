#include "gui/win32/KeyActionDialog.h"

#include "core/session/Dialogs.h"

namespace travek {

KeyActionDialog::KeyActionDialog()
    : DialogWindow("Aktionsliste", 300, 400, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME) {}

void KeyActionDialog::build() {
    const DWORD listStyle = WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    add("LISTBOX", "", listStyle, 9, 9, 196, 154, EntryListId);
    add("BUTTON", "L\xF6schen", WS_TABSTOP | BS_PUSHBUTTON, 211, 9, 80, 25, DeleteId);
    add("LISTBOX", "", listStyle, 9, 169, 196, 154, TokenListId);
    add("BUTTON", "Hinzuf\xFCgen", WS_TABSTOP | BS_PUSHBUTTON, 211, 169, 80, 25, AddId);
    add("STATIC", "", SS_LEFT, 9, 330, 282, 30, LimitId);
    add("BUTTON", "Abbrechen", WS_TABSTOP | BS_PUSHBUTTON, 9, 366, 80, 25, IDCANCEL);
    add("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 211, 366, 80, 25, IDOK);
    for (const auto& token : KeyActionList::tokens())
        ::SendDlgItemMessageA(m_window, TokenListId, LB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(token.c_str()));
    ::SendDlgItemMessageA(m_window, TokenListId, LB_SETCURSEL, 0, 0);
}

void KeyActionDialog::setList(KeyActionList* list) {
    m_list = list;
    showList(-1);
}

void KeyActionDialog::shown() {
    ::SetFocus(item(TokenListId));
}

void KeyActionDialog::showList(int selected) {
    ::SendDlgItemMessageA(m_window, EntryListId, LB_RESETCONTENT, 0, 0);
    std::string limit;
    if (m_list) {
        for (const auto& entry : m_list->entries())
            ::SendDlgItemMessageA(m_window, EntryListId, LB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(entry.c_str()));
        limit = m_list->limitMessage();
    }
    ::SetDlgItemTextA(m_window, LimitId, limit.c_str());
    ::SendDlgItemMessageA(m_window, EntryListId, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void KeyActionDialog::command(int id, int code) {
    const bool add = id == AddId || (id == TokenListId && code == LBN_DBLCLK);
    if (add && m_list) {
        const int selected = selectedRow(EntryListId);
        m_list->add(selectedRow(TokenListId), selected);
        showList(selected);
        return;
    }
    if (id == DeleteId && m_list) {
        m_list->remove(selectedRow(EntryListId));
        showList(-1);
        return;
    }
    DialogWindow::command(id, code);
}

} // namespace travek
