#include "core/files/FileIo.h"

#include "core/text/Error.h"
#include "platform/posix/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace travek {

std::optional<std::string> readFileContent(const std::string& path, std::size_t maxBytes) {
    // Whatever stands in the file's place is looked at before a byte is read; a link is followed.
    struct stat st {};
    const int fd = openRegularFile(path, O_RDONLY, 0, st);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == EACCES || errno == EPERM || errno == ELOOP)
            return std::nullopt;
        throw Error::fromErrno(errno);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (static_cast<unsigned long long>(st.st_size) > maxBytes)
        refuseTooLarge(maxBytes);
    // The file may grow while it is read: one byte more than the limit tells.
    std::string content(std::min(static_cast<std::size_t>(st.st_size), maxBytes) + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == content.size()) {
            if (size > maxBytes)
                refuseTooLarge(maxBytes);
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
        refuseTooLarge(maxBytes);
    content.resize(size);
    return content;
}

// A Linux installation starts TRAVEK in the folder the user chooses; there is no folder of its own.
std::string installedWorkingFolder() {
    return {};
}

} // namespace travek
