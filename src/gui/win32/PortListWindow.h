#pragma once

#include "core/loop/EventLoop.h"
#include "gui/win32/DialogWindow.h"

#include <functional>
#include <string>

namespace travek {

class PortList;

// "Comport List": the serial ports present, read again every PortList::RefreshMs while the window
// is shown. Modeless, beside the port dialog; "O K", Escape and the close box hide it.
class PortListWindow : public DialogWindow {
public:
    PortListWindow(PortList& ports, EventLoop& loop, std::function<void(const std::string&)> errorBox);
    ~PortListWindow() override;

    void show();
    void hide();

    static constexpr int ListId = 100;
    static constexpr int CloseId = IDCANCEL;

private:
    void build() override;
    void command(int id, int code) override;
    void closeRequested() override { hide(); }
    // False when the list could not be read (the error box has been shown).
    bool refresh();
    void scheduleRefresh();
    void stopRefreshing();

    PortList& m_ports;
    EventLoop& m_loop;
    std::function<void(const std::string&)> m_errorBox;
    EventLoop::TaskId m_refreshTask = 0;
};

} // namespace travek
