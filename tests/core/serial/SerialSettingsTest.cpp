#include "core/serial/SerialSettings.h"

#include <gtest/gtest.h>

namespace travek {
namespace {

TEST(ComPortDeviceName, ShortFormUpToNineLongFormFromTen) {
    EXPECT_EQ(comPortDeviceName(0), "COM1");
    EXPECT_EQ(comPortDeviceName(8), "COM9");
    EXPECT_EQ(comPortDeviceName(9), "\\\\.\\COM10");
    EXPECT_EQ(comPortDeviceName(41), "\\\\.\\COM42");
    EXPECT_EQ(comPortDeviceName(98), "\\\\.\\COM99");
}

TEST(BaudRate, TableFromBothEndsAndTheOddRates) {
    EXPECT_EQ(baudRateBitsPerSecond(BaudRate::Baud110), 110u);
    EXPECT_EQ(baudRateBitsPerSecond(BaudRate::Baud9600), 9600u);
    EXPECT_EQ(baudRateBitsPerSecond(BaudRate::Baud14400), 14400u);
    EXPECT_EQ(baudRateBitsPerSecond(BaudRate::Baud56000), 56000u);
    EXPECT_EQ(baudRateBitsPerSecond(BaudRate::Baud57600), 57600u);
    EXPECT_EQ(baudRateBitsPerSecond(BaudRate::Baud115200), 115200u);
    EXPECT_EQ(baudRateBitsPerSecond(static_cast<BaudRate>(13)), 0u) << "outside the table";
}

TEST(DcbValues, DefaultsGiveTheBasicFlagWord) {
    const DcbValues dcb = buildDcbValues(SerialSettings{});
    EXPECT_EQ(dcb.flags, 17u);
    EXPECT_EQ(dcb.baudRate, 9600u);
    EXPECT_EQ(dcb.byteSize, 8);
    EXPECT_EQ(dcb.parity, 0);
    EXPECT_EQ(dcb.stopBits, 0);
    EXPECT_EQ(dcb.xonLim, 512);
    EXPECT_EQ(dcb.xoffLim, 1);
    EXPECT_EQ(dcb.xonChar, 0x11) << "also without software flow control";
    EXPECT_EQ(dcb.xoffChar, 0x13);
}

TEST(DcbValues, FlowControlFlagWords) {
    SerialSettings settings;
    settings.hwHandshaking = HardwareHandshake::RtsCts;
    EXPECT_EQ(buildDcbValues(settings).flags, 8213u);
    settings.swHandshaking = SoftwareHandshake::XonXoff;
    EXPECT_EQ(buildDcbValues(settings).flags, 8213u + 0x300u);
    settings.hwHandshaking = HardwareHandshake::Off;
    EXPECT_EQ(buildDcbValues(settings).flags, 785u);
}

TEST(DcbValues, LineFormatAndQueueDerivedFields) {
    SerialSettings settings;
    settings.dataBits = DataBits::Five;
    settings.parity = Parity::Space;
    settings.stopBits = StopBits::OneAndHalf;
    settings.speed = BaudRate::Baud115200;
    settings.inBufSize = 1023;
    const DcbValues dcb = buildDcbValues(settings);
    EXPECT_EQ(dcb.byteSize, 5);
    EXPECT_EQ(dcb.parity, 4);
    EXPECT_EQ(dcb.stopBits, 1);
    EXPECT_EQ(dcb.baudRate, 115200u);
    EXPECT_EQ(dcb.xonLim, 255) << "integer division";
    EXPECT_EQ(dcb.flags & 0x2u, 0u) << "never a parity test";
}

} // namespace
} // namespace travek
