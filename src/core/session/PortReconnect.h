#pragma once

#include "core/loop/EventLoop.h"

#include <chrono>
#include <functional>
#include <memory>

namespace travek {

struct InterfaceDefinition;
class SerialPort;
class SessionView;

// Waits for a port to come back, or to come at all. The adapter was pulled or the device went
// away, and the port is closed already; or the port did not open (the adapter not yet plugged in,
// another program holding it): the same port is tried again every Interval, and at once when its
// device's folder changes, until it opens (then reopened runs) or stop() ends the waiting (the
// user chose a port or an interface). A lost port opens only as the same device
// (SerialDevice::checkReturn): a port whose device cannot be told from the next one waits for the
// user's "Comport", and the line panel says so. A port that never opened has no device to compare:
// whatever opens under the name the user chose is taken.
class PortReconnect {
public:
    static constexpr std::chrono::milliseconds Interval{1000};
    // The least time between two tries that changes in the device's folder start.
    static constexpr std::chrono::milliseconds DeviceEventSpacing{100};

    PortReconnect(EventLoop& loop, SessionView& view, SerialPort& port, const InterfaceDefinition& definition,
                  std::function<void()> reopened);

    // The port was lost. False when it is not waited for (a device that cannot be told apart).
    bool start();
    // The port did not open.
    void waitForPort();
    void stop();
    bool waiting() const { return m_retry.pending(); }
    // Waiting for the device that was lost, under the same-device rules.
    bool waitingForLost() const { return waiting() && m_sameDevice; }

private:
    void schedule(std::chrono::milliseconds delay);
    void retry();
    void deviceFolderChanged();
    void giveUp();

    EventLoop& m_loop;
    SessionView& m_view;
    SerialPort& m_port;
    const InterfaceDefinition& m_definition;
    std::function<void()> m_reopened;
    EventLoop::Task m_retry;
    // Device-folder events closer than DeviceEventSpacing are taken together.
    EventLoop::Task m_eventSpacing;
    bool m_eventMissed = false;
    bool m_sameDevice = true;
    std::unique_ptr<EventLoop::Watch> m_deviceWatch;
};

} // namespace travek
