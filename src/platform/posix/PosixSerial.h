#pragma once

#include "core/serial/SerialDevice.h"

#include <functional>
#include <string>

namespace travek {

// A serial port on Linux (any tty: a UART, a USB adapter, a pty standing in for one). The port is
// held exclusively: TIOCEXCL keeps ordinary users out, and an flock keeps out everyone who asks
// for one (a second TRAVEK, well-behaved terminal programs, root, for whom TIOCEXCL is no
// barrier).
class PosixSerial : public SerialDevice {
public:
    // Maps a port index to a device path.
    using PathResolver = std::function<std::string(std::uint8_t comPort)>;

    // Ports map to devices by the working directory's configuration file (see ComPortMap.h).
    PosixSerial();
    explicit PosixSerial(PathResolver resolver);
    ~PosixSerial() override;
    PosixSerial(const PosixSerial&) = delete;
    PosixSerial& operator=(const PosixSerial&) = delete;

    bool open(std::uint8_t comPort) override;
    bool openPath(const std::string& path);
    bool isOpen() const override { return m_fd >= 0; }
    void configure(const SerialSettings& settings) override;
    ReadResult read(void* buffer, std::int32_t size) override;
    bool write(const void* data, std::int32_t count) override;
    void close() override;
    std::intptr_t nativeHandle() const override { return m_fd; }

private:
    bool hungUp() const;

    PathResolver m_resolver;
    int m_fd = -1;
};

} // namespace travek
