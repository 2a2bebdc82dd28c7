#pragma once

#include "core/serial/SerialDevice.h"

#include <windows.h>

namespace travek {

// A COM port through the Windows communications interface: opened exclusively by its device
// name, set up by a device control block, read with time-outs that make every read return
// within about a millisecond with what has arrived.
class Win32Serial : public SerialDevice {
public:
    Win32Serial() = default;
    ~Win32Serial() override;
    Win32Serial(const Win32Serial&) = delete;
    Win32Serial& operator=(const Win32Serial&) = delete;

    bool open(std::uint8_t comPort) override;
    bool isOpen() const override { return m_handle != INVALID_HANDLE_VALUE; }
    void configure(const SerialSettings& settings) override;
    ReadResult read(void* buffer, std::int32_t size) override;
    bool write(const void* data, std::int32_t count) override;
    void close() override;
    std::intptr_t nativeHandle() const override;

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// A zeroed device control block filled with the values of a settings block.
DCB MakeDcb(const SerialSettings& settings);

} // namespace travek
