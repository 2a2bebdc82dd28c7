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
constexpr std::array<std::pair<std::int32_t, BaudRate>, 12> Speeds = {{
    {110, BaudRate::Baud110},
    {300, BaudRate::Baud300},
    {600, BaudRate::Baud600},
    {1200, BaudRate::Baud1200},
    {2400, BaudRate::Baud2400},
    {4800, BaudRate::Baud4800},
    {9600, BaudRate::Baud9600},
    {14400, BaudRate::Baud14400},
    {19200, BaudRate::Baud19200},
    {38400, BaudRate::Baud38400},
    {56000, BaudRate::Baud56000},
    {57600, BaudRate::Baud57600},
}};

// An index beyond COM99: no device name is formed for it, so the port does not open.
constexpr std::uint8_t NoPort = 0xFF;

} // namespace

void closePortIfOpen(SerialPort& driver) {
    if (driver.isOpen())
        driver.close();
}

bool openConfiguredPort(SerialPort& driver) {
    return driver.open();
}

void configurePort(SerialPort& driver, const InterfaceDefinition& definition, std::int32_t portNumber,
                   std::int32_t baudRate, std::int32_t byteLength, std::int32_t parity,
                   std::int32_t /*stopBits*/) {
    driver.setPortIndex(
        static_cast<PortIndex>(portNumber >= 1 && portNumber <= 99 ? portNumber - 1 : NoPort));
    for (const auto& [rate, speed] : Speeds)
        if (rate == baudRate)
            driver.setSpeed(speed);
    if (byteLength >= 5 && byteLength <= 8)
        driver.setDataBits(static_cast<DataBits>(byteLength - 5));
    const int parityValue = parity & 0xFF;
    if (parityValue <= static_cast<int>(Parity::Space))
        driver.setParity(static_cast<Parity>(parityValue));
    driver.setHardwareHandshake(definition.useRts ? HardwareHandshake::RtsCts : HardwareHandshake::Off);
    driver.setSoftwareHandshake(SoftwareHandshake::Off);
}

void sendCommand(SerialPort& driver, const std::string& text) {
    if (driver.isOpen())
        driver.write(text.data(), static_cast<std::int32_t>(text.size()));
}

void reopenPort(SerialPort& driver, const InterfaceDefinition& definition) {
    closePortIfOpen(driver);
    configurePort(driver, definition, definition.portNumber, definition.baud, definition.byteLength,
                  definition.parityCode, definition.stopBitCode);
    if (openConfiguredPort(driver))
        return;
    std::string message = "COM" + std::to_string(definition.portNumber) + " Error";
    switch (driver.openFailure()) {
    case SerialDevice::OpenFailure::Missing:
        message += ": nicht vorhanden";
        break;
    case SerialDevice::OpenFailure::InUse:
        message += ": von einem anderen Programm belegt";
        break;
    case SerialDevice::OpenFailure::Denied:
        message += ": Zugriff verweigert";
        break;
    case SerialDevice::OpenFailure::NotSerial:
        message += ": kein serieller Port";
        break;
    case SerialDevice::OpenFailure::Unknown:
        break;
    }
    throw Error(message);
}

} // namespace travek
