#include "core/files/FileIo.h"
#include "core/text/Error.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace travek {

namespace {

int errnoFor(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    default:
        return EIO;
    }
}

[[noreturn]] void fail(DWORD error) {
    throw Error::fromErrno(errnoFor(error));
}

void writeAll(HANDLE file, const std::string& content, bool flush) {
    std::size_t written = 0;
    while (written < content.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - written, 1u << 20));
        DWORD done = 0;
        if (!WriteFile(file, content.data() + written, chunk, &done, nullptr))
            fail(GetLastError());
        written += done;
    }
    if (flush && !FlushFileBuffers(file))
        fail(GetLastError());
}

// Writes over the file itself: for a file that cannot be replaced by another (one in a folder that
// takes no new files). The room a longer content needs is taken first.
void writeInPlace(const std::wstring& path, const std::string& content, bool flush) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        fail(GetLastError());
    try {
        LARGE_INTEGER size{};
        size.QuadPart = static_cast<LONGLONG>(content.size());
        LARGE_INTEGER oldSize{};
        GetFileSizeEx(file, &oldSize);
        if (size.QuadPart > oldSize.QuadPart &&
            (!SetFilePointerEx(file, size, nullptr, FILE_BEGIN) || !SetEndOfFile(file)))
            fail(GetLastError());
        LARGE_INTEGER start{};
        if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
            fail(GetLastError());
        writeAll(file, content, flush);
        if (!SetEndOfFile(file))
            fail(GetLastError());
    } catch (...) {
        CloseHandle(file);
        throw;
    }
    CloseHandle(file);
}

// The full name of a file: ReplaceFile is given full names, as wine's refuses a name relative to
// the working directory (ERROR_DIRECTORY) where Windows takes it. In UTF-16, as the working
// directory may hold letters that no 8-bit code page has.
std::wstring fullPath(const std::string& name) {
    const std::wstring path = toWide(name);
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        fail(GetLastError());
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        fail(GetLastError());
    full.resize(length);
    return full;
}

} // namespace

// On Windows a read-only file is refused, as on Linux one without write permission. The new
// content goes to a temporary file beside the target, which ReplaceFile puts in its place keeping
// the target's attributes and security; a new file is moved into place.
void replaceFileContent(const std::string& name, const std::string& content, bool flush) {
    const std::wstring path = fullPath(name);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY))
        throw Error::fromErrno(EACCES);
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        refuseNotRegular(true);

    const std::wstring temp = path + L".tmp~";
    HANDLE file =
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A folder that takes no new files must not keep the user from saving a file that may be
        // written.
        if (exists && error == ERROR_ACCESS_DENIED) {
            writeInPlace(path, content, flush);
            return;
        }
        fail(error);
    }
    try {
        writeAll(file, content, flush);
    } catch (...) {
        CloseHandle(file);
        DeleteFileW(temp.c_str());
        throw;
    }
    CloseHandle(file);
    const BOOL moved =
        exists ? ReplaceFileW(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                              nullptr)
               : MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!moved) {
        const DWORD error = GetLastError();
        DeleteFileW(temp.c_str());
        fail(error);
    }
}

} // namespace travek
