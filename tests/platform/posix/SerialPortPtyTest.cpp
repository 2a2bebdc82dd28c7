#include "core/serial/DeviceWatch.h"
#include "core/serial/SerialPort.h"
#include "platform/posix/PosixSerial.h"
#include "support/PollEventLoop.h"
#include "support/PtyPair.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace travek {
namespace {

using test::PollEventLoop;
using test::PtyPair;
using test::TempDir;

// Counts how often the settings block is put into effect.
class CountingSerial : public PosixSerial {
public:
    explicit CountingSerial(int* configures) : m_configures(configures) {}
    void configure(const SerialSettings& settings) override {
        ++*m_configures;
        PosixSerial::configure(settings);
    }

private:
    int* m_configures;
};

// A driver whose COM1 is a pty, through the mapping in the working directory's TRAVEK.INI.
class SerialDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.enter();
        dir.write("TRAVEK.INI", "[COMPORTS]\r\nCOM1=" + pty.slavePath() + "\r\n");
        driver.setPortIndex(PortIndex{0});
        driver.setPollingDelay(0);
        driver.onReceiveData = [this](const void* data, std::int32_t size) {
            chunks.emplace_back(static_cast<const char*>(data), static_cast<std::size_t>(size));
            pointers.push_back(data);
        };
    }

    std::string received() const {
        std::string all;
        for (const std::string& chunk : chunks)
            all += chunk;
        return all;
    }
    bool waitForBytes(std::size_t count) {
        return loop.runUntil([&] { return received().size() >= count; });
    }

    PollEventLoop loop;
    TempDir dir;
    PtyPair pty;
    SerialPort driver{loop};
    std::vector<std::string> chunks;
    std::vector<const void*> pointers;
};

TEST(SerialDriverDefaults, MatchTheDocumentedValues) {
    PollEventLoop loop;
    SerialPort driver{loop};
    EXPECT_EQ(driver.portIndex(), PortIndex{1});
    EXPECT_EQ(driver.speed(), BaudRate::Baud9600);
    EXPECT_EQ(driver.dataBits(), DataBits::Eight);
    EXPECT_EQ(driver.stopBits(), StopBits::One);
    EXPECT_EQ(driver.parity(), Parity::Off);
    EXPECT_EQ(driver.hardwareHandshake(), HardwareHandshake::Off);
    EXPECT_EQ(driver.softwareHandshake(), SoftwareHandshake::Off);
    EXPECT_EQ(driver.inBufferSize(), 2048);
    EXPECT_EQ(driver.outBufferSize(), 2048);
    EXPECT_EQ(driver.pollingDelay(), 100);
    EXPECT_EQ(driver.portHandle(), 0);
    EXPECT_FALSE(driver.isOpen());
    EXPECT_FALSE(driver.onReceiveData);
    EXPECT_FALSE(driver.onPortLost);
}

TEST_F(SerialDriverTest, OpensWritesClosesAndReopens) {
    ASSERT_TRUE(driver.open());
    EXPECT_TRUE(driver.isOpen());
    EXPECT_GT(driver.portHandle(), 0);
    EXPECT_TRUE(driver.write("D0\r", 3));
    EXPECT_EQ(pty.receive(3), "D0\r");

    driver.close();
    EXPECT_FALSE(driver.isOpen());
    EXPECT_EQ(driver.portHandle(), 0);
    EXPECT_FALSE(driver.write("x", 1));
    driver.close();
    EXPECT_EQ(driver.portHandle(), 0);

    ASSERT_TRUE(driver.open());
    pty.send("12.5\r");
    ASSERT_TRUE(waitForBytes(5));
    EXPECT_EQ(received(), "12.5\r");
}

