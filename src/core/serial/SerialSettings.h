#pragma once

#include <cstdint>
#include <string>

namespace travek {

// Port index: the port number minus 1. Only the first four carry names; any index up to 98 (COM99)
// is valid.
enum TComPortNumber : std::uint8_t { pnCOM1, pnCOM2, pnCOM3, pnCOM4 };

enum TComPortBaudRate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200
};

// Data bits per character are the ordinal + 5.
enum TComPortDataBits : std::uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };
enum TComPortStopBits : std::uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };
enum TComPortParity : std::uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TComPortHwHandshaking : std::uint8_t { hhNONE, hhRTSCTS };
enum TComPortSwHandshaking : std::uint8_t { shNONE, shXONXOFF };

// The line settings a port is opened with, as one block: every change puts the whole block into
// effect again, so a device never runs with a half-updated set.
struct SerialSettings {
    TComPortBaudRate speed = br9600;
    TComPortDataBits dataBits = db8BITS;
    TComPortStopBits stopBits = sb1BITS;
    TComPortParity parity = ptNONE;
    TComPortHwHandshaking hwHandshaking = hhNONE;
    TComPortSwHandshaking swHandshaking = shNONE;
    std::uint16_t inBufSize = 2048;
    std::uint16_t outBufSize = 2048;
};

// Bits per second of a speed value; 0 for a value outside the table (the device then keeps its
// speed).
std::uint32_t BaudRateBitsPerSecond(TComPortBaudRate speed);

// The Windows device name of a port index: "COM1".."COM9", and "\\.\COM10".."\\.\COM99" (the
// long form is required from port 10 on). Only two digits fit: the name uses the first two
// characters of the port number's decimal text.
std::string ComPortDeviceName(std::uint8_t comPort);

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

DcbValues BuildDcbValues(const SerialSettings& settings);

} // namespace travek
