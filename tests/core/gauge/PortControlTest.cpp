#include "core/gauge/PortControl.h"
#include "core/gauge/InterfaceDefinition.h"
#include "core/serial/SerialPort.h"
#include "core/text/Error.h"
#include "support/FakeEventLoop.h"
#include "support/FakeSerialDevice.h"

#include <gtest/gtest.h>

#include <memory>

using namespace travek;

namespace {

using test::FakeSerialDevice;

struct Fixture {
    std::shared_ptr<FakeSerialDevice::Log> log = std::make_shared<FakeSerialDevice::Log>();
    test::FakeEventLoop loop;
    SerialPort driver{loop, std::make_unique<FakeSerialDevice>(log)};
    InterfaceDefinition definition;
    Fixture() { driver.setPollingDelay(100); }
};

} // namespace

TEST(PortControl, ConfigureMapsTheDefinitionOntoTheDriver) {
    Fixture f;
    f.definition.useRts = true;
    configurePort(f.driver, f.definition, 12, 57600, 7, 2, 2);
    EXPECT_EQ(f.driver.portIndex(), 11);
    EXPECT_EQ(f.driver.speed(), BaudRate::Baud57600);
    EXPECT_EQ(f.driver.dataBits(), DataBits::Seven);
    EXPECT_EQ(f.driver.parity(), Parity::Even);
    EXPECT_EQ(f.driver.stopBits(), StopBits::One); // stop bits are not applied
    EXPECT_EQ(f.driver.hardwareHandshake(), HardwareHandshake::RtsCts);
    EXPECT_EQ(f.driver.softwareHandshake(), SoftwareHandshake::Off);

    f.definition.useRts = false;
    configurePort(f.driver, f.definition, 1, 56000, 8, 0, 1);
    EXPECT_EQ(f.driver.speed(), BaudRate::Baud56000);
    EXPECT_EQ(f.driver.hardwareHandshake(), HardwareHandshake::Off);

    // Values the mapping does not know leave the driver's setting as it is.
    configurePort(f.driver, f.definition, 1, 115200, 9, 7, 1);
    EXPECT_EQ(f.driver.speed(), BaudRate::Baud56000);
    EXPECT_EQ(f.driver.dataBits(), DataBits::Eight);
    EXPECT_EQ(f.driver.parity(), Parity::Off);
    configurePort(f.driver, f.definition, 1, 9600, 8, 0x103, 1); // low 8 bits: mark
    EXPECT_EQ(f.driver.parity(), Parity::Mark);
}

TEST(PortControl, ReopenThrowsTheErrorWithThePortNumber) {
    Fixture f;
    f.definition.portNumber = 3;
    f.log->openable = false;
    try {
        reopenPort(f.driver, f.definition);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "COM3 Error: nicht vorhanden");
    }
    EXPECT_FALSE(f.driver.isOpen());

    f.log->openable = true;
    f.definition.baud = 4800;
    reopenPort(f.driver, f.definition);
    EXPECT_EQ(f.log->openedIndex, 2);
    EXPECT_EQ(f.log->settings.speed, BaudRate::Baud4800);
    // A second reopen closes first, so a changed port number takes effect.
    f.definition.portNumber = 5;
    reopenPort(f.driver, f.definition);
    EXPECT_EQ(f.log->openedIndex, 4);
}

TEST(PortControl, SendCommandWritesOnlyToAnOpenPort) {
    Fixture f;
    sendCommand(f.driver, "D0\r");
    EXPECT_EQ(f.log->written, "");
    reopenPort(f.driver, f.definition);
    sendCommand(f.driver, "E1\r");
    EXPECT_EQ(f.log->written, "E1\r");
}
