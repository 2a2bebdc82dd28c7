#pragma once

#include "gui/win32/DialogWindow.h"

#include <functional>
#include <string>

namespace travek {

class PortList;

// "Comport List": the serial ports present, read again every PortList::RefreshMs while the window
// is shown. Modeless, beside the port dialog; "O K", Escape and the close box hide it.
class PortListWindow : public DialogWindow {
public:
    PortListWindow(PortList& ports, std::function<void(const std::string&)> errorBox);
    ~PortListWindow() override;

    void show();
    void hide();

    static constexpr int ListId = 100;
    static constexpr int CloseId = IDCANCEL;

private:
    void build() override;
    void command(int id, int code) override;
    void closeRequested() override { hide(); }
    void showLines();

    PortList& m_ports;
    std::function<void(const std::string&)> m_errorBox;
};

} // namespace travek
