#pragma once

#include "core/serial/SerialDevice.h"

#include <windows.h>

namespace travek {

// A COM port through the Windows communications interface: opened exclusively by its device
// name, set up by a device control block. One overlapped read of a single byte is always pending
// while the port is open; its event is set when a byte has arrived (or the read failed), and that
// event is the handle the event loop waits on, so an idle port costs nothing. read() then takes
// that byte and whatever else has arrived, without waiting, and starts the next pending read.
class Win32Serial : public SerialDevice {
public:
    Win32Serial() = default;
    ~Win32Serial() override;
    Win32Serial(const Win32Serial&) = delete;
    Win32Serial& operator=(const Win32Serial&) = delete;

    bool open(std::uint8_t comPort) override;
    OpenFailure openFailure() const override { return m_openFailure; }
    bool isOpen() const override { return m_handle != INVALID_HANDLE_VALUE; }
    void configure(const SerialSettings& settings) override;
    ReadResult read(void* buffer, std::int32_t size) override;
    bool write(const void* data, std::int32_t count) override;
    void close() override;
    // The event of the pending read (a manual-reset event): signalled while read() has something
    // to report, bytes or a lost device.
    std::intptr_t nativeHandle() const override;

private:
    // Starts the pending one-byte read; a read that cannot even start leaves the device lost.
    void startPendingRead();
    // True when the failed read is explained by a line error that ClearCommError has now
    // cleared (the device aborts reads after one): the device is still there.
    bool lineErrorCleared();
    // Reads count bytes that are known to have arrived.
    bool readQueued(char* buffer, DWORD count, DWORD& got);
    void closeEvents();

    static constexpr DWORD QueuedReadLimitMs = 100;

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    HANDLE m_readEvent = nullptr;
    HANDLE m_transferEvent = nullptr;
    OVERLAPPED m_pending{};
    char m_pendingByte = 0;
    bool m_readPending = false; // m_pending is in flight (or done and not yet collected)
    bool m_startFailed = false;
    bool m_lost = false;
    OpenFailure m_openFailure = OpenFailure::Unknown;
};

// A zeroed device control block filled with the values of a settings block.
DCB makeDcb(const SerialSettings& settings);

} // namespace travek
