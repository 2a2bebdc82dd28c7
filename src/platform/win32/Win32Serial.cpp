#include "platform/win32/Win32Serial.h"

namespace travek {

Win32Serial::~Win32Serial() {
    close();
}

bool Win32Serial::open(std::uint8_t comPort) {
    close();
    const HANDLE handle = ::CreateFileA(ComPortDeviceName(comPort).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    m_handle = handle;
    // A read returns when the buffer is full, 1 ms after the last byte or 1 ms after it began.
    // A write gives up after 5 s, as on POSIX: with the flow control held by the other end it
    // would otherwise block the window forever.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 1;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 1;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = WriteStallTimeoutMs;
    (void)::SetCommTimeouts(m_handle, &timeouts);
    return true;
}

DCB MakeDcb(const SerialSettings& settings) {
    const DcbValues values = BuildDcbValues(settings);
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = values.baudRate;
    dcb.fBinary = values.flags & 0x1;
    dcb.fParity = (values.flags >> 1) & 0x1;
    dcb.fOutxCtsFlow = (values.flags >> 2) & 0x1;
    dcb.fOutxDsrFlow = (values.flags >> 3) & 0x1;
    dcb.fDtrControl = (values.flags >> 4) & 0x3;
    dcb.fDsrSensitivity = (values.flags >> 6) & 0x1;
    dcb.fTXContinueOnXoff = (values.flags >> 7) & 0x1;
    dcb.fOutX = (values.flags >> 8) & 0x1;
    dcb.fInX = (values.flags >> 9) & 0x1;
    dcb.fErrorChar = (values.flags >> 10) & 0x1;
    dcb.fNull = (values.flags >> 11) & 0x1;
    dcb.fRtsControl = (values.flags >> 12) & 0x3;
    dcb.fAbortOnError = (values.flags >> 14) & 0x1;
    dcb.XonLim = values.xonLim;
    dcb.XoffLim = values.xoffLim;
    dcb.ByteSize = values.byteSize;
    dcb.Parity = values.parity;
    dcb.StopBits = values.stopBits;
    dcb.XonChar = values.xonChar;
    dcb.XoffChar = values.xoffChar;
    return dcb;
}

void Win32Serial::configure(const SerialSettings& settings) {
    if (!isOpen())
        return;
    DCB dcb = MakeDcb(settings);
    // What the device refuses is left as it keeps it.
    (void)::SetCommState(m_handle, &dcb);
    (void)::SetupComm(m_handle, settings.inBufSize, settings.outBufSize);
}

SerialDevice::ReadResult Win32Serial::read(void* buffer, std::int32_t size) {
    if (!isOpen())
        return {ReadStatus::Lost, 0};
    DWORD count = 0;
    if (::ReadFile(m_handle, buffer, static_cast<DWORD>(size < 0 ? 0 : size), &count, nullptr))
        return {count > 0 ? ReadStatus::Data : ReadStatus::Nothing, static_cast<std::int32_t>(count)};
    switch (::GetLastError()) {
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_INVALID_HANDLE:
        // The adapter has been removed: every further read fails the same way.
        return {ReadStatus::Lost, 0};
    default:
        return {ReadStatus::Nothing, 0};
    }
}

bool Win32Serial::write(const void* data, std::int32_t count) {
    if (!isOpen() || count < 0)
        return false;
    DWORD written = 0;
    return ::WriteFile(m_handle, data, static_cast<DWORD>(count), &written, nullptr) &&
           written == static_cast<DWORD>(count);
}

void Win32Serial::close() {
    if (!isOpen())
        return;
    ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

std::intptr_t Win32Serial::nativeHandle() const {
    return isOpen() ? reinterpret_cast<std::intptr_t>(m_handle) : -1;
}

std::unique_ptr<SerialDevice> CreatePlatformSerialDevice() {
    return std::make_unique<Win32Serial>();
}

} // namespace travek
