#include "core/session/PortReconnect.h"

#include "core/gauge/InterfaceDefinition.h"
#include "core/gauge/PortControl.h"
#include "core/serial/DeviceWatch.h"
#include "core/serial/SerialPort.h"
#include "core/session/Reporting.h"
#include "core/session/StatusPanel.h"
#include "core/text/Error.h"

#include <utility>

namespace travek {

PortReconnect::PortReconnect(EventLoop& loop, SessionView& view, SerialPort& port,
                             const InterfaceDefinition& definition, std::function<void()> reopened)
    : m_loop(loop), m_view(view), m_port(port), m_definition(definition), m_reopened(std::move(reopened)) {}

bool PortReconnect::start() {
    stop();
    m_sameDevice = true;
    if (m_port.checkDeviceReturn() == SerialDevice::Return::NeverByItself) {
        giveUp();
        return false;
    }
    schedule(Interval);
    return true;
}

void PortReconnect::waitForPort() {
    stop();
    m_sameDevice = false;
    schedule(Interval);
}

void PortReconnect::stop() {
    m_retry.cancel();
    m_eventSpacing.cancel();
    m_eventMissed = false;
    m_deviceWatch.reset();
}

void PortReconnect::giveUp() {
    stop();
    m_view.setPanelText(StatusPanel::Line, "COM" + std::to_string(m_definition.portNumber) +
                                               " ist fort; \"Einstellungen > Comport\" \xF6"
                                               "ffnet den Port wieder");
}

void PortReconnect::schedule(std::chrono::milliseconds delay) {
    m_retry = later(m_loop, m_view, delay, [this] { retry(); });
    // A new entry where the device lives (udev making the node or the by-id link) is tried at
    // once, through the loop, so that the watch is never ended inside its own callback.
    if (!m_deviceWatch)
        m_deviceWatch = watchForDevice(m_loop, m_port.portIndex(), [this] { deviceFolderChanged(); });
}

// A folder such as /dev changes all the time on a busy machine: at most one try per
// DeviceEventSpacing, and one more at its end for what came meanwhile.
void PortReconnect::deviceFolderChanged() {
    if (m_eventSpacing.pending()) {
        m_eventMissed = true;
        return;
    }
    schedule(std::chrono::milliseconds(0));
    m_eventSpacing = later(m_loop, m_view, DeviceEventSpacing, [this] {
        if (std::exchange(m_eventMissed, false) && waiting())
            deviceFolderChanged();
    });
}

void PortReconnect::retry() {
    // Only the device that was lost is opened by itself: another program's terminal or another
    // adapter under the same name would be switched to raw mode and sent the box's commands.
    switch (m_sameDevice ? m_port.checkDeviceReturn() : SerialDevice::Return::Back) {
    case SerialDevice::Return::Back:
        break;
    case SerialDevice::Return::NotBack:
        schedule(Interval);
        return;
    case SerialDevice::Return::NeverByItself:
        giveUp();
        return;
    }
    // Quietly: an adapter that is still unplugged is no news. A port mapped by its device name
    // (/dev/serial/by-id/...) comes back in any USB socket, as the name is resolved anew.
    try {
        reopenPort(m_port, m_definition);
    } catch (const Error&) {
        schedule(Interval);
        return;
    }
    stop();
    m_reopened();
}

} // namespace travek