TEST_F(SerialDriverTest, FailedOpenCountsAsClosedAndIsRetried) {
    dir.write("TRAVEK.INI",
              "[COMPORTS]\r\nCOM1=/dev/travek-no-such-port\r\nCOM2=" + dir.file("plain.txt") + "\r\n");
    dir.write("plain.txt", "not a terminal");
    EXPECT_FALSE(driver.open());
    EXPECT_EQ(driver.portHandle(), -1);
    EXPECT_FALSE(driver.isOpen());
    driver.close();
    EXPECT_EQ(driver.portHandle(), -1);
    EXPECT_FALSE(driver.write("x", 1));

    driver.setPortIndex(PortIndex{1}); // a regular file is no serial port
    EXPECT_FALSE(driver.open());

    dir.write("TRAVEK.INI", "[COMPORTS]\r\nCOM2=" + pty.slavePath() + "\r\n");
    EXPECT_TRUE(driver.open());
}

TEST_F(SerialDriverTest, PortIsHeldExclusively) {
    ASSERT_TRUE(driver.open());
    SerialPort second{loop};
    second.setPortIndex(PortIndex{0});
    EXPECT_FALSE(second.open());
    EXPECT_EQ(second.portHandle(), -1);

    driver.close();
    EXPECT_TRUE(second.open());
}

TEST_F(SerialDriverTest, DestroyingAnOpenDriverReleasesThePort) {
    {
        SerialPort first{loop};
        first.setPortIndex(PortIndex{0});
        ASSERT_TRUE(first.open());
    }
    EXPECT_TRUE(driver.open());
}

TEST_F(SerialDriverTest, ComPortCannotChangeWhileOpen) {
    ASSERT_TRUE(driver.open());
    driver.setPortIndex(PortIndex{2});
    EXPECT_EQ(driver.portIndex(), PortIndex{0});
    driver.close();
    driver.setPortIndex(static_cast<PortIndex>(98));
    EXPECT_EQ(driver.portIndex(), 98);
}

TEST(SerialDriverSettings, OpenOnAnOpenPortChangesNothing) {
    PollEventLoop loop;
    PtyPair pty;
    int configures = 0;
    auto* device = new CountingSerial(&configures);
    SerialPort driver{loop, std::unique_ptr<SerialDevice>(device)};
    TempDir dir;
    dir.enter();
    dir.write("TRAVEK.INI", "[COMPORTS]\nCOM2=" + pty.slavePath() + "\n");
    driver.setPollingDelay(0);
    driver.setSpeed(BaudRate::Baud4800); // closed: stored only
    EXPECT_EQ(configures, 0);

    ASSERT_TRUE(driver.open());
    EXPECT_EQ(configures, 1);
    EXPECT_EQ(loop.activeWatches(), 1);
    const std::int32_t handle = driver.portHandle();

    EXPECT_TRUE(driver.open());
    EXPECT_EQ(configures, 1);
    EXPECT_EQ(loop.activeWatches(), 1);
    EXPECT_EQ(driver.portHandle(), handle);

    driver.setOutBufferSize(512);
    driver.setInBufferSize(256);
    EXPECT_EQ(configures, 3);
}

// The port's line settings as a second opener of the pty sees them.
termios lineSettings(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios tio{};
    EXPECT_GE(fd, 0);
    if (fd >= 0) {
        EXPECT_EQ(::tcgetattr(fd, &tio), 0);
        ::close(fd);
    }
    return tio;
}

