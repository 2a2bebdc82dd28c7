// The Windows serial layer under wine. Without arguments only the checks that need no device run;
// with port numbers, each is opened (a pty whose other side echoes every byte) and bytes go both
// ways. Exits non-zero when a check fails.
#include "Win32Serial.h"
#include "WinCheck.h"
#include "ComPortList.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace travek;

namespace {

// The flag bits as they lie in the structure, after DCBlength and BaudRate.
std::uint32_t FlagWord(const DCB& dcb) {
    std::uint32_t word = 0;
    std::memcpy(&word, reinterpret_cast<const char*>(&dcb) + 8, sizeof word);
    return word;
}

void CheckDcb() {
    SerialSettings settings;
    DCB dcb = MakeDcb(settings);
    CHECK(sizeof(DCB) == 28);
    CHECK(dcb.DCBlength == 28);
    CHECK(dcb.BaudRate == 9600);
    CHECK(FlagWord(dcb) == 17);
    CHECK(dcb.fDtrControl == DTR_CONTROL_ENABLE);
    CHECK(dcb.fRtsControl == RTS_CONTROL_DISABLE);
    CHECK(dcb.XonLim == 512);
    CHECK(dcb.XoffLim == 1);
    CHECK(dcb.ByteSize == 8);
    CHECK(dcb.Parity == NOPARITY);
    CHECK(dcb.StopBits == ONESTOPBIT);
    CHECK(dcb.XonChar == 0x11);
    CHECK(dcb.XoffChar == 0x13);
    CHECK(dcb.ErrorChar == 0 && dcb.EofChar == 0 && dcb.EvtChar == 0);

    settings.hwHandshaking = hhRTSCTS;
    dcb = MakeDcb(settings);
    CHECK(FlagWord(dcb) == 8213);
    CHECK(dcb.fOutxCtsFlow == 1 && dcb.fRtsControl == RTS_CONTROL_HANDSHAKE);
    settings.swHandshaking = shXONXOFF;
    CHECK(FlagWord(MakeDcb(settings)) == 8213 + 0x300);
    settings.hwHandshaking = hhNONE;
    dcb = MakeDcb(settings);
    CHECK(FlagWord(dcb) == 785);
    CHECK(dcb.fOutX == 1 && dcb.fInX == 1);

    settings.dataBits = db7BITS;
    settings.parity = ptMARK;
    settings.stopBits = sb2BITS;
    settings.speed = br56000;
    dcb = MakeDcb(settings);
    CHECK(dcb.ByteSize == 7);
    CHECK(dcb.Parity == MARKPARITY);
    CHECK(dcb.StopBits == TWOSTOPBITS);
    CHECK(dcb.BaudRate == 56000);
}

void CheckNames() {
    CHECK(ComPortDeviceName(0) == "COM1");
    CHECK(ComPortDeviceName(8) == "COM9");
    CHECK(ComPortDeviceName(9) == "\\\\.\\COM10");
    CHECK(ComPortDeviceName(98) == "\\\\.\\COM99");
}

std::string ReadUntil(Win32Serial& port, std::size_t count) {
    std::string got;
    const ULONGLONG deadline = ::GetTickCount64() + 5000;
    char buffer[64]; // smaller than the block: it arrives over several reads
    while (got.size() < count && ::GetTickCount64() < deadline) {
        const SerialDevice::ReadResult result = port.read(buffer, sizeof buffer);
        CHECK(result.status != SerialDevice::ReadStatus::Lost);
        if (result.status == SerialDevice::ReadStatus::Data)
            got.append(buffer, static_cast<std::size_t>(result.count));
    }
    return got;
}

void CheckPort(int number) {
    std::printf("port COM%d (%s)\n", number,
                ComPortDeviceName(static_cast<std::uint8_t>(number - 1)).c_str());
    Win32Serial port;
    CHECK(port.open(static_cast<std::uint8_t>(number - 1)));
    if (!port.isOpen())
        return;
    port.configure(SerialSettings{});

    // (Whether a second open is refused is not checked: wine does not hold devices exclusively.)

    // Nothing has been sent: a read returns at once with nothing.
    char byte = 0;
    CHECK(port.read(&byte, 1).status == SerialDevice::ReadStatus::Nothing);

    std::string block;
    for (int i = 0; i < 3; ++i)
        for (int value = 0; value < 256; ++value)
            block += static_cast<char>(value);
    block += "12.345\r";
    CHECK(port.write(block.data(), static_cast<std::int32_t>(block.size())));
    const std::string echoed = ReadUntil(port, block.size());
    CHECK(echoed.size() == block.size());
    CHECK(echoed == block);

    port.close();
    CHECK(!port.isOpen());
    CHECK(!port.write("x", 1));
    Win32Serial again;
    CHECK(again.open(static_cast<std::uint8_t>(number - 1)));
}

struct RegistryValue {
    const char* name;
    DWORD type;
    std::string data;
};

HKEY OpenListKey() {
    HKEY key = nullptr;
    // The hardware branch is volatile: keys below it must be too.
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\devicemap\\serialcomm", 0, nullptr,
                          REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void SetValue(HKEY key, const RegistryValue& value) {
    CHECK(::RegSetValueExA(key, value.name, 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                           static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS);
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void CheckPortList() {
    std::vector<std::string> lines{"stale"};
    ListComPorts(lines);
    std::printf("port list before: %u lines\n", static_cast<unsigned>(lines.size()));
    for (const std::string& line : lines)
        std::printf("  %s\n", line.c_str());
    CHECK(!Contains(lines, "stale"));

    HKEY key = OpenListKey();
    CHECK(key != nullptr);
    if (!key)
        return;
    SetValue(key, {"\\Device\\TravekTest0", REG_SZ, std::string("COM42") + '\0'});
    SetValue(key, {"\\Device\\TravekEmpty", REG_SZ, std::string(1, '\0')});
    ListComPorts(lines);
    CHECK(Contains(lines, "\\Device\\TravekTest0=COM42"));
    CHECK(std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("TravekEmpty") != std::string::npos;
    }));

    const std::vector<std::string> good = lines;
    SetValue(key, {"\\Device\\TravekBad", REG_DWORD, std::string(4, '\1')});
    std::string message;
    try {
        ListComPorts(lines);
    } catch (const PortListError& error) {
        message = error.what();
    }
    CHECK(message == "Ung\xFCltiger Datentyp f\xFCr '\\Device\\TravekBad'");
    CHECK(lines == good); // the list keeps its entries

    for (const char* name : {"\\Device\\TravekTest0", "\\Device\\TravekEmpty", "\\Device\\TravekBad"})
        ::RegDeleteValueA(key, name);
    ::RegCloseKey(key);
    ListComPorts(lines);
    CHECK(!Contains(lines, "\\Device\\TravekTest0=COM42"));
}

} // namespace

int main(int argc, char** argv) {
    CheckDcb();
    CheckNames();
    CheckPortList();
    for (int i = 1; i < argc; ++i)
        CheckPort(std::atoi(argv[i]));
    std::printf("%s: %d failure(s)\n", failures ? "FAILED" : "passed", failures);
    return failures ? 1 : 0;
}
