#include "platform/posix/PosixSerial.h"

#include "platform/posix/ComPortMap.h"
#include "platform/posix/PosixBaudRate.h"
#include "platform/posix/UsbIdentity.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace travek {

namespace {

// The speed constant of a rate termios knows by name; 0 for the others.
speed_t standardSpeed(std::uint32_t bitsPerSecond) {
    switch (bitsPerSecond) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return 0;
    }
}

tcflag_t characterSize(DataBits dataBits) {
    switch (dataBits) {
    case DataBits::Five:
        return CS5;
    case DataBits::Six:
        return CS6;
    case DataBits::Seven:
        return CS7;
    default:
        return CS8;
    }
}

} // namespace

PosixSerial::PosixSerial() : m_resolver([](std::uint8_t comPort) { return comPortDevicePath(comPort); }) {}

PosixSerial::PosixSerial(PathResolver resolver) : m_resolver(std::move(resolver)) {}

PosixSerial::~PosixSerial() {
    close();
}

bool PosixSerial::open(std::uint8_t comPort) {
    return openPath(m_resolver(comPort));
}

bool PosixSerial::openPath(const std::string& path) {
    close();
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_openFailure = errno == ENOENT || errno == ENODEV || errno == ENXIO || errno == ENOTDIR
                            ? OpenFailure::Missing
                        : errno == EBUSY                    ? OpenFailure::InUse
                        : errno == EACCES || errno == EPERM ? OpenFailure::Denied
                                                            : OpenFailure::Unknown;
        return false;
    }
    m_openFailure = OpenFailure::Unknown;
    if (fd == 0) {
        // The driver counts a port as open by a descriptor above 0.
        const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 1);
        ::close(fd);
        if (moved < 0)
            return false;
        fd = moved;
    }
    // A pty master (a link to /dev/ptmx) is a terminal too, but no port: opening it only makes a
    // new pty that nobody is at.
    unsigned int ptyNumber = 0;
    if (!::isatty(fd) || ::ioctl(fd, TIOCGPTN, &ptyNumber) == 0) {
        m_openFailure = OpenFailure::NotSerial;
        ::close(fd);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_openFailure = errno == EWOULDBLOCK ? OpenFailure::InUse : OpenFailure::Unknown;
        ::close(fd);
        return false;
    }
    (void)::ioctl(fd, TIOCEXCL);
    m_fd = fd;
    Opened opened;
    opened.path = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        opened.link = true;
        opened.linkInode = st.st_ino;
        opened.linkChanged = static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec;
    }
    if (::fstat(fd, &st) == 0)
        opened.major = major(st.st_rdev);
    opened.identity = usbIdentity(path, m_sysRoot);
    m_opened = std::move(opened);
    return true;
}

SerialDevice::Return PosixSerial::checkReturn(std::uint8_t comPort) {
    if (!m_opened)
        return Return::Back;
    std::string path;
    try {
        path = m_resolver(comPort);
    } catch (const std::exception&) {
        return Return::NotBack; // the settings file cannot be read just now
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        const long long changed =
            static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec;
        const bool sameLink = m_opened->link && path == m_opened->path && st.st_ino == m_opened->linkInode &&
                              changed == m_opened->linkChanged;
        // The link as it was, leading to a node that may have gone to another device meanwhile:
        // only an identity proves it is the same; else the link's being made anew will.
        if (sameLink)
            return checkNode(path) == Return::Back ? Return::Back : Return::NotBack;
        // Whoever made the link anew means the box: a terminal of the kind the port had.
        if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode) || major(st.st_rdev) != m_opened->major)
            return Return::NotBack;
        return Return::Back;
    }
    // A link that is gone (an adapter unplugged) is waited for: it may be made again.
    if (m_opened->link)
        return checkNode(path) == Return::Back ? Return::Back : Return::NotBack;
    return checkNode(path);
}

SerialDevice::Return PosixSerial::checkNode(const std::string& path) const {
    if (m_opened->identity.empty())
        return Return::NeverByItself;
    return usbIdentity(path, m_sysRoot) == m_opened->identity ? Return::Back : Return::NotBack;
}

