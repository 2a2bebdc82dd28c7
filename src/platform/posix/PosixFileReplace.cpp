#include "core/files/FileIo.h"

#include "core/text/Error.h"
#include "platform/posix/RegularFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace travek {

namespace {

// A file that may not be written is not replaced either, although its folder would allow that: a
// file the user cannot write, or one without any write permission at all. The second holds for
// root as well, for whom permissions otherwise stop nothing, as a read-only file is read-only for
// everyone on Windows. The effective user counts, as it does when the file is opened.
void refuseIfWriteProtected(const std::string& target, const struct stat& st) {
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        throw Error::fromErrno(EACCES);
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EROFS || errno == EPERM))
        throw Error::fromErrno(errno);
}

// Errors of mkstemp that say no temporary file can be made beside the target, although the target
// itself may well be written.
bool noRoomForTemporaryFile(int err) {
    return err == EACCES || err == EPERM || err == ENAMETOOLONG;
}

// Writes content over the file itself, which keeps its owner, its mode and every name it has, and
// needs no right to create files in its folder. A reader may see the file half written, and a
// failure after the first byte leaves it so; the room a longer content needs is therefore taken
// before the first old byte is overwritten, so that a full disk is found out while the file is
// still whole. A file created here (create) is removed again when it cannot be written.
void writeInPlace(const std::string& target, const std::string& content, bool create, bool flush) {
    // Whatever took the file's place since it was looked at is not written: O_NOFOLLOW refuses a
    // link, O_NONBLOCK keeps a FIFO from blocking the program until somebody reads it.
    struct stat st {};
    const int fd = openRegularFile(target, O_WRONLY | O_NOFOLLOW | (create ? O_CREAT | O_EXCL : 0), 0666, st);
    if (fd < 0)
        throw Error::fromErrno(errno);
    auto fail = [&](int err) {
        ::close(fd);
        if (create)
            ::unlink(target.c_str());
        throw Error::fromErrno(err);
    };
    const auto newSize = static_cast<off_t>(content.size());
    if (newSize > st.st_size) {
        const int err = ::posix_fallocate(fd, st.st_size, newSize - st.st_size);
        // Some file systems cannot reserve room; then the writing itself finds out.
        if (err != 0 && err != EOPNOTSUPP && err != EINVAL) {
            (void)::ftruncate(fd, st.st_size);
            fail(err);
        }
    }
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n =
            ::pwrite(fd, content.data() + written, content.size() - written, static_cast<off_t>(written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::ftruncate(fd, newSize) != 0)
        fail(errno);
    if (flush && ::fsync(fd) != 0 && errno != EINVAL)
        fail(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        if (create)
            ::unlink(target.c_str());
        throw Error::fromErrno(err);
    }
}

} // namespace

void replaceFileContent(const std::string& target, const std::string& content, bool flush) {
    struct stat st {};
    const bool exists = ::lstat(target.c_str(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode))
        refuseLink();
    if (exists && !S_ISREG(st.st_mode))
        refuseNotRegular(S_ISDIR(st.st_mode));
    if (exists)
        refuseIfWriteProtected(target, st);
    // Renaming a new file over the target would cut the other names of a file with several.
    if (exists && st.st_nlink != 1) {
        writeInPlace(target, content, false, flush);
        return;
    }
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        const int err = errno;
        // A folder that takes no new files must not keep the user from saving a file that may be
        // written. A target that does not exist fails here with the folder's own error.
        if (!noRoomForTemporaryFile(err))
            throw Error::fromErrno(err);
        writeInPlace(target, content, !exists, flush);
        return;
    }
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw Error::fromErrno(err);
    };
    if (exists) {
        // The replacement belongs to whoever created it. Where that is not the target's owner and
        // group (root saving another user's file, a file whose group differs from the folder's),
        // the file is written in place, so that it keeps belonging to them.
        struct stat tempSt {};
        if (::fstat(fd, &tempSt) != 0)
            fail(errno);
        if (tempSt.st_uid != st.st_uid || tempSt.st_gid != st.st_gid) {
            ::close(fd);
            ::unlink(temp.c_str());
            writeInPlace(target, content, false, flush);
            return;
        }
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (flush && ::fsync(fd) != 0 && errno != EINVAL)
        fail(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw Error::fromErrno(err);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw Error::fromErrno(err);
    }
}

} // namespace travek
