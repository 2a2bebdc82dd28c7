#include "core/files/AppendFile.h"

#include "core/files/FileIo.h"
#include "core/text/Error.h"
#include "platform/posix/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace travek {

namespace {

class PosixAppendFile : public AppendFile {
public:
    explicit PosixAppendFile(int fd) : m_fd(fd) {}
    ~PosixAppendFile() override { ::close(m_fd); }
    PosixAppendFile(const PosixAppendFile&) = delete;
    PosixAppendFile& operator=(const PosixAppendFile&) = delete;

    bool empty() const override {
        struct stat st {};
        return ::fstat(m_fd, &st) == 0 && st.st_size == 0;
    }

    bool isAt(const std::string& path) const override {
        struct stat open {
        }, named{};
        return ::fstat(m_fd, &open) == 0 && open.st_nlink > 0 && ::lstat(path.c_str(), &named) == 0 &&
               open.st_dev == named.st_dev && open.st_ino == named.st_ino;
    }

    std::size_t append(std::string_view bytes) override {
        struct stat before {};
        const bool sized = ::fstat(m_fd, &before) == 0;
        for (;;) {
            const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw Error::fromErrno(errno);
            const auto written = static_cast<std::size_t>(n);
            // Cut back only where the piece is the file's end: another writer's rows stay.
            struct stat after {};
            if (written > 0 && written < bytes.size() && sized && ::fstat(m_fd, &after) == 0 &&
                after.st_size == before.st_size + n && ::ftruncate(m_fd, before.st_size) == 0)
                return 0;
            return written;
        }
    }

private:
    int m_fd;
};

} // namespace

std::unique_ptr<AppendFile> AppendFile::open(const std::string& path) {
    // O_NONBLOCK: a FIFO in the log's place would otherwise hold the program until somebody
    // reads it. O_NOFOLLOW: rows go into this file, not through a link into another.
    struct stat st {};
    const int fd = openRegularFile(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW, 0666, st);
    if (fd < 0)
        throw Error::fromErrno(errno);
    return std::make_unique<PosixAppendFile>(fd);
}

} // namespace travek
