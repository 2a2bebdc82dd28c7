#include "gui/win32/ToleranceDialog.h"

#include "core/session/ToleranceInput.h"

namespace travek {

namespace {

constexpr int Width = 300;
constexpr int CollapsedBottom = 158;
constexpr int ExpandedBottom = 216;

int heightFor(int bottom) {
    return bottom + 36 + 25 + 10;
}

} // namespace

ToleranceDialog::ToleranceDialog()
    : DialogWindow("-", Width, heightFor(CollapsedBottom),
                   WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER) {}

bool ToleranceDialog::run(Win32EventLoop& loop, ToleranceInput& input) {
    m_input = &input;
    const bool accepted = runModal(loop) == IDOK;
    m_input = nullptr;
    return accepted;
}

void ToleranceDialog::build() {
    const struct {
        const char* label;
        int id;
    } fields[] = {
        {"&Merkmal:", CharacteristicId}, {"&Soll:", NominalId}, {"&UGW:", LowerId}, {"&OGW:", UpperId}};
    int y = 12;
    for (const auto& field : fields) {
        add("STATIC", field.label, SS_LEFT, 12, y + 3, 64, 16, StaticId);
        add("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 80, y, 208, 22, field.id, WS_EX_CLIENTEDGE);
        y += 28;
    }
    ::SendMessageA(item(CharacteristicId), EM_LIMITTEXT, ToleranceInput::MaxCharacteristicLength, 0);
    add("BUTTON", "&Ablauf \x85", WS_TABSTOP | BS_PUSHBUTTON, 12, 126, 90, 25, SettingsId);
    add("STATIC", "&Warnzone (WARNUNG, %):", SS_LEFT, 12, 161, 150, 16, WarningLabelId);
    add("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 168, 158, 60, 22, WarningId, WS_EX_CLIENTEDGE);
    add("STATIC", "&NOK:", SS_LEFT, 12, 189, 60, 16, NokLabelId);
    const HWND nok =
        add("COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 80, 186, 208, 100, NokId);
    for (const char* choice : ToleranceInput::NokChoices)
        ::SendMessageA(nok, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    // The presenter's reason: a program text, never a mnemonic.
    add("STATIC", "", SS_LEFT | SS_NOPREFIX, 12, CollapsedBottom, 276, 30, MessageId);
    add("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 116, CollapsedBottom + 36, 80, 25, IDOK);
    add("BUTTON", "Abbrechen", WS_TABSTOP | BS_PUSHBUTTON, 208, CollapsedBottom + 36, 80, 25, IDCANCEL);
}

void ToleranceDialog::arrange(bool settings) {
    m_settingsShown = settings;
    for (int id : {WarningLabelId, WarningId, NokLabelId, NokId})
        ::ShowWindow(item(id), settings ? SW_SHOW : SW_HIDE);
    const int bottom = settings ? ExpandedBottom : CollapsedBottom;
    const auto move = [this](int id, int x, int y, int width, int height) {
        ::MoveWindow(item(id), scaled(x), scaled(y), scaled(width), scaled(height), TRUE);
    };
    move(MessageId, 12, bottom, 276, 30);
    move(IDOK, 116, bottom + 36, 80, 25);
    move(IDCANCEL, 208, bottom + 36, 80, 25);
    RECT frame{0, 0, scaled(Width), scaled(heightFor(bottom))};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrA(m_window, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrA(m_window, GWL_EXSTYLE)));
    ::SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    keepInWorkArea();
}

void ToleranceDialog::showing() {
    ::SetWindowTextA(m_window, m_input ? m_input->title().c_str() : "-");
    if (m_input) {
        ::SetDlgItemTextA(m_window, CharacteristicId, m_input->characteristic().c_str());
        ::SetDlgItemTextA(m_window, NominalId, m_input->nominal().c_str());
        ::SetDlgItemTextA(m_window, LowerId, m_input->lower().c_str());
        ::SetDlgItemTextA(m_window, UpperId, m_input->upper().c_str());
        ::SetDlgItemTextA(m_window, WarningId, m_input->warning().c_str());
        ::SendDlgItemMessageA(m_window, NokId, CB_SETCURSEL, m_input->holdNok() ? 1 : 0, 0);
    }
    ::SetDlgItemTextA(m_window, MessageId, "");
    arrange(false);
}

void ToleranceDialog::shown() {
    ::SetFocus(item(CharacteristicId));
    ::SendMessageA(item(CharacteristicId), EM_SETSEL, 0, -1);
}

std::string ToleranceDialog::text(int id) const {
    char buffer[256] = "";
    ::GetDlgItemTextA(m_window, id, buffer, sizeof buffer);
    return buffer;
}

void ToleranceDialog::command(int id, int code) {
    if (id == SettingsId && code == BN_CLICKED) {
        arrange(!m_settingsShown);
        return;
    }
    if (id == IDOK && m_input) {
        const bool hold = ::SendDlgItemMessageA(m_window, NokId, CB_GETCURSEL, 0, 0) == 1;
        if (!m_input->take(text(CharacteristicId), text(NominalId), text(LowerId), text(UpperId),
                           text(WarningId), hold)) {
            ::SetDlgItemTextA(m_window, MessageId, m_input->message().c_str());
            return;
        }
    }
    DialogWindow::command(id, code);
}

} // namespace travek
