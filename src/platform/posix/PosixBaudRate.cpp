#include "platform/posix/PosixBaudRate.h"

// The kernel's termios2 and the C library's termios cannot share a translation unit.
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace travek {

bool setCustomBaudRate(int fd, std::uint32_t bitsPerSecond) {
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_cflag &= ~(CBAUD << IBSHIFT);
    tio.c_cflag |= BOTHER << IBSHIFT;
    tio.c_ispeed = bitsPerSecond;
    tio.c_ospeed = bitsPerSecond;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace travek
