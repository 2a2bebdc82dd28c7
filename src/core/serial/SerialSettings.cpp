#include "core/serial/SerialSettings.h"

#include <array>

namespace travek {

namespace {

constexpr std::array<std::uint32_t, 13> kBitsPerSecond = {110,   300,   600,   1200,  2400,  4800,  9600,
                                                          14400, 19200, 38400, 56000, 57600, 115200};

constexpr std::uint32_t kBinary = 0x0001;
constexpr std::uint32_t kOutxCtsFlow = 0x0004;
constexpr std::uint32_t kDtrControlEnable = 0x0010;
constexpr std::uint32_t kOutX = 0x0100;
constexpr std::uint32_t kInX = 0x0200;
constexpr std::uint32_t kRtsControlHandshake = 0x2000;

} // namespace

std::uint32_t baudRateBitsPerSecond(BaudRate speed) {
    const auto index = static_cast<std::size_t>(speed);
    return index < kBitsPerSecond.size() ? kBitsPerSecond[index] : 0;
}

std::string comPortDeviceName(std::uint8_t comPort) {
    const std::string number = std::to_string(comPort + 1);
    if (comPort <= 8)
        return "COM" + number;
    std::string name = "\\\\.\\COM10";
    name.replace(name.size() - 2, 2, number.substr(0, 2));
    return name;
}

DcbValues buildDcbValues(const SerialSettings& settings) {
    DcbValues dcb;
    dcb.baudRate = baudRateBitsPerSecond(settings.speed);
    // Received bytes are never parity-checked: the gauge boxes' lines are taken as they come.
    dcb.flags = kBinary | kDtrControlEnable;
    if (settings.hwHandshaking == HardwareHandshake::RtsCts)
        dcb.flags |= kOutxCtsFlow | kRtsControlHandshake;
    if (settings.swHandshaking == SoftwareHandshake::XonXoff)
        dcb.flags |= kOutX | kInX;
    dcb.xonLim = static_cast<std::uint16_t>(settings.inBufSize / 4);
    dcb.xoffLim = 1;
    dcb.byteSize = static_cast<std::uint8_t>(static_cast<int>(settings.dataBits) + 5);
    dcb.parity = static_cast<std::uint8_t>(settings.parity);
    dcb.stopBits = static_cast<std::uint8_t>(settings.stopBits);
    dcb.xonChar = 0x11;
    dcb.xoffChar = 0x13;
    return dcb;
}

} // namespace travek
