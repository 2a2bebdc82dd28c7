#pragma once

#include <cstdint>
#include <string>

namespace travek {

struct InterfaceDefinition;
class SerialPort;

// The layer between the session and its serial port driver: puts the settings of the interface
// definition on the driver, opens and closes the port, and sends commands to the measuring box.

void closePortIfOpen(SerialPort& driver);

// True when the port is open afterwards.
bool openConfiguredPort(SerialPort& driver);

// Stores port, speed, data bits, parity and handshaking (RTS/CTS exactly when the definition's
// useRts is set) in the driver; they take effect when the port opens. A speed outside the twelve
// known rates, data bits outside 5..8 and a parity outside 0..4 leave the driver's setting as it
// is; a port number outside 1..99 gives an index that opens nothing. Stop bits are not applied.
void configurePort(SerialPort& driver, const InterfaceDefinition& definition, std::int32_t portNumber,
                   std::int32_t baudRate, std::int32_t byteLength, std::int32_t parity,
                   std::int32_t stopBits);

// Writes text (its end character already appended) when the port is open. The outcome of the
// write is not reported: the box answers nothing to a command.
void sendCommand(SerialPort& driver, const std::string& text);

// Close, configure from the definition, open. On failure throws Error "COM" + number + " Error",
// followed by the reason the system gave ("COM3 Error: nicht vorhanden"), and the port stays closed.
void reopenPort(SerialPort& driver, const InterfaceDefinition& definition);

} // namespace travek
