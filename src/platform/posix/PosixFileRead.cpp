#include "core/files/FileIo.h"

#include "core/text/Error.h"
#include "core/text/TextHelpers.h"
#include "platform/posix/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace travek {

namespace {

// A file open for reading, closed when it goes.
struct OpenedFile {
    int fd = -1;
    struct stat st {};
    OpenedFile() = default;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    ~OpenedFile() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Whatever stands in the file's place is looked at before a byte is read; a link is followed.
// False when there is nothing to read (missing, not allowed, a loop of links): the caller's
// default applies. What is not a regular file is refused.
bool openToRead(const std::string& path, OpenedFile& file) {
    file.fd = openRegularFile(path, O_RDONLY, 0, file.st);
    if (file.fd >= 0)
        return true;
    if (errno == ENOENT || errno == ENOTDIR || errno == EACCES || errno == EPERM || errno == ELOOP)
        return false;
    throw Error::fromErrno(errno);
}

} // namespace

std::optional<std::string> readFileContent(const std::string& path, std::size_t maxBytes) {
    OpenedFile file;
    if (!openToRead(path, file))
        return std::nullopt;
    const int fd = file.fd;
    const struct stat& st = file.st;
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

std::optional<FilePart> readFilePart(const std::string& path, std::uint64_t offset, std::size_t maxBytes) {
    OpenedFile file;
    if (!openToRead(path, file))
        return std::nullopt;
    const int fd = file.fd;
    const struct stat& st = file.st;
    FilePart part;
    part.fileSize = static_cast<std::uint64_t>(st.st_size);
    if (offset >= part.fileSize)
        return part;
    part.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(maxBytes, part.fileSize - offset)));
    std::size_t size = 0;
    while (size < part.bytes.size()) {
        const ssize_t n = ::pread(fd, part.bytes.data() + size, part.bytes.size() - size,
                                  static_cast<off_t>(offset + size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error::fromErrno(errno);
        }
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
    }
    part.bytes.resize(size);
    return part;
}

std::string stateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path folder;
    if (state && *state == '/')
        folder = std::filesystem::path(state) / "travek";
    else if (home && *home)
        folder = std::filesystem::path(home) / ".local" / "state" / "travek";
    else
        throw Error("kein Ordner f\xFCr TRAVEKs Zustand: weder XDG_STATE_HOME noch HOME ist gesetzt");
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw Error(folder.string() + ": " + systemTextToWin1252(error.message()));
    return folder.string();
}

} // namespace travek
