#include "core/gauge/PortControl.h"

#include "core/gauge/InterfaceDefinition.h"
#include "core/serial/SerialPort.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <array>
#include <utility>

namespace travek {

namespace {

// The rates a definition file can select; 115200 is not among them.
constexpr std::array<std::pair<std::int32_t, TComPortBaudRate>, 12> Speeds = {{
    {110, br110},
    {300, br300},
    {600, br600},
    {1200, br1200},
    {2400, br2400},
    {4800, br4800},
    {9600, br9600},
    {14400, br14400},
    {19200, br19200},
    {38400, br38400},
    {56000, br56000},
    {57600, br57600},
}};

// An index beyond COM99: no device name is formed for it, so the port does not open.
constexpr std::uint8_t NoPort = 0xFF;

} // namespace

void ClosePortIfOpen(SerialPort& driver) {
    if (driver.IsPortOpen())
        driver.ClosePort();
}

bool OpenConfiguredPort(SerialPort& driver) { return driver.OpenPort(); }

void ConfigurePort(SerialPort& driver, const InterfaceDefinition& definition, std::int32_t portNumber,
                   std::int32_t baudRate, std::int32_t byteLength, std::int32_t parity, std::int32_t /*stopBits*/) {
    driver.setComPort(static_cast<TComPortNumber>(portNumber >= 1 && portNumber <= 99 ? portNumber - 1 : NoPort));
    for (const auto& [rate, speed] : Speeds)
        if (rate == baudRate)
            driver.setComPortSpeed(speed);
    if (byteLength >= 5 && byteLength <= 8)
        driver.setComPortDataBits(static_cast<TComPortDataBits>(byteLength - 5));
    const int parityValue = parity & 0xFF;
    if (parityValue <= ptSPACE)
        driver.setComPortParity(static_cast<TComPortParity>(parityValue));
    driver.setComPortHwHandshaking(definition.UseRts ? hhRTSCTS : hhNONE);
    driver.setComPortSwHandshaking(shNONE);
}

void SendCommand(SerialPort& driver, const std::string& text) {
    if (driver.IsPortOpen())
        driver.WriteBytes(text.data(), static_cast<std::int32_t>(text.size()));
}

void ReopenPort(SerialPort& driver, const InterfaceDefinition& definition) {
    ClosePortIfOpen(driver);
    ConfigurePort(driver, definition, definition.ComPortNumber, definition.Baud, definition.ByteLength,
                  definition.ParityCode, definition.StopBitCode);
    if (!OpenConfiguredPort(driver))
        throw Error("COM" + std::to_string(definition.ComPortNumber) + " Error");
}

} // namespace travek
