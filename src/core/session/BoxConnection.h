#pragma once

#include "core/serial/SerialPort.h"
#include "core/session/BoxActivation.h"
#include "core/session/PortReconnect.h"

#include <functional>
#include <memory>

namespace travek {

class EventLoop;
class GridModel;
class InterfaceChoice;
class SerialDevice;
class SessionView;
struct InterfaceDefinition;

// The session's way to the box: its definition read from the folder, the port opened as the
// definition says, waited for while it is missing or lost, and the box's channels switched on.
// The status panel's "COM n" and the active label follow it.
class BoxConnection {
public:
    struct Outputs {
        // What came in on the old port belongs to no line of the new one.
        std::function<void()> dropReceived;
        std::function<void()> lost;
        std::function<void()> back;
    };

    BoxConnection(EventLoop& loop, SessionView& view, std::unique_ptr<SerialDevice> device,
                  InterfaceDefinition& definition, const GridModel& grid, Outputs outputs);

    SerialPort& port() { return m_port; }
    bool activating() const { return m_activation.running(); }
    bool reconnecting() const { return m_reconnect.waiting(); }
    bool definitionLoaded() const { return m_definitionLoaded; }

    // Reads the definition file of the interface name; false when there is none (the defaults
    // apply), which is said in the error box when sayMissing (with interfaces' list of the others).
    bool loadDefinition(bool sayMissing, const InterfaceChoice& interfaces);
    // Close, configure from the interface definition and open the port. On failure the error box
    // with the reason, and the port is waited for (PortReconnect): as the device that was lost
    // when sameChoice (the port as it was) and it was being waited for so, else as a new choice.
    // False when the port came while the box was shown, and the box is being initialised already.
    bool reopen(bool sameChoice = false);
    // Sends the disable-all command and the command of every channel the grid uses, with a pause
    // after each channel command; the labels say "Init", then "Active". Again while running starts
    // over; closing the port stops it. "Comport ??" when the port is closed.
    void activate();
    // Lets go of the port for someone else (the interface assistant) and stops waiting for it.
    struct Released {
        bool wasOpen = false;
        bool wasWaiting = false;
    };
    Released release();
    // Waits for the lost port again, after release().
    void waitAgain() { m_reconnect.start(); }
    // "COM n" while the port is open, "COM ?" while it is not.
    void showPortState();
    // The program ends: the port is closed, and nothing is opened or sent any more.
    void end();
    // The adapter was pulled or the device went away: the port is closed and waited for.
    void portLost();

private:
    void stopAll();

    SessionView& m_view;
    InterfaceDefinition& m_definition;
    const GridModel& m_grid;
    Outputs m_outputs;
    SerialPort m_port;
    BoxActivation m_activation;
    PortReconnect m_reconnect;
    bool m_definitionLoaded = false;
    bool m_ended = false;
};

} // namespace travek
