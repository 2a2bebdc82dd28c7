#include "gui/win32/ComPortDialog.h"

#include "core/session/Dialogs.h"
#include "gui/win32/PortListWindow.h"

#include <commctrl.h>

namespace travek {

ComPortDialog::ComPortDialog(PortListWindow& portList)
    : DialogWindow("Schnittstelle", 190, 130, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER,
                   0, true),
      m_portList(portList) {}

void ComPortDialog::build() {
    // Created in the order of the Tab key: OK, Abbrechen, the list, "?".
    add("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 5, 92, 70, 28, IDOK);
    add("BUTTON", "Abbrechen", WS_TABSTOP | BS_PUSHBUTTON, 82, 92, 100, 28, IDCANCEL);
    const HWND box = add("COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | WS_CLIPSIBLINGS | CBS_DROPDOWNLIST, 5, 45,
                         120, 300, PortBoxId);
    for (const auto& entry : ComPortChoice::entries())
        ::SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    ::SetWindowSubclass(box, &ComPortDialog::portBoxProc, 0, 0);
    const HWND text = add("EDIT", "", WS_BORDER | ES_READONLY | WS_CLIPSIBLINGS, 5, 45, 98, 24, PortTextId);
    ::SetWindowPos(text, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    add("BUTTON", "?", WS_TABSTOP | BS_PUSHBUTTON, 132, 45, 30, 24, ListButtonId);
    add("STATIC", "Serielle Schnittstelle", SS_LEFT, 5, 12, 180, 24, StaticId);
}

void ComPortDialog::setChoice(ComPortChoice* choice) {
    m_choice = choice;
    showSelection();
}

void ComPortDialog::showSelection() {
    ::SendDlgItemMessageA(m_window, PortBoxId, CB_SETCURSEL,
                          static_cast<WPARAM>(m_choice ? m_choice->selected() : -1), 0);
    ::SetDlgItemTextA(m_window, PortTextId, m_choice ? m_choice->text().c_str() : "");
}

void ComPortDialog::showing() {
    showSelection();
}

void ComPortDialog::shown() {
    ::SetFocus(item(IDOK));
}

void ComPortDialog::command(int id, int code) {
    const HWND box = item(PortBoxId);
    if (id == PortBoxId) {
        // Picked in the open list, or moved to with the arrow keys in the closed one.
        if ((code == CBN_SELENDOK || code == CBN_SELCHANGE) && m_choice) {
            m_choice->select(static_cast<int>(::SendMessageA(box, CB_GETCURSEL, 0, 0)));
            showSelection();
        } else if (code == CBN_KILLFOCUS && m_choice) {
            m_choice->leave();
            // Only the list follows: the text beside it changes when a port is picked.
            ::SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(m_choice->selected()), 0);
        }
        return;
    }
    if (id == ListButtonId) {
        // Beside this dialog, for reference while the user chooses; it stays open afterwards.
        RECT frame;
        ::GetWindowRect(m_window, &frame);
        ::SetWindowPos(m_portList.handle(), HWND_TOP, frame.right + 8, frame.top, 0, 0, SWP_NOSIZE);
        m_portList.show();
        return;
    }
    if (id == IDOK && m_choice) {
        // The list is the choice as the user sees it.
        const LRESULT current = ::SendMessageA(box, CB_GETCURSEL, 0, 0);
        m_choice->select(current == CB_ERR ? -1 : static_cast<int>(current));
    }
    DialogWindow::command(id, code);
}

LRESULT CALLBACK ComPortDialog::portBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        // The arrow and page keys move through the ports, F4 opens the list; Escape still closes
        // the open list, and Enter is the dialog's OK (Tab is the dialog's before it gets here).
        switch (wParam) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
        case VK_F4:
            break;
        case VK_ESCAPE:
        case VK_RETURN:
            if (::SendMessageA(box, CB_GETDROPPEDSTATE, 0, 0))
                break;
            return 0;
        default:
            return 0;
        }
        break;
    case WM_SYSKEYDOWN:
        // Alt+Down opens the list as F4 does; other Alt keys go to the menus as usual.
        break;
    case WM_CHAR:
        // Typing a letter or digit would jump to another port unseen.
        return 0;
    case WM_MOUSEWHEEL:
        return 0;
    default:
        break;
    }
    return ::DefSubclassProc(box, message, wParam, lParam);
}

} // namespace travek
