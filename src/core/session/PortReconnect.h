#pragma once

#include "core/loop/EventLoop.h"

#include <chrono>
#include <functional>
#include <memory>

namespace travek {

struct InterfaceDefinition;
class SerialPort;
class SessionView;

// Waits for a lost port to come back. The adapter was pulled or the device went away, and the port
// is closed already: the same port is tried again every Interval, and at once when its device's
// folder changes, until it opens (then reopened runs) or stop() ends the waiting (the user chose a
// port or an interface). Only the same device is opened (SerialDevice::checkReturn): a port whose
// device cannot be told from the next one waits for the user's "Comport", and the line panel says
// so.
class PortReconnect {
public:
    static constexpr std::chrono::milliseconds Interval{1000};
    // The least time between two tries that changes in the device's folder start.
    static constexpr std::chrono::milliseconds DeviceEventSpacing{100};

    PortReconnect(EventLoop& loop, SessionView& view, SerialPort& port, const InterfaceDefinition& definition,
                  std::function<void()> reopened);

    void start();
    void stop();
    bool waiting() const { return m_retry.pending(); }

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
    std::unique_ptr<EventLoop::Watch> m_deviceWatch;
};

} // namespace travek
