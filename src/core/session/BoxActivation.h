#pragma once

#include "core/gauge/InterfaceActivation.h"
#include "core/loop/EventLoop.h"
#include "core/session/Dialogs.h"

#include <chrono>
#include <vector>

namespace travek {

class SerialPort;
class SessionView;

// Switches the box's channels on: sends the commands of the interface initialisation in order,
// each echoed in the service window, with a pause after each channel command so the box can
// switch the channel on, the window alive meanwhile. "Active" once the last one went out.
class BoxActivation {
public:
    static constexpr std::chrono::milliseconds ChannelCommandPause{100};

    BoxActivation(EventLoop& loop, SessionView& view, SerialPort& port);

    // Starts over with these commands; the port is open.
    void start(std::vector<InitCommand> commands);
    void cancel();
    bool running() const { return !m_commands.empty(); }

private:
    void send(std::size_t index);

    EventLoop& m_loop;
    SessionView& m_view;
    SerialPort& m_port;
    ServiceLog m_serviceLog;
    std::vector<InitCommand> m_commands;
    EventLoop::Task m_pause;
};

} // namespace travek
