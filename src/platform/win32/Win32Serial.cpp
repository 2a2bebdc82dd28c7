#include "platform/win32/Win32Serial.h"

#include <initializer_list>

namespace travek {

Win32Serial::~Win32Serial() {
    close();
}

bool Win32Serial::open(std::uint8_t comPort) {
    close();
    const HANDLE handle = ::CreateFileA(comPortDeviceName(comPort).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // A COM port that another program holds answers "access denied".
        const DWORD error = ::GetLastError();
        m_openFailure = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? OpenFailure::Missing
                        : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION
                            ? OpenFailure::InUse
                            : OpenFailure::Unknown;
        return false;
    }
    m_openFailure = OpenFailure::Unknown;
    m_readEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_transferEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!m_readEvent || !m_transferEvent) {
        ::CloseHandle(handle);
        closeEvents();
        return false;
    }
    m_handle = handle;
    m_lost = false;
    // No read time-outs: the pending read waits for its byte however long the box is silent, and
    // the other reads ask only for bytes that have arrived. A write gives up after 5 s, as on
    // POSIX: with the flow control held by the other end it would otherwise block the window
    // forever.
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = WriteStallTimeoutMs;
    (void)::SetCommTimeouts(m_handle, &timeouts);
    startPendingRead();
    return true;
}

void Win32Serial::startPendingRead() {
    m_pending = OVERLAPPED{};
    m_pending.hEvent = m_readEvent;
    m_readPending = true;
    // Done at once or pending: either way the event tells when read() has the byte.
    if (::ReadFile(m_handle, &m_pendingByte, 1, nullptr, &m_pending) || ::GetLastError() == ERROR_IO_PENDING)
        return;
    // It failed before it began: read() finds out why, so the event must wake the loop.
    m_readPending = false;
    m_startFailed = true;
    ::SetEvent(m_readEvent);
}

bool Win32Serial::lineErrorCleared() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(m_handle, &errors, &status))
        return false;
    return (errors & (CE_BREAK | CE_FRAME | CE_OVERRUN | CE_RXOVER | CE_RXPARITY)) != 0;
}

bool Win32Serial::readQueued(char* buffer, DWORD count, DWORD& got) {
    got = 0;
    OVERLAPPED transfer{};
    transfer.hEvent = m_transferEvent;
    if (!::ReadFile(m_handle, buffer, count, nullptr, &transfer) && ::GetLastError() != ERROR_IO_PENDING)
        return false;
    // The bytes are there, so this returns at once; the bound only keeps a driver that miscounts
    // its queue from freezing the window.
    if (::WaitForSingleObject(m_transferEvent, QueuedReadLimitMs) != WAIT_OBJECT_0)
        (void)::CancelIoEx(m_handle, &transfer);
    return ::GetOverlappedResult(m_handle, &transfer, &got, TRUE) || got > 0;
}

DCB makeDcb(const SerialSettings& settings) {
    const DcbValues values = buildDcbValues(settings);
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
    DCB dcb = makeDcb(settings);
    // What the device refuses is left as it keeps it.
    (void)::SetCommState(m_handle, &dcb);
    (void)::SetupComm(m_handle, settings.inBufSize, settings.outBufSize);
}

SerialDevice::ReadResult Win32Serial::read(void* buffer, std::int32_t size) {
    if (!isOpen() || m_lost)
        return {ReadStatus::Lost, 0};
    // With no room the byte stays where it is, and so does the event.
    if (size < 1)
        return {ReadStatus::Nothing, 0};
    DWORD got = 0;
    bool failed = m_startFailed;
    m_startFailed = false;
    if (!failed && !::GetOverlappedResult(m_handle, &m_pending, &got, FALSE)) {
        if (::GetLastError() == ERROR_IO_INCOMPLETE)
            return {ReadStatus::Nothing, 0};
        failed = true;
    }
    m_readPending = false;
    if (failed) {
        // A pulled adapter fails every read and ClearCommError too; a line error only aborts
        // this one read.
        if (!lineErrorCleared()) {
            m_lost = true;
            return {ReadStatus::Lost, 0};
        }
        startPendingRead();
        return {ReadStatus::Nothing, 0};
    }
    if (got == 0) {
        startPendingRead();
        return {ReadStatus::Nothing, 0};
    }
    auto* bytes = static_cast<char*>(buffer);
    bytes[0] = m_pendingByte;
    std::int32_t count = 1;
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(m_handle, &errors, &status)) {
        // The byte still counts; the next read reports the loss, and the event makes sure it comes.
        m_lost = true;
        ::SetEvent(m_readEvent);
        return {ReadStatus::Data, count};
    }
    const DWORD room = static_cast<DWORD>(size - 1);
    const DWORD queued = status.cbInQue < room ? status.cbInQue : room;
    DWORD more = 0;
    if (queued > 0 && readQueued(bytes + 1, queued, more))
        count += static_cast<std::int32_t>(more);
    // Bytes left in the queue complete the next pending read at once, so the loop comes back.
    startPendingRead();
    return {ReadStatus::Data, count};
}

bool Win32Serial::write(const void* data, std::int32_t count) {
    if (!isOpen() || count < 0)
        return false;
    OVERLAPPED transfer{};
    transfer.hEvent = m_transferEvent;
    DWORD written = 0;
    if (!::WriteFile(m_handle, data, static_cast<DWORD>(count), nullptr, &transfer) &&
        ::GetLastError() != ERROR_IO_PENDING)
        return false;
    // The write time-out (WriteStallTimeoutMs) ends a write that the other end holds up.
    return ::GetOverlappedResult(m_handle, &transfer, &written, TRUE) && written == static_cast<DWORD>(count);
}

void Win32Serial::close() {
    if (!isOpen())
        return;
    if (m_readPending) {
        // The pending read writes into this object: it must be over before the object is.
        (void)::CancelIoEx(m_handle, &m_pending);
        DWORD ignored = 0;
        (void)::GetOverlappedResult(m_handle, &m_pending, &ignored, TRUE);
        m_readPending = false;
    }
    ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    m_startFailed = false;
    closeEvents();
}

void Win32Serial::closeEvents() {
    for (HANDLE* event : {&m_readEvent, &m_transferEvent}) {
        if (*event)
            ::CloseHandle(*event);
        *event = nullptr;
    }
}

std::intptr_t Win32Serial::nativeHandle() const {
    return isOpen() ? reinterpret_cast<std::intptr_t>(m_readEvent) : -1;
}

std::unique_ptr<SerialDevice> createPlatformSerialDevice() {
    return std::make_unique<Win32Serial>();
}

} // namespace travek
