#pragma once

#include "gui/win32/DialogWindow.h"

namespace travek {

class RecordTextInput;

// "Bediener" and "Teil/Los": one line for the measurement record. OK closes only when the
// presenter takes the text; otherwise its reason shows below the field and the dialog stays open.
class RecordTextDialog : public DialogWindow {
public:
    RecordTextDialog();
    // Shows the input modally and hands it the text on OK; true when it took it.
    bool run(Win32EventLoop& loop, RecordTextInput& input);

    enum { LabelId = 100, EditId, MessageId };

private:
    void build() override;
    void showing() override;
    void shown() override;
    void command(int id, int code) override;

    RecordTextInput* m_input = nullptr;
};

} // namespace travek