TEST_F(SerialDriverTest, ChangesWhileOpenPutTheWholeBlockIntoEffect) {
    driver.setSpeed(BaudRate::Baud2400);
    ASSERT_TRUE(driver.open());
    termios tio = lineSettings(pty.slavePath());
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B2400));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u) << "raw mode";
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);

    driver.setSpeed(BaudRate::Baud19200);
    EXPECT_EQ(::cfgetospeed(&(tio = lineSettings(pty.slavePath()))), static_cast<speed_t>(B19200));

    // Someone else changes the speed behind the driver's back; the next change of another
    // setting brings the driver's speed back along with it.
    {
        const int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        termios other{};
        ::tcgetattr(fd, &other);
        ::cfsetospeed(&other, B1200);
        ::cfsetispeed(&other, B1200);
        ::tcsetattr(fd, TCSANOW, &other);
        ::close(fd);
    }
    driver.setHardwareHandshake(HardwareHandshake::RtsCts);
    tio = lineSettings(pty.slavePath());
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);

    driver.setSoftwareHandshake(SoftwareHandshake::XonXoff);
    driver.setStopBits(StopBits::Two);
    driver.setParity(Parity::Mark);
    tio = lineSettings(pty.slavePath());
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(tio.c_cc[VSTART], 0x11);
    EXPECT_EQ(tio.c_cc[VSTOP], 0x13);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_NE(tio.c_cflag & CMSPAR, 0u);
    EXPECT_EQ(tio.c_iflag & INPCK, 0u) << "received bytes get no parity test";

    // A rate without a termios constant goes through the arbitrary-rate interface.
    driver.setSpeed(BaudRate::Baud14400);
    tio = lineSettings(pty.slavePath());
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(CBAUDEX)) << "the 'other rate' marker";

    driver.setHardwareHandshake(HardwareHandshake::Off);
    driver.setSoftwareHandshake(SoftwareHandshake::Off);
    tio = lineSettings(pty.slavePath());
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
}

TEST_F(SerialDriverTest, PollingDelaySelectsHowBytesAreFetched) {
    ASSERT_TRUE(driver.open());
    EXPECT_EQ(loop.pendingTasks(), 0u) << "no timer spins with delay 0";
    EXPECT_EQ(loop.activeWatches(), 1);

    driver.setPollingDelay(50);
    EXPECT_EQ(loop.pendingTasks(), 1u);
    EXPECT_GT(loop.nextTaskInMs(), 40);
    EXPECT_EQ(loop.activeWatches(), 0);

    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    driver.setPollingDelay(50); // same value: the timer runs on undisturbed
    EXPECT_LE(loop.nextTaskInMs(), 25);
    driver.setPollingDelay(60);
    EXPECT_GT(loop.nextTaskInMs(), 40);

    pty.send("ab");
    ASSERT_TRUE(waitForBytes(2));
    EXPECT_EQ(received(), "ab");

    driver.close();
    EXPECT_EQ(loop.pendingTasks(), 0u);
    driver.setPollingDelay(70); // closed: stored for the next open
    EXPECT_EQ(loop.pendingTasks(), 0u);
    ASSERT_TRUE(driver.open());
    EXPECT_GT(loop.nextTaskInMs(), 60);

    driver.setPollingDelay(0);
    EXPECT_EQ(loop.pendingTasks(), 0u);
    pty.send("c");
    ASSERT_TRUE(waitForBytes(3));
}

TEST_F(SerialDriverTest, BytesPassUnchangedFromTheDriversOwnBuffer) {
    ASSERT_TRUE(driver.open());
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += static_cast<char>(byte);
    pty.send(all);
    ASSERT_TRUE(waitForBytes(all.size()));
    EXPECT_EQ(received(), all);
    for (const void* pointer : pointers)
        EXPECT_EQ(pointer, pointers.front());
}

TEST_F(SerialDriverTest, BurstLargerThanTheBufferArrivesInChunks) {
    for (std::uint16_t delay : {0, 5}) {
        SCOPED_TRACE(delay);
        chunks.clear();
        driver.setPollingDelay(delay);
        driver.setInBufferSize(16);
        ASSERT_TRUE(driver.open());
        std::string burst;
        for (int i = 0; i < 1000; ++i)
            burst += static_cast<char>('A' + i % 26);
        pty.send(burst);
        ASSERT_TRUE(waitForBytes(burst.size()));
        EXPECT_EQ(received(), burst);
        EXPECT_GE(chunks.size(), 63u);
        for (const std::string& chunk : chunks) {
            EXPECT_GE(chunk.size(), 1u);
            EXPECT_LE(chunk.size(), 16u);
        }
        driver.close();
    }
}

