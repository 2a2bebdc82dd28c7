#include "core/session/BoxActivation.h"

#include "core/gauge/PortControl.h"
#include "core/session/Reporting.h"

#include <utility>

namespace travek {

BoxActivation::BoxActivation(EventLoop& loop, SessionView& view, SerialPort& port)
    : m_loop(loop), m_view(view), m_port(port) {
    m_serviceLog.onChanged = [this](const std::string& text) { m_view.showServiceOutput(text); };
}

void BoxActivation::start(std::vector<InitCommand> commands) {
    cancel();
    m_commands = std::move(commands);
    send(0);
}

void BoxActivation::cancel() {
    m_pause.cancel();
    m_commands.clear();
}

void BoxActivation::send(std::size_t index) {
    // Commands without a pause go out together.
    for (; index < m_commands.size(); ++index) {
        const InitCommand& command = m_commands[index];
        sendCommand(m_port, command.text);
        m_serviceLog.record(command.text);
        if (command.pauseAfter) {
            m_pause = later(m_loop, m_view, ChannelCommandPause, [this, next = index + 1] { send(next); });
            return;
        }
    }
    m_commands.clear();
    m_view.setActiveText("Active");
}

} // namespace travek
