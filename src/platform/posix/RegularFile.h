#pragma once

#include <string>

#include <sys/stat.h>
#include <sys/types.h>

namespace travek {

// Opens path with flags (O_NONBLOCK, O_NOCTTY and O_CLOEXEC are added), so that nothing in the
// file's place can make the program wait, and takes only a regular file: a folder, a FIFO or a
// device is refused (refuseNotRegular), and so is a link where flags hold O_NOFOLLOW
// (refuseLink). Any other failure to open gives -1 with errno. st describes the open file.
int openRegularFile(const std::string& path, int flags, mode_t mode, struct stat& st);

} // namespace travek
