#include "core/files/FileIo.h"

#include "core/text/Error.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cerrno>

namespace travek {

namespace {

// Nothing to read, and errno says why, as it does after a failed open on POSIX.
std::nullopt_t notOpened() {
    const DWORD error = GetLastError();
    errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
    return std::nullopt;
}

// A file open for reading, closed when it goes.
struct OpenedFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    OpenedFile() = default;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    ~OpenedFile() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

// False when there is nothing to read (GetLastError says why); a folder or a device refused.
bool openToRead(const std::string& path, OpenedFile& file) {
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        refuseNotRegular(true);
    // Shared for writing and deleting: TRAVEK appends to the log while it is read, and a rotation
    // may rename it.
    file.handle = CreateFileW(toWide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.handle == INVALID_HANDLE_VALUE)
        return false;
    // A device name ("COM1", "CON") opens too: only a file on a disk is read.
    if (GetFileType(file.handle) != FILE_TYPE_DISK)
        refuseNotRegular(false);
    return true;
}

} // namespace

std::optional<std::string> readFileContent(const std::string& path, std::size_t maxBytes) {
    OpenedFile opened;
    if (!openToRead(path, opened))
        return notOpened();
    const HANDLE file = opened.handle;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        refuseTooLarge(maxBytes);
    // The file may grow while it is read: one byte more than the limit tells.
    std::string content(std::min(static_cast<std::size_t>(size.QuadPart), maxBytes) + 1, '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == content.size()) {
            if (done > maxBytes)
                refuseTooLarge(maxBytes);
            content.resize(std::min(done * 2, maxBytes + 1));
        }
        DWORD n = 0;
        if (!ReadFile(file, content.data() + done, static_cast<DWORD>(content.size() - done), &n, nullptr))
            throw Error::fromErrno(EIO);
        if (n == 0)
            break;
        done += n;
    }
    if (done > maxBytes)
        refuseTooLarge(maxBytes);
    content.resize(done);
    return content;
}

// The installer makes Documents\TRAVEK and starts the Start-menu entry there.
std::string installedWorkingFolder() {
    wchar_t documents[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents) != S_OK)
        return {};
    return fromWide(std::wstring(documents) + L"\\TRAVEK").value_or(std::string());
}

std::optional<FilePart> readFilePart(const std::string& path, std::uint64_t offset, std::size_t maxBytes) {
    OpenedFile opened;
    if (!openToRead(path, opened))
        return notOpened();
    const HANDLE file = opened.handle;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size))
        throw Error::fromErrno(EIO);
    FilePart part;
    part.fileSize = static_cast<std::uint64_t>(size.QuadPart);
    if (offset >= part.fileSize)
        return part;
    LARGE_INTEGER from{};
    from.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, from, nullptr, FILE_BEGIN))
        throw Error::fromErrno(EIO);
    part.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(maxBytes, part.fileSize - offset)));
    std::size_t done = 0;
    while (done < part.bytes.size()) {
        DWORD n = 0;
        if (!ReadFile(file, part.bytes.data() + done, static_cast<DWORD>(part.bytes.size() - done), &n,
                      nullptr))
            throw Error::fromErrno(EIO);
        if (n == 0)
            break;
        done += n;
    }
    part.bytes.resize(done);
    return part;
}

std::string stateFolder() {
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
    std::wstring folder(length, L'\0');
    if (length == 0 || GetEnvironmentVariableW(L"LOCALAPPDATA", folder.data(), length) + 1 != length)
        throw Error("kein Ordner f\xFCr TRAVEKs Zustand: LOCALAPPDATA ist nicht gesetzt");
    folder.resize(length - 1);
    folder += L"\\TRAVEK";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throw Error::fromErrno(EACCES);
    const std::optional<std::string> text = fromWide(folder);
    if (!text)
        throw Error("kein Ordner f\xFCr TRAVEKs Zustand: LOCALAPPDATA ist in Windows-1252 nicht darstellbar");
    return *text;
}

} // namespace travek
