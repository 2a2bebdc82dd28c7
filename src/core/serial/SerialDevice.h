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

    // What stands under a lost port's name now, as far as a reconnect may know without opening it.
    enum class Return {
        Back,         // the device that was open, or a name that follows its device wherever it is
        NotBack,      // nothing, or another device: try again later
        NeverByItself // a name any device may take next, with nothing to tell them apart (a pseudo
                      // terminal or a built-in port named by its node): only the user reopens it
    };

    // Why the last open() failed, as the system said it.
    enum class OpenFailure {
        Unknown,
        Missing,  // no such device (the adapter is not plugged in, or the name leads nowhere)
        InUse,    // another program has it open
        Denied,   // the user may not open it
        NotSerial // something under the name, but not a serial port
    };

    virtual ~SerialDevice() = default;

    // Opens the port with the index (port number minus 1) exclusively. False when it is missing,
    // taken or refused.
    virtual bool open(std::uint8_t comPort) = 0;
    virtual OpenFailure openFailure() const { return OpenFailure::Unknown; }
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
    // Asked before a reconnect opens the port index again by itself: opening and setting up
    // another program's terminal, or another device, would send it the box's commands. Opens
    // nothing. Where a name stays with its device (a COM name on Windows) it is always Back.
    virtual Return checkReturn(std::uint8_t comPort) {
        (void)comPort;
        return Return::Back;
    }
};

inline constexpr int WriteStallTimeoutMs = 5000;

// The device type of the platform the program runs on.
std::unique_ptr<SerialDevice> createPlatformSerialDevice();

} // namespace travek
