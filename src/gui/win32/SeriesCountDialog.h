#pragma once

#include "gui/win32/DialogWindow.h"

#include <string>

namespace travek {

// "GetCount1": the number of values after which the series string is typed. A tool window without
// a close box, centred on the screen; Enter takes the number, Escape cancels.
class SeriesCountDialog : public DialogWindow {
public:
    SeriesCountDialog();
    void setText(const std::string& text) { m_text = text; }
    // The number that OK took.
    int value() const { return m_value; }

    static constexpr int EditId = 100;

private:
    void build() override;
    void showing() override;
    void shown() override;
    void command(int id, int code) override;
    void closeRequested() override {}

    std::string m_text;
    int m_value = 0;
};

} // namespace travek
