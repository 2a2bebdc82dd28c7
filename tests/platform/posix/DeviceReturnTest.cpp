#include "platform/posix/PosixSerial.h"
#include "platform/posix/UsbIdentity.h"
#include "support/PtyPair.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace travek {
namespace {

using test::PtyPair;
using test::TempDir;

// A USB adapter's port as sysfs lays it out: the usb-serial port, its interface, its device.
void addUsbPort(const TempDir& dir, const std::string& tty, const std::string& serial,
                const std::string& interface) {
    const std::string device = "sys/devices/pci0/usb1/1-1-" + serial;
    const std::string intf = device + "/1-1:1." + interface;
    fs::create_directories(dir.file(intf + "/" + tty));
    dir.write(device + "/idVendor", "0403\n");
    dir.write(device + "/idProduct", "6001\n");
    dir.write(device + "/serial", serial + "\n");
    dir.write(intf + "/bInterfaceNumber", "0" + interface + "\n");
    fs::create_directories(dir.file("sys/class/tty/" + tty));
    fs::create_directory_symlink(dir.file(intf + "/" + tty), dir.file("sys/class/tty/" + tty + "/device"));
    dir.write("dev/" + tty, "");
}

TEST(UsbIdentity, VendorProductSerialAndInterfaceFromSysfs) {
    TempDir dir;
    fs::create_directories(dir.file("dev"));
    addUsbPort(dir, "ttyUSB0", "A1B2", "0");
    addUsbPort(dir, "ttyUSB1", "C3D4", "1");
    fs::create_directories(dir.file("sys/devices/platform/serial8250/tty/ttyS0"));
    fs::create_directories(dir.file("sys/class/tty/ttyS0"));
    fs::create_directory_symlink(dir.file("sys/devices/platform/serial8250/tty/ttyS0"),
                                 dir.file("sys/class/tty/ttyS0/device"));
    dir.write("dev/ttyS0", "");
    dir.write("dev/pts0", "");
    fs::create_symlink(dir.file("dev/ttyUSB1"), dir.file("dev/by-id-link"));

    EXPECT_EQ(usbIdentity(dir.file("dev/ttyUSB0"), dir.file("sys")), "0403:6001:A1B2:00");
    EXPECT_EQ(usbIdentity(dir.file("dev/by-id-link"), dir.file("sys")), "0403:6001:C3D4:01");
    EXPECT_EQ(usbIdentity(dir.file("dev/ttyS0"), dir.file("sys")), "");
    EXPECT_EQ(usbIdentity(dir.file("dev/pts0"), dir.file("sys")), "");
    EXPECT_EQ(usbIdentity(dir.file("dev/gone"), dir.file("sys")), "");
}

// A pty named straight by its node cannot be told from the next program's pty, which the kernel
// gives the same number: it is never opened again by itself, and the terminal is left as it is.
// Named through a link, the link made anew brings it back; the old link to a reused node does
// not. A link to /dev/ptmx is no port at all.
TEST(DeviceReturn, APtyComesBackOnlyThroughALinkMadeAnew) {
    TempDir dir;
    std::string path;
    PosixSerial serial([&path](std::uint8_t) { return path; });
    auto box = std::make_unique<PtyPair>();
    const std::string node = box->slavePath();
    path = node;
    ASSERT_TRUE(serial.open(0));
    serial.close();
    box.reset();
    PtyPair terminal;
    termios before{};
    ASSERT_EQ(::tcgetattr(terminal.masterFd(), &before), 0);
    EXPECT_EQ(serial.checkReturn(0), SerialDevice::Return::NeverByItself)
        << (terminal.slavePath() == node ? "the terminal has the box's node" : "whatever node it is now");

    path = dir.file("gauge-box");
    PtyPair second;
    fs::create_symlink(second.slavePath(), path);
    ASSERT_TRUE(serial.open(0));
    serial.close();
    EXPECT_EQ(serial.checkReturn(0), SerialDevice::Return::NotBack)
        << "the same link, to a node without identity";
    fs::remove(path);
    EXPECT_EQ(serial.checkReturn(0), SerialDevice::Return::NotBack);
    fs::create_symlink(terminal.slavePath(), path);
    EXPECT_EQ(serial.checkReturn(0), SerialDevice::Return::Back);

    fs::remove(path);
    fs::create_symlink("/dev/ptmx", path);
    EXPECT_FALSE(serial.open(0));
    termios after{};
    ASSERT_EQ(::tcgetattr(terminal.masterFd(), &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
}

} // namespace
} // namespace travek
