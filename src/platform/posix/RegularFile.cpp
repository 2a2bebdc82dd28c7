#include "platform/posix/RegularFile.h"

#include "core/files/FileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace travek {

int openRegularFile(const std::string& path, int flags, mode_t mode, struct stat& st) {
    // O_NONBLOCK: opening a FIFO would wait for its other side, a device for a carrier.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    if (fd < 0) {
        if (errno == ELOOP && (flags & O_NOFOLLOW))
            refuseLink();
        if (errno == ENXIO) // a FIFO that nobody reads, opened for writing
            refuseNotRegular(false);
        if (errno == EISDIR)
            refuseNotRegular(true);
        return -1;
    }
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        refuseNotRegular(S_ISDIR(st.st_mode));
    }
    return fd;
}

} // namespace travek
