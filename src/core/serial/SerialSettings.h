#pragma once

#include <cstdint>
#include <string>

namespace travek {

// Port index: the port number minus 1 (COM1 is 0). Any index up to 98 (COM99) is valid.
using PortIndex = std::uint8_t;

enum class BaudRate : std::uint8_t {
    Baud110,
    Baud300,
    Baud600,
    Baud1200,
    Baud2400,
    Baud4800,
    Baud9600,
    Baud14400,
    Baud19200,
    Baud38400,
    Baud56000,
    Baud57600,
    Baud115200
};

// Data bits per character are the ordinal + 5.
enum class DataBits : std::uint8_t { Five, Six, Seven, Eight };
enum class StopBits : std::uint8_t { One, OneAndHalf, Two };
enum class Parity : std::uint8_t { Off, Odd, Even, Mark, Space };
enum class HardwareHandshake : std::uint8_t { Off, RtsCts };
enum class SoftwareHandshake : std::uint8_t { Off, XonXoff };

// The line settings a port is opened with, as one block: every change puts the whole block into
// effect again, so a device never runs with a half-updated set.
struct SerialSettings {
    BaudRate speed = BaudRate::Baud9600;
    DataBits dataBits = DataBits::Eight;
    StopBits stopBits = StopBits::One;
    Parity parity = Parity::Off;
    HardwareHandshake hwHandshaking = HardwareHandshake::Off;
    SoftwareHandshake swHandshaking = SoftwareHandshake::Off;
    std::uint16_t inBufSize = 2048;
    std::uint16_t outBufSize = 2048;
};

// Bits per second of a speed value; 0 for a value outside the table (the device then keeps its
// speed).
std::uint32_t baudRateBitsPerSecond(BaudRate speed);

// The Windows device name of a port index: "COM1".."COM9", and "\\.\COM10".."\\.\COM99" (the
// long form is required from port 10 on). Only two digits fit: the name uses the first two
// characters of the port number's decimal text.
std::string comPortDeviceName(std::uint8_t comPort);

// The values of a Windows device control block for a settings block, kept free of the Windows
// headers so the rules can be checked on any platform.
struct DcbValues {
    std::uint32_t baudRate = 0;
    // Bit 0 fBinary, 1 fParity, 2 fOutxCtsFlow, 3 fOutxDsrFlow, 4-5 fDtrControl,
    // 6 fDsrSensitivity, 7 fTXContinueOnXoff, 8 fOutX, 9 fInX, 10 fErrorChar, 11 fNull,
    // 12-13 fRtsControl, 14 fAbortOnError.
    std::uint32_t flags = 0;
    std::uint16_t xonLim = 0;
    std::uint16_t xoffLim = 0;
    std::uint8_t byteSize = 0;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;
    char xonChar = 0;
    char xoffChar = 0;
};

DcbValues buildDcbValues(const SerialSettings& settings);

} // namespace travek
