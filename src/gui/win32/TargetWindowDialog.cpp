#include "gui/win32/TargetWindowDialog.h"

#include "core/session/Dialogs.h"

namespace travek {

TargetWindowDialog::TargetWindowDialog()
    : DialogWindow("Zielfenster", 380, 150, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME) {}

void TargetWindowDialog::build() {
    // Window titles are anybody's text: an "&" in them is shown, not taken for a mnemonic.
    add("STATIC", "", SS_LEFT | SS_NOPREFIX, 12, 10, 356, 34, TargetId);
    add("STATIC", "", SS_LEFT | SS_NOPREFIX, 12, 48, 356, 34, StatusId);
    add("BUTTON", "&Festlegen", WS_TABSTOP | BS_PUSHBUTTON, 12, 86, 90, 25, CaptureId);
    add("BUTTON", "&Aufheben", WS_TABSTOP | BS_PUSHBUTTON, 110, 86, 90, 25, ClearId);
    add("BUTTON", "&Titel muss passen", WS_TABSTOP | BS_AUTOCHECKBOX, 212, 89, 156, 20, MatchTitleId);
    add("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 196, 118, 80, 25, IDOK);
    add("BUTTON", "Abbrechen", WS_TABSTOP | BS_PUSHBUTTON, 288, 118, 80, 25, IDCANCEL);
}

void TargetWindowDialog::setChoice(TargetWindowChoice* choice) {
    if (m_choice)
        m_choice->onChanged = nullptr;
    m_choice = choice;
    if (m_choice)
        m_choice->onChanged = [this] {
            showChoice();
            // The user clicked into another program to pick it: the dialog comes back to show what
            // it took.
            if (!m_choice->counting() && m_running)
                ::SetForegroundWindow(m_window);
        };
    showChoice();
}

void TargetWindowDialog::showing() {
    showChoice();
}

void TargetWindowDialog::showChoice() {
    if (!m_window)
        return;
    ::SetDlgItemTextA(m_window, TargetId, m_choice ? m_choice->targetText().c_str() : "");
    ::SetDlgItemTextA(m_window, StatusId, m_choice ? m_choice->status().c_str() : "");
    ::CheckDlgButton(m_window, MatchTitleId,
                     m_choice && m_choice->matchTitle() ? BST_CHECKED : BST_UNCHECKED);
}

void TargetWindowDialog::command(int id, int code) {
    if (m_choice) {
        if (id == CaptureId && code == BN_CLICKED) {
            m_choice->capture();
            return;
        }
        if (id == ClearId && code == BN_CLICKED) {
            m_choice->clear();
            showChoice();
            return;
        }
        if (id == MatchTitleId && code == BN_CLICKED) {
            m_choice->setMatchTitle(::IsDlgButtonChecked(m_window, MatchTitleId) == BST_CHECKED);
            showChoice();
            return;
        }
    }
    if (m_choice && (id == IDOK || id == IDCANCEL))
        m_choice->stop();
    DialogWindow::command(id, code);
}

} // namespace travek
