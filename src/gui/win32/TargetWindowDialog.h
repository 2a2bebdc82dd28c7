#pragma once

#include "gui/win32/DialogWindow.h"

namespace travek {

class TargetWindowChoice;

// "Zielfenster": shows a TargetWindowChoice and forwards "Festlegen", "Aufheben" and "Titel muss
// passen" to it; the countdown runs through the program's event loop while the dialog is open.
class TargetWindowDialog : public DialogWindow {
public:
    TargetWindowDialog();
    // The choice the dialog shows and edits, or none.
    void setChoice(TargetWindowChoice* choice);

    enum { TargetId = 100, StatusId, CaptureId, ClearId, MatchTitleId };

private:
    void build() override;
    void showing() override;
    void command(int id, int code) override;
    void showChoice();

    TargetWindowChoice* m_choice = nullptr;
};

} // namespace travek