void PosixSerial::configure(const SerialSettings& settings) {
    if (m_fd < 0)
        return;
    termios tio{};
    if (::tcgetattr(m_fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
        tio.c_cflag |= CLOCAL | CREAD | characterSize(settings.dataBits);
        // No parity test on received bytes (INPCK stays off), whatever the line format.
        tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
        switch (settings.parity) {
        case Parity::Odd:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case Parity::Even:
            tio.c_cflag |= PARENB;
            break;
        case Parity::Mark:
            tio.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case Parity::Space:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
        }
        // A UART sends one and a half stop bits for CSTOPB with 5 data bits.
        if (settings.stopBits == StopBits::OneAndHalf || settings.stopBits == StopBits::Two)
            tio.c_cflag |= CSTOPB;
        if (settings.hwHandshaking == HardwareHandshake::RtsCts)
            tio.c_cflag |= CRTSCTS;
        if (settings.swHandshaking == SoftwareHandshake::XonXoff)
            tio.c_iflag |= IXON | IXOFF;
        tio.c_cc[VSTART] = 0x11;
        tio.c_cc[VSTOP] = 0x13;
        // With VMIN 1 a read on the nonblocking descriptor answers EAGAIN when nothing has
        // arrived, so a read of 0 bytes means the line has hung up.
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        const std::uint32_t bitsPerSecond = baudRateBitsPerSecond(settings.speed);
        const speed_t speed = standardSpeed(bitsPerSecond);
        if (speed != 0) {
            ::cfsetispeed(&tio, speed);
            ::cfsetospeed(&tio, speed);
        }
        // Settings a device refuses (a pty knows no parity or character size) are left as it
        // keeps them.
        (void)::tcsetattr(m_fd, TCSANOW, &tio);
        if (bitsPerSecond != 0 && speed == 0)
            (void)setCustomBaudRate(m_fd, bitsPerSecond);
    }
    // DTR is raised while the port is open; RTS follows the handshake or stays low.
    int dtr = TIOCM_DTR;
    (void)::ioctl(m_fd, TIOCMBIS, &dtr);
    int rts = TIOCM_RTS;
    (void)::ioctl(m_fd, settings.hwHandshaking == HardwareHandshake::RtsCts ? TIOCMBIS : TIOCMBIC, &rts);
}

bool PosixSerial::hungUp() const {
    pollfd pfd{m_fd, POLLIN, 0};
    return ::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

SerialDevice::ReadResult PosixSerial::read(void* buffer, std::int32_t size) {
    if (m_fd < 0)
        return {ReadStatus::Lost, 0};
    if (size <= 0)
        return {hungUp() ? ReadStatus::Lost : ReadStatus::Nothing, 0};
    const ssize_t n = ::read(m_fd, buffer, static_cast<std::size_t>(size));
    if (n > 0)
        return {ReadStatus::Data, static_cast<std::int32_t>(n)};
    if (n == 0)
        return {hungUp() ? ReadStatus::Lost : ReadStatus::Nothing, 0};
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return {ReadStatus::Nothing, 0};
    // EIO after a hang-up, ENODEV/ENXIO for a removed adapter: every further read would fail too.
    return {ReadStatus::Lost, 0};
}

bool PosixSerial::write(const void* data, std::int32_t count) {
    if (m_fd < 0 || count < 0)
        return false;
    const auto* bytes = static_cast<const char*>(data);
    std::size_t remaining = static_cast<std::size_t>(count);
    while (remaining > 0) {
        const ssize_t n = ::write(m_fd, bytes, remaining);
        if (n > 0) {
            bytes += n;
            remaining -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        // The output queue is full: wait until the device takes bytes again.
        pollfd pfd{m_fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, WriteStallTimeoutMs);
        if (ready == 0 || (ready < 0 && errno != EINTR))
            return false;
        if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
            return false;
    }
    return true;
}

void PosixSerial::close() {
    if (m_fd < 0)
        return;
    (void)::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
}

std::unique_ptr<SerialDevice> createPlatformSerialDevice() {
    return std::make_unique<PosixSerial>();
}

} // namespace travek
