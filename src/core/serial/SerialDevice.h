#pragma once

#include "core/serial/SerialSettings.h"

#include <cstdint>
#include <memory>

namespace travek {

// One serial port as the platform offers it: the thin layer under the port driver. All calls
// return at once except write, which completes the whole block.
class SerialDevice {
public:
    enum class ReadStatus {
        Data,    // count bytes were read
        Nothing, // nothing has arrived (or the read failed for a passing reason)
        Lost     // the device has gone (adapter pulled, other side of a pty closed)
    };
    struct ReadResult {
        ReadStatus status = ReadStatus::Nothing;
        std::int32_t count = 0;
    };

    virtual ~SerialDevice() = default;

    // Opens the port with the index (port number minus 1) exclusively. False when it is missing,
    // taken or refused.
    virtual bool open(std::uint8_t comPort) = 0;
    virtual bool isOpen() const = 0;
    // Puts the settings into effect; what the device refuses is left as the device keeps it.
    virtual void configure(const SerialSettings& settings) = 0;
    // Reads what has arrived, at most size bytes, without waiting for more.
    virtual ReadResult read(void* buffer, std::int32_t size) = 0;
    // Writes all count bytes; true when the device took every byte. Gives up, false, when the
    // device takes nothing for WriteStallTimeoutMs (flow control held shut by a device that is
    // switched off), so the caller is not frozen for good.
    virtual bool write(const void* data, std::int32_t count) = 0;
    virtual void close() = 0;
    // The platform's descriptor of the open port (a file descriptor or a handle); -1 when closed.
    virtual std::intptr_t nativeHandle() const = 0;
};

inline constexpr int WriteStallTimeoutMs = 5000;

// The device type of the platform the program runs on.
std::unique_ptr<SerialDevice> CreatePlatformSerialDevice();

} // namespace travek
