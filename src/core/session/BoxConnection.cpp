#include "core/session/BoxConnection.h"

#include "core/files/FileIo.h"
#include "core/gauge/InterfaceActivation.h"
#include "core/gauge/InterfaceDefinition.h"
#include "core/gauge/PortControl.h"
#include "core/serial/SerialDevice.h"
#include "core/session/Dialogs.h"
#include "core/session/SessionView.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

namespace travek {

BoxConnection::BoxConnection(EventLoop& loop, SessionView& view, std::unique_ptr<SerialDevice> device,
                             InterfaceDefinition& definition, const GridModel& grid, Outputs outputs)
    : m_view(view), m_definition(definition), m_grid(grid), m_outputs(std::move(outputs)),
      m_port(loop, device ? std::move(device) : createPlatformSerialDevice()),
      m_activation(loop, view, m_port), m_reconnect(loop, view, m_port, definition, [this] {
          showPortState();
          m_outputs.back();
          activate();
      }) {
    m_port.setPollingDelay(0);
    m_port.onPortLost = [this] { portLost(); };
}

bool BoxConnection::loadDefinition(bool sayMissing, const InterfaceChoice& interfaces) {
    // The whole definition is read again, so the port used is the one that the file now holds. A
    // refused file leaves the defaults, as a missing one does, and the steps after it still run.
    const std::string file = m_definition.interfaceName + ".VAL";
    try {
        loadInterfaceDefinition(m_definition, file);
    } catch (const Error& error) {
        m_view.showError(systemTextToWin1252(error.what()));
    }
    // The defaults stand for no box: nothing is opened or sent for them, and nothing claims that
    // a box is active (the first start finds the name of the default, or of a file since removed).
    m_definitionLoaded = fileExists(findPathIgnoreCase(file));
    if (!m_definitionLoaded && sayMissing)
        m_view.showError(interfaces.missingText(file));
    return m_definitionLoaded;
}

bool BoxConnection::reopen(bool sameChoice) {
    // After the end (requested while a box of the start-up or of a choice was open) nothing is
    // opened or sent any more.
    if (m_ended)
        return false;
    m_activation.cancel();
    // The user's own choice of port or interface ends the waiting for the old one; the same port
    // opened again keeps waiting for the device that was lost, as it was.
    const bool lost = sameChoice && m_reconnect.waitingForLost();
    m_reconnect.stop();
    m_outputs.dropReceived();
    try {
        reopenPort(m_port, m_definition);
    } catch (const Error& error) {
        // The adapter not plugged in yet, another program holding the port: it is waited for as
        // a lost port is, and opened and initialised when it is there. One box says so; the tries
        // are quiet.
        bool waits = true;
        if (lost)
            waits = m_reconnect.start();
        else
            m_reconnect.waitForPort();
        m_view.showError(systemTextToWin1252(error.what()) + (waits ? ". TRAVEK \xF6"
                                                                      "ffnet den Port, sobald er da ist."
                                                                    : ""));
        // The tries go on while the box is shown: a port that came meanwhile has been set up and
        // the box initialised already.
        if (m_port.isOpen())
            return false;
    }
    showPortState();
    return true;
}

void BoxConnection::activate() {
    m_activation.cancel();
    m_view.setActiveText("Init");
    if (!m_port.isOpen()) {
        m_view.setActiveText("Comport ??");
        return;
    }
    m_activation.start(initCommands(m_definition, m_grid));
}

void BoxConnection::portLost() {
    m_activation.cancel();
    m_outputs.dropReceived();
    // The driver closes the port before it says so; a loss reported by anyone else closes it too,
    // so the panel and the tries never stand beside an open port.
    closePortIfOpen(m_port);
    showPortState();
    m_view.setActiveText("Comport ??");
    m_outputs.lost();
    m_reconnect.start();
}

BoxConnection::Released BoxConnection::release() {
    const Released released{m_port.isOpen(), m_reconnect.waiting()};
    stopAll();
    showPortState();
    return released;
}

void BoxConnection::showPortState() {
    m_view.setPanelText(StatusPanel::Port,
                        m_port.isOpen() ? "COM " + std::to_string(m_definition.portNumber) : "COM ?");
}

void BoxConnection::end() {
    m_ended = true;
    stopAll();
}

void BoxConnection::stopAll() {
    m_activation.cancel();
    m_reconnect.stop();
    m_outputs.dropReceived();
    closePortIfOpen(m_port);
}

} // namespace travek
