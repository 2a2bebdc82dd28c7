#include "gui/win32/RecordTextDialog.h"

#include "core/session/Dialogs.h"

namespace travek {

RecordTextDialog::RecordTextDialog()
    : DialogWindow("-", 320, 128, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER) {}

bool RecordTextDialog::run(Win32EventLoop& loop, RecordTextInput& input) {
    m_input = &input;
    const bool accepted = runModal(loop) == IDOK;
    m_input = nullptr;
    return accepted;
}

void RecordTextDialog::build() {
    add("STATIC", "", SS_LEFT, 12, 10, 296, 16, LabelId);
    add("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 12, 30, 296, 22, EditId, WS_EX_CLIENTEDGE);
    ::SendMessageA(item(EditId), EM_LIMITTEXT, RecordTextInput::MaxLength, 0);
    // The presenter's reason: a program text, never a mnemonic.
    add("STATIC", "", SS_LEFT | SS_NOPREFIX, 12, 58, 296, 30, MessageId);
    add("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 136, 94, 80, 25, IDOK);
    add("BUTTON", "Abbrechen", WS_TABSTOP | BS_PUSHBUTTON, 228, 94, 80, 25, IDCANCEL);
}

void RecordTextDialog::showing() {
    ::SetWindowTextA(m_window, m_input ? m_input->title() : "-");
    ::SetDlgItemTextA(m_window, LabelId, m_input ? m_input->label() : "");
    ::SetDlgItemTextA(m_window, EditId, m_input ? m_input->text().c_str() : "");
    ::SetDlgItemTextA(m_window, MessageId, "");
}

void RecordTextDialog::shown() {
    ::SetFocus(item(EditId));
    ::SendMessageA(item(EditId), EM_SETSEL, 0, -1);
}

void RecordTextDialog::command(int id, int code) {
    if (id == IDOK && m_input) {
        char typed[RecordTextInput::MaxLength + 2] = "";
        ::GetDlgItemTextA(m_window, EditId, typed, sizeof typed);
        if (!m_input->take(typed)) {
            ::SetDlgItemTextA(m_window, MessageId, m_input->message().c_str());
            ::SetFocus(item(EditId));
            return;
        }
    }
    DialogWindow::command(id, code);
}

} // namespace travek
