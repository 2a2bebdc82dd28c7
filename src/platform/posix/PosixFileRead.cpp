#include "core/files/FileIo.h"

#include "core/text/Error.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace travek {

std::optional<std::string> ReadFileContent(const std::string& path, std::size_t maxBytes) {
    // O_NONBLOCK: opening a FIFO for reading would wait for a writer, and a device may wait for a
    // carrier. Whatever it is, it is looked at before a byte is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == EACCES || errno == EPERM || errno == ELOOP)
            return std::nullopt;
        throw Error::fromErrno(errno);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw Error::fromErrno(errno);
    if (!S_ISREG(st.st_mode))
        RefuseNotRegular(S_ISDIR(st.st_mode));
    if (static_cast<unsigned long long>(st.st_size) > maxBytes)
        RefuseTooLarge(maxBytes);
    // The file may grow while it is read: one byte more than the limit tells.
    std::string content(std::min(static_cast<std::size_t>(st.st_size), maxBytes) + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == content.size()) {
            if (size > maxBytes)
                RefuseTooLarge(maxBytes);
            content.resize(std::min(size * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(fd, content.data() + size, content.size() - size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error::fromErrno(errno);
        }
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
    }
    if (size > maxBytes)
        RefuseTooLarge(maxBytes);
    content.resize(size);
    return content;
}

} // namespace travek
