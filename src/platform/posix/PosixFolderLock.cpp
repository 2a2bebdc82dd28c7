#include "core/files/FolderLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace travek {

namespace {

// The lock is on the folder itself, so that no lock file is left behind in the user's folder
// (one could never be removed safely: a second start may have opened it already), and a
// read-only folder is locked as well.
class PosixFolderLock : public FolderLock {
public:
    explicit PosixFolderLock(int fd) : m_fd(fd) {}
    ~PosixFolderLock() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PosixFolderLock(const PosixFolderLock&) = delete;
    PosixFolderLock& operator=(const PosixFolderLock&) = delete;

private:
    int m_fd;
};

} // namespace

std::unique_ptr<FolderLock> FolderLock::lockWorkingFolder(Unavailable& unavailable) {
    // O_CLOEXEC: a program TRAVEK starts must not keep the folder locked after TRAVEK has ended.
    const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        unavailable.reason = std::strerror(errno);
        return std::make_unique<PosixFolderLock>(-1);
    }
    int result = 0;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0)
        return std::make_unique<PosixFolderLock>(fd);
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK)
        return nullptr;
    // A network file system may refuse to lock a folder: TRAVEK runs, unguarded, as it always did.
    unavailable.reason = std::strerror(err);
    return std::make_unique<PosixFolderLock>(-1);
}

} // namespace travek