TEST_F(SerialDriverTest, IdleLineDeliversNothing) {
    for (std::uint16_t delay : {0, 2}) {
        driver.setPollingDelay(delay);
        ASSERT_TRUE(driver.open());
        loop.runFor(60);
        driver.close();
    }
    EXPECT_TRUE(chunks.empty());
}

TEST_F(SerialDriverTest, NoBufferDeliversNothingAndDoesNotSpin) {
    driver.setInBufferSize(0);
    ASSERT_TRUE(driver.open());
    pty.send("waiting");
    loop.runFor(100);
    EXPECT_TRUE(chunks.empty());
    EXPECT_EQ(loop.readableCalls(), 0);

    // With room again, what waited in the device is delivered.
    driver.setInBufferSize(64);
    ASSERT_TRUE(waitForBytes(7));
    EXPECT_EQ(received(), "waiting");
}

TEST_F(SerialDriverTest, VanishedDeviceClosesThePortOnceWithoutSpinning) {
    ASSERT_TRUE(driver.open());
    int lost = 0;
    driver.onPortLost = [&] {
        ++lost;
        EXPECT_FALSE(driver.isOpen());
    };

    pty.closeMaster();
    ASSERT_TRUE(loop.runUntil([&] { return lost > 0; }));
    loop.runFor(200);
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(driver.isOpen());
    EXPECT_EQ(driver.portHandle(), 0);
    EXPECT_LE(loop.readableCalls(), 2);
    EXPECT_TRUE(chunks.empty());
    EXPECT_FALSE(driver.write("x", 1));
}

TEST_F(SerialDriverTest, VanishedDeviceIsNoticedByThePollingTimerToo) {
    driver.setPollingDelay(5);
    ASSERT_TRUE(driver.open());
    int lost = 0;
    driver.onPortLost = [&] { ++lost; };
    pty.closeMaster();
    ASSERT_TRUE(loop.runUntil([&] { return lost > 0; }));
    loop.runFor(50);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(loop.pendingTasks(), 0u);
}

TEST_F(SerialDriverTest, HandlerMayCloseThePort) {
    ASSERT_TRUE(driver.open());
    int calls = 0;
    driver.onReceiveData = [&](const void*, std::int32_t) {
        ++calls;
        driver.close();
    };
    pty.send("first");
    ASSERT_TRUE(loop.runUntil([&] { return calls > 0; }));
    loop.runFor(50);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(driver.isOpen());
    EXPECT_TRUE(driver.open());
}

} // namespace
} // namespace travek

namespace travek {
namespace {

TEST(DeviceWatch, ANewEntryBesideTheMappedDeviceIsReported) {
    test::PollEventLoop loop;
    test::TempDir dir;
    dir.enter();
    dir.write("TRAVEK.INI", "[COMPORTS]\r\nCOM3=" + dir.file("by-id/usb-gauge") + "\r\n");
    std::filesystem::create_directory(dir.file("by-id"));
    int appeared = 0;
    auto watch = watchForDevice(loop, 2, [&] { ++appeared; });
    ASSERT_NE(watch, nullptr);
    loop.runFor(20);
    EXPECT_EQ(appeared, 0);
    dir.write("by-id/usb-gauge", "");
    ASSERT_TRUE(loop.runUntil([&] { return appeared > 0; }, 2000));
    watch.reset();
    dir.write("by-id/usb-other", "");
    loop.runFor(20);
    EXPECT_EQ(appeared, 1) << "an ended watch reports nothing";
    // A folder that does not exist cannot be watched; the regular tries remain.
    dir.write("TRAVEK.INI", "[COMPORTS]\r\nCOM3=" + dir.file("missing/usb-gauge") + "\r\n");
    EXPECT_EQ(watchForDevice(loop, 2, [] {}), nullptr);
}

} // namespace
} // namespace travek
