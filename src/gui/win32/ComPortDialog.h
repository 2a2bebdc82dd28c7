#pragma once

#include "gui/win32/DialogWindow.h"

namespace travek {

class ComPortChoice;
class PortListWindow;

// "sel_com", "Schnittstelle": the COM port of the interface, picked from a list whose field is
// covered by a read-only text, so only its drop-down button shows; with the mouse, or with the
// arrow keys and Enter. "?" opens the port list beside it.
class ComPortDialog : public DialogWindow {
public:
    explicit ComPortDialog(PortListWindow& portList);
    // The presenter shown and changed; none while the dialog is not in use.
    void setChoice(ComPortChoice* choice);

    static constexpr int PortBoxId = 100;
    static constexpr int PortTextId = 101;
    static constexpr int ListButtonId = 102;

private:
    void build() override;
    void showing() override;
    void shown() override;
    void command(int id, int code) override;
    void showSelection();
    // Only the arrow and page keys change the port: typing and the mouse wheel do not.
    static LRESULT CALLBACK portBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR);

    PortListWindow& m_portList;
    ComPortChoice* m_choice = nullptr;
};

} // namespace travek
