#include "gui/win32/ChannelDialog.h"

#include "core/session/Dialogs.h"

#include <vector>

namespace travek {

ChannelDialog::ChannelDialog()
    : DialogWindow("Sel_channel", 270, 338, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME) {}

void ChannelDialog::build() {
    add("LISTBOX", "", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 24, 9, 221,
        286, ChannelListId);
    add("BUTTON", "Abbrechen", WS_TABSTOP | BS_PUSHBUTTON, 9, 304, 80, 25, IDCANCEL);
    add("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 181, 304, 80, 25, IDOK);
}

void ChannelDialog::showChoice(const ChannelChoice& choice) {
    const HWND list = item(ChannelListId);
    std::vector<std::string> shown;
    const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string text(static_cast<std::size_t>(::SendMessageA(list, LB_GETTEXTLEN, i, 0)), '\0');
        ::SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        shown.push_back(text);
    }
    if (shown != choice.entries()) {
        ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
        for (const auto& entry : choice.entries())
            ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(choice.selected()), 0);
}

int ChannelDialog::selectedPosition() const {
    return selectedRow(ChannelListId);
}

void ChannelDialog::shown() {
    ::SetFocus(item(ChannelListId));
}

void ChannelDialog::command(int id, int code) {
    if (id == ChannelListId && code == LBN_DBLCLK && selectedPosition() >= 0) {
        end(IDOK);
        return;
    }
    DialogWindow::command(id, code);
}

} // namespace travek
