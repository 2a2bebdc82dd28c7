#include "platform/posix/ComPortMap.h"
#include "platform/posix/LinuxPortList.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace travek {
namespace {

using test::TempDir;

TEST(ComPortMap, UnmappedPortsAreTheLegacyUarts) {
    const IniFile ini;
    EXPECT_EQ(comPortDevicePath(0, ini), "/dev/ttyS0");
    EXPECT_EQ(comPortDevicePath(9, ini), "/dev/ttyS9");
}

TEST(ComPortMap, MappingFromTheWorkingDirectorysFile) {
    TempDir dir;
    dir.enter();
    dir.write("travek.ini",
              "[INTERFACE]\r\nNAME=PX5R\r\n[comports]\r\ncom3 = /dev/serial/by-id/usb-FTDI-if00 \r\n"
              "COM10=/dev/pts/7\r\nCOM4=\r\n");
    EXPECT_EQ(comPortDevicePath(2), "/dev/serial/by-id/usb-FTDI-if00");
    EXPECT_EQ(comPortDevicePath(9), "/dev/pts/7");
    EXPECT_EQ(comPortDevicePath(3), "/dev/ttyS3") << "an empty mapping keeps the default";
    EXPECT_EQ(comPortDevicePath(0), "/dev/ttyS0");
}

// A sysfs tty class folder, a /dev and a by-id folder as the kernel and udev lay them out.
class FakeSystem {
public:
    FakeSystem() {
        for (const char* name : {"sys/class/tty", "sys/devices/platform/serial8250", "sys/devices/usb1",
                                 "dev", "dev/serial/by-id"})
            fs::create_directories(dir.file(name));
        for (const char* name : {"ttyS0", "ttyS1", "ttyS10", "ttyUSB0", "ttyACM0"})
            addSerial(name, name[3] == 'S' ? "platform/serial8250" : "usb1");
        // Virtual terminals have no device link.
        for (const char* name : {"tty0", "tty1", "ptmx"})
            fs::create_directories(dir.file(std::string("sys/class/tty/") + name));
        fs::create_symlink("../../ttyUSB0", dir.file("dev/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0"));
        sources.ttyClassDir = dir.file("sys/class/tty");
        sources.serialByIdDir = dir.file("dev/serial/by-id");
        sources.devDir = dir.file("dev");
        sources.configPath = dir.file("TRAVEK.INI");
    }
    void addSerial(const std::string& name, const std::string& parent) {
        fs::create_directories(dir.file("sys/class/tty/" + name));
        fs::create_directory_symlink(dir.file("sys/devices/" + parent),
                                     dir.file("sys/class/tty/" + name + "/device"));
        dir.write("dev/" + name, "");
    }

    TempDir dir;
    PortListSources sources;
};

TEST(LinuxPortList, SerialDevicesWithTheirNamesAndPorts) {
    FakeSystem sys;
    // COM2 reaches ttyS10 (and so does the default COM11: the lowest number is shown); COM3 the
    // USB adapter through its by-id link; ttyS1 has no COM number then.
    sys.dir.write("TRAVEK.INI", "[COMPORTS]\nCOM2=" + sys.dir.file("dev/ttyS10") + "\nCOM3=" +
                                    sys.dir.file("dev/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0") + "\n");
    std::vector<std::string> lines{"stale"};
    listComPorts(lines, sys.sources);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "ttyACM0=" + sys.dir.file("dev/ttyACM0"),
                         "ttyS0=COM1",
                         "ttyS1=" + sys.dir.file("dev/ttyS1"),
                         "ttyS10=COM2",
                         "usb-FTDI_FT232R_A1B2-if00-port0=COM3",
                     }));
}

TEST(LinuxPortList, PluggedAdapterShowsUpOnTheNextRead) {
    FakeSystem sys;
    std::vector<std::string> lines;
    listComPorts(lines, sys.sources);
    const std::size_t before = lines.size();
    sys.addSerial("ttyUSB1", "usb1");
    listComPorts(lines, sys.sources);
    ASSERT_EQ(lines.size(), before + 1);
    EXPECT_EQ(lines.back(), "ttyUSB1=" + sys.dir.file("dev/ttyUSB1"));
}

TEST(LinuxPortList, NoSerialDevicesGiveAnEmptyList) {
    TempDir dir;
    PortListSources sources;
    sources.ttyClassDir = dir.file("missing");
    sources.serialByIdDir = dir.file("missing-too");
    sources.configPath = dir.file("TRAVEK.INI");
    std::vector<std::string> lines{"stale"};
    listComPorts(lines, sources);
    EXPECT_TRUE(lines.empty());
}

} // namespace
} // namespace travek
