// The Windows serial layer under wine: the device control block, the device names, the port list
// from the registry and, run through win32-serial-run.sh, real bytes through COM ports that are a
// pty whose other side echoes every byte.
#include "platform/win32/Win32Serial.h"
#include "core/serial/PortList.h"
#include "core/text/Error.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace travek {
namespace {

using ::testing::Contains;
using ::testing::Not;

// The flag bits as they lie in the structure, after DCBlength and BaudRate: what the driver gets.
std::uint32_t flagWord(const DCB& dcb) {
    std::uint32_t word = 0;
    std::memcpy(&word, reinterpret_cast<const char*>(&dcb) + 8, sizeof word);
    return word;
}

TEST(Win32Serial, DeviceControlBlock) {
    SerialSettings settings;
    DCB dcb = makeDcb(settings);
    EXPECT_EQ(sizeof(DCB), 28u);
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(flagWord(dcb), 17u);
    EXPECT_EQ(dcb.fDtrControl, unsigned(DTR_CONTROL_ENABLE));
    EXPECT_EQ(dcb.fRtsControl, unsigned(RTS_CONTROL_DISABLE));
    EXPECT_EQ(dcb.XonLim, 512);
    EXPECT_EQ(dcb.XoffLim, 1);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_TRUE(dcb.ErrorChar == 0 && dcb.EofChar == 0 && dcb.EvtChar == 0);

    settings.hwHandshaking = HardwareHandshake::RtsCts;
    dcb = makeDcb(settings);
    EXPECT_EQ(flagWord(dcb), 8213u);
    EXPECT_TRUE(dcb.fOutxCtsFlow == 1 && dcb.fRtsControl == RTS_CONTROL_HANDSHAKE);
    settings.swHandshaking = SoftwareHandshake::XonXoff;
    EXPECT_EQ(flagWord(makeDcb(settings)), 8213u + 0x300);
    settings.hwHandshaking = HardwareHandshake::Off;
    dcb = makeDcb(settings);
    EXPECT_EQ(flagWord(dcb), 785u);
    EXPECT_TRUE(dcb.fOutX == 1 && dcb.fInX == 1);

    settings.dataBits = DataBits::Seven;
    settings.parity = Parity::Mark;
    settings.stopBits = StopBits::Two;
    settings.speed = BaudRate::Baud56000;
    dcb = makeDcb(settings);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Parity, MARKPARITY);
    EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
    EXPECT_EQ(dcb.BaudRate, 56000u);
}

TEST(Win32Serial, DeviceNames) {
    EXPECT_EQ(comPortDeviceName(0), "COM1");
    EXPECT_EQ(comPortDeviceName(8), "COM9");
    EXPECT_EQ(comPortDeviceName(9), "\\\\.\\COM10");
    EXPECT_EQ(comPortDeviceName(98), "\\\\.\\COM99");
}

// The registry key of the system's serial ports, removing the test's values at the end.
class SerialCommKey {
public:
    SerialCommKey() {
        // The hardware branch is volatile: keys below it must be too.
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\devicemap\\serialcomm", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &m_key, nullptr) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~SerialCommKey() {
        if (!m_key)
            return;
        for (const std::string& name : m_names)
            ::RegDeleteValueA(m_key, name.c_str());
        ::RegCloseKey(m_key);
    }
    SerialCommKey(const SerialCommKey&) = delete;
    SerialCommKey& operator=(const SerialCommKey&) = delete;

