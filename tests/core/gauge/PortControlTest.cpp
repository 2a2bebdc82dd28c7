#include "core/gauge/InterfaceDefinition.h"
#include "core/gauge/PortControl.h"
#include "core/serial/SerialPort.h"
#include "core/text/Error.h"
#include "support/FakeEventLoop.h"

#include <gtest/gtest.h>

#include <memory>

using namespace travek;

namespace {

// A port that opens when told to and records what reaches it.
class FakeDevice : public SerialDevice {
public:
    struct Log {
        bool openable = true;
        int opens = 0;
        std::uint8_t openedIndex = 0;
        SerialSettings settings;
        std::string written;
    };
    explicit FakeDevice(std::shared_ptr<Log> log) : m_log(std::move(log)) {}
    bool open(std::uint8_t comPort) override {
        ++m_log->opens;
        m_log->openedIndex = comPort;
        return m_open = m_log->openable;
    }
    bool isOpen() const override { return m_open; }
    void configure(const SerialSettings& settings) override { m_log->settings = settings; }
    ReadResult read(void*, std::int32_t) override { return {}; }
    bool write(const void* data, std::int32_t count) override {
        m_log->written.append(static_cast<const char*>(data), static_cast<std::size_t>(count));
        return true;
    }
    void close() override { m_open = false; }
    std::intptr_t nativeHandle() const override { return m_open ? 42 : -1; }

private:
    std::shared_ptr<Log> m_log;
    bool m_open = false;
};

struct Fixture {
    std::shared_ptr<FakeDevice::Log> log = std::make_shared<FakeDevice::Log>();
    test::FakeEventLoop loop;
    SerialPort driver{loop, std::make_unique<FakeDevice>(log)};
    InterfaceDefinition definition;
    Fixture() { driver.setComPortPollingDelay(100); }
};

} // namespace

TEST(PortControl, ConfigureMapsTheDefinitionOntoTheDriver) {
    Fixture f;
    f.definition.UseRts = true;
    ConfigurePort(f.driver, f.definition, 12, 57600, 7, 2, 2);
    EXPECT_EQ(f.driver.ComPort(), 11);
    EXPECT_EQ(f.driver.ComPortSpeed(), br57600);
    EXPECT_EQ(f.driver.ComPortDataBits(), db7BITS);
    EXPECT_EQ(f.driver.ComPortParity(), ptEVEN);
    EXPECT_EQ(f.driver.ComPortStopBits(), sb1BITS); // stop bits are not applied
    EXPECT_EQ(f.driver.ComPortHwHandshaking(), hhRTSCTS);
    EXPECT_EQ(f.driver.ComPortSwHandshaking(), shNONE);

    f.definition.UseRts = false;
    ConfigurePort(f.driver, f.definition, 1, 56000, 8, 0, 1);
    EXPECT_EQ(f.driver.ComPortSpeed(), br56000);
    EXPECT_EQ(f.driver.ComPortHwHandshaking(), hhNONE);

    // Values the mapping does not know leave the driver's setting as it is.
    ConfigurePort(f.driver, f.definition, 1, 115200, 9, 7, 1);
    EXPECT_EQ(f.driver.ComPortSpeed(), br56000);
    EXPECT_EQ(f.driver.ComPortDataBits(), db8BITS);
    EXPECT_EQ(f.driver.ComPortParity(), ptNONE);
    ConfigurePort(f.driver, f.definition, 1, 9600, 8, 0x103, 1); // low 8 bits: mark
    EXPECT_EQ(f.driver.ComPortParity(), ptMARK);
}

TEST(PortControl, ReopenThrowsTheErrorWithThePortNumber) {
    Fixture f;
    f.definition.ComPortNumber = 3;
    f.log->openable = false;
    try {
        ReopenPort(f.driver, f.definition);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "COM3 Error");
    }
    EXPECT_FALSE(f.driver.IsPortOpen());

    f.log->openable = true;
    f.definition.Baud = 4800;
    ReopenPort(f.driver, f.definition);
    EXPECT_EQ(f.log->openedIndex, 2);
    EXPECT_EQ(f.log->settings.speed, br4800);
    // A second reopen closes first, so a changed port number takes effect.
    f.definition.ComPortNumber = 5;
    ReopenPort(f.driver, f.definition);
    EXPECT_EQ(f.log->openedIndex, 4);
}

TEST(PortControl, SendCommandWritesOnlyToAnOpenPort) {
    Fixture f;
    SendCommand(f.driver, "D0\r");
    EXPECT_EQ(f.log->written, "");
    ReopenPort(f.driver, f.definition);
    SendCommand(f.driver, "E1\r");
    EXPECT_EQ(f.log->written, "E1\r");
}
