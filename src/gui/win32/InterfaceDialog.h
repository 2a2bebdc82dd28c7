#pragma once

#include "gui/win32/DialogWindow.h"

namespace travek {

class InterfaceChoice;

// "SelIfDlg": the interface definitions of the working directory, filled once (they are those of
// the program's start); a double-click is OK.
class InterfaceDialog : public DialogWindow {
public:
    InterfaceDialog();
    void showChoice(const InterfaceChoice& choice);
    // The selected row, -1 for none.
    int chosenRow() const;

    static constexpr int ListId = 100;
    static constexpr int EmptyId = 101;

private:
    void build() override;
    void shown() override;
    void command(int id, int code) override;

    bool m_filled = false;
};

} // namespace travek
