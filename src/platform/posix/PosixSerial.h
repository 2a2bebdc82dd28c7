#pragma once

#include "core/serial/SerialDevice.h"

#include <functional>
#include <optional>
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
    OpenFailure openFailure() const override { return m_openFailure; }
    bool isOpen() const override { return m_fd >= 0; }
    void configure(const SerialSettings& settings) override;
    ReadResult read(void* buffer, std::int32_t size) override;
    bool write(const void* data, std::int32_t count) override;
    void close() override;
    std::intptr_t nativeHandle() const override { return m_fd; }
    // A name that is a link (a /dev/serial/by-id name, a link the user made for the box) follows
    // its device: a link made anew to a terminal of the same kind is the box back, and the link as
    // it was leads to the box only by the USB identity of its node. A device node named straight
    // is the same device only by its USB identity; a node without one (a pty, a built-in port)
    // never is, since the next terminal or adapter may get the same node.
    Return checkReturn(std::uint8_t comPort) override;

    // Where the USB identities are read; /sys unless a test says otherwise.
    void setSysRoot(std::string sysRoot) { m_sysRoot = std::move(sysRoot); }

private:
    bool hungUp() const;

    // What the last port opened was, for checkReturn.
    struct Opened {
        std::string path;
        bool link = false;
        // The link itself (inode and change time): the same link, not one made anew, leads to a
        // node that may have been given to another device meanwhile.
        unsigned long long linkInode = 0;
        long long linkChanged = 0;
        unsigned int major = 0;
        std::string identity;
    };
    Return checkNode(const std::string& path) const;

    PathResolver m_resolver;
    std::string m_sysRoot = "/sys";
    int m_fd = -1;
    OpenFailure m_openFailure = OpenFailure::Unknown;
    std::optional<Opened> m_opened;
};

} // namespace travek
