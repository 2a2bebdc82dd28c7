#pragma once

#include "gui/win32/DialogWindow.h"

#include <string>

namespace travek {

// "RS232SERVICE": the hidden service window, always on top when shown; "Output" holds the last
// command sent to the interface.
class ServiceWindow : public DialogWindow {
public:
    ServiceWindow();
    void setOutput(const std::string& command);

    static constexpr int InputListId = 100;
    static constexpr int OutputId = 101;

private:
    void build() override;
    void closeRequested() override { ::ShowWindow(m_window, SW_HIDE); }
    void command(int, int) override {}
};

} // namespace travek