    bool isOpen() const { return m_key != nullptr; }
    bool set(const std::string& name, DWORD type, const std::string& data) {
        m_names.push_back(name);
        return ::RegSetValueExA(m_key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    }
    void remove(const std::string& name) { ::RegDeleteValueA(m_key, name.c_str()); }

private:
    HKEY m_key = nullptr;
    std::vector<std::string> m_names;
};

TEST(Win32PortList, ListsTheRegisteredPortsAndSkipsABadEntry) {
    std::vector<std::string> lines{"stale"};
    listComPorts(lines);
    EXPECT_THAT(lines, Not(Contains("stale")));

    SerialCommKey key;
    ASSERT_TRUE(key.isOpen());
    ASSERT_TRUE(key.set("\\Device\\TravekTest0", REG_SZ, std::string("COM42") + '\0'));
    ASSERT_TRUE(key.set("\\Device\\TravekEmpty", REG_SZ, std::string(1, '\0')));
    listComPorts(lines);
    EXPECT_THAT(lines, Contains("\\Device\\TravekTest0=COM42"));
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("TravekEmpty") != std::string::npos;
    }));

    ASSERT_TRUE(key.set("\\Device\\TravekBad", REG_DWORD, std::string(4, '\1')));
    ASSERT_TRUE(key.set("\\Device\\TravekTest1", REG_SZ, std::string("COM43") + '\0'));
    try {
        listComPorts(lines);
        ADD_FAILURE() << "an entry that is no text was accepted";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Ung\xFCltiger Datentyp f\xFCr '\\Device\\TravekBad'");
    }
    // Every readable entry is listed all the same.
    EXPECT_THAT(lines, Contains("\\Device\\TravekTest0=COM42"));
    EXPECT_THAT(lines, Contains("\\Device\\TravekTest1=COM43"));

    key.remove("\\Device\\TravekBad");
    key.remove("\\Device\\TravekTest1");
    key.remove("\\Device\\TravekTest0");
    listComPorts(lines);
    EXPECT_THAT(lines, Not(Contains("\\Device\\TravekTest0=COM42")));
}

// The port numbers that win32-serial-run.sh has linked to its echoing pty.
std::vector<int> echoPorts() {
    std::vector<int> ports;
    const char* list = std::getenv("TRAVEK_ECHO_COM_PORTS");
    std::istringstream in(list ? list : "");
    for (std::string item; std::getline(in, item, ',');)
        ports.push_back(std::atoi(item.c_str()));
    return ports;
}

std::string readCount(Win32Serial& port, std::size_t count) {
    std::string got;
    // A bound on the wait, so a lost byte ends the test instead of hanging it.
    const ULONGLONG deadline = ::GetTickCount64() + 10000;
    char buffer[64]; // smaller than the block: it arrives over several reads
    while (got.size() < count && ::GetTickCount64() < deadline) {
        const SerialDevice::ReadResult result = port.read(buffer, sizeof buffer);
        EXPECT_NE(result.status, SerialDevice::ReadStatus::Lost);
        if (result.status == SerialDevice::ReadStatus::Data)
            got.append(buffer, static_cast<std::size_t>(result.count));
    }
    return got;
}

// Every byte value and a measurement go out and come back, through a short (COM5) and a long
// (\\.\COM42) device name.
TEST(Win32SerialPty, BytesGoBothWays) {
    const std::vector<int> ports = echoPorts();
    if (ports.empty())
        GTEST_SKIP() << "no echoing COM port; run through win32-serial-run.sh";
    for (const int number : ports) {
        SCOPED_TRACE(comPortDeviceName(static_cast<std::uint8_t>(number - 1)));
        Win32Serial port;
        ASSERT_TRUE(port.open(static_cast<std::uint8_t>(number - 1)));
        port.configure(SerialSettings{});

        // (Whether a second open is refused is not checked: wine does not hold devices exclusively.)

        // Nothing has been sent: a read returns at once with nothing.
        char byte = 0;
        EXPECT_EQ(port.read(&byte, 1).status, SerialDevice::ReadStatus::Nothing);

        std::string block;
        for (int i = 0; i < 3; ++i)
            for (int value = 0; value < 256; ++value)
                block += static_cast<char>(value);
        block += "12.345\r";
        ASSERT_TRUE(port.write(block.data(), static_cast<std::int32_t>(block.size())));
        const std::string echoed = readCount(port, block.size());
        EXPECT_EQ(echoed.size(), block.size());
        EXPECT_TRUE(echoed == block);

        port.close();
        EXPECT_FALSE(port.isOpen());
        EXPECT_FALSE(port.write("x", 1));
        Win32Serial again;
        EXPECT_TRUE(again.open(static_cast<std::uint8_t>(number - 1)));
    }
}

} // namespace
} // namespace travek
